// Helpers for the action manager's tests: requests and registrations in UTF-8, a collecting
// output sink and observer, and a look at whether the test module is mapped.
#pragma once

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <mutex>
#include <string>
#include <vector>

#include "actionmanager/actionmanager_host.h"
#include "companions/action_manager.h"
#include "companions/bstr.h"
#include "companions/utf.h"

namespace actionmanager_test {

inline const std::string kModule = TB_TEST_MODULE_PATH;
inline const std::string kTrue = "<ActionResult><Result>true</Result></ActionResult>";
inline const std::string kFalse = "<ActionResult><Result>false</Result></ActionResult>";

struct Reply {
    HRESULT code = E_UNEXPECTED;
    std::string text;
    bool hasText = false;
};

inline HRESULT Register(const std::string& category, const std::string& action,
                        const std::string& modulePath, const std::string& entry) {
    Bstr c = ToBstr(category);
    Bstr a = ToBstr(action);
    Bstr m = ToBstr(modulePath);
    Bstr e = ToBstr(entry);
    return AddAction(c.get(), a.get(), m.get(), e.get(), 1);
}

inline Reply Send(const std::string& request) {
    Bstr wide = ToBstr(request);
    Bstr result;
    Reply reply;
    reply.code = DoAction(wide.get(), result.put());
    reply.hasText = static_cast<bool>(result);
    reply.text = ToUtf8(result.view());
    return reply;
}

inline std::string Request(const std::string& type, const std::string& name,
                           const std::string& body = "") {
    return "<Action type=\"" + type + "\" name=\"" + name + "\">" + body + "</Action>";
}

// True while anything in the process still holds the test module (a load without its unload).
inline bool ModuleIsLoaded() {
    void* handle = dlopen(kModule.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (handle == nullptr) {
        return false;
    }
    dlclose(handle);
    return true;
}

class Lines {
  public:
    static void Write(const char* line, void* context) {
        auto* self = static_cast<Lines*>(context);
        std::lock_guard<std::mutex> guard(self->lock_);
        self->lines_.emplace_back(line);
    }
    std::vector<std::string> Get() {
        std::lock_guard<std::mutex> guard(lock_);
        return lines_;
    }

  private:
    std::mutex lock_;
    std::vector<std::string> lines_;
};

struct Observed {
    std::string request;
    std::string result;
    HRESULT code;
    bool operator==(const Observed&) const = default;
};

inline void PrintTo(const Observed& seen, std::ostream* out) {
    *out << "{" << seen.request << " -> " << seen.result << " [" << std::hex << seen.code << "]}";
}

class Observations {
  public:
    static void Observe(const char* request, const char* result, HRESULT code, void* context) {
        auto* self = static_cast<Observations*>(context);
        std::lock_guard<std::mutex> guard(self->lock_);
        self->seen_.push_back({request, result, code});
    }
    std::vector<Observed> Get() {
        std::lock_guard<std::mutex> guard(lock_);
        return seen_;
    }

  private:
    std::mutex lock_;
    std::vector<Observed> seen_;
};

// Names parameterised cases after their `label`.
struct ByLabel {
    template <class Case>
    std::string operator()(const testing::TestParamInfo<Case>& named) const {
        return named.param.label;
    }
};

// Every test starts with an action manager that knows nothing and writes into `output`.
class ActionManagerTest : public testing::Test {
  protected:
    void SetUp() override { ActionManagerSetOutput(&Lines::Write, &output); }
    void TearDown() override {
        ActionManagerSetObserver(nullptr, nullptr);
        ActionManagerSetOutput(nullptr, nullptr);
        ActionManagerShutdown();
        EXPECT_FALSE(ModuleIsLoaded()) << "a load without its unload";
    }

    Lines output;
};

}  // namespace actionmanager_test
