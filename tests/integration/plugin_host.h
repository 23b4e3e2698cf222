// The real host services and the real plug-in, loaded the way the host program loads them; shared
// by the integration tests and the fuzz targets, so free of any test framework.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <regex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "actionmanager/actionmanager_host.h"
#include "companions/action_manager.h"
#include "companions/bstr.h"
#include "companions/utf.h"
#include "platform/win32.h"
#include "triggermanager/triggermanager_host.h"

// Whether this run's plug-in documents are the platform DOM's (TB_DOM=platform, Windows only).
inline bool PlatformDomRun() {
    const char* dom = std::getenv("TB_DOM");
    return dom != nullptr && std::string_view(dom) == "platform";
}

// A document's text as the tests compare it: in a platform DOM run without the white space
// between tags, which that DOM writes as it pleases (CR LF after a document; Wine re-indents).
inline std::string DomContent(const std::string& text) {
    static const std::regex betweenTags(">[ \t\r\n]+(<|$)");
    return PlatformDomRun() ? std::regex_replace(text, betweenTags, ">$1") : text;
}

class LoadedPlugin {
  public:
    using Export = HRESULT(STDAPICALLTYPE*)();
    using RunActionExport = HRESULT(STDAPICALLTYPE*)(BSTR, BSTR*);

    LoadedPlugin() {
        // TB_DOM=platform: the plug-in's documents over the platform's XML DOM, loaded first so
        // that the plug-in's import binds to it, as triggerhost --dom platform does.
        platformDom_ = PlatformDomRun();
        if (platformDom_) {
            configData_ = LoadLibraryA(PlatformDomPath().c_str());
        }
        module_ = LoadLibraryA(TB_PLUGIN_PATH);
        if (module_ != nullptr) {
            registerActions_ = reinterpret_cast<Export>(GetProcAddress(module_, "RegisterActions"));
            stopHandler_ = reinterpret_cast<Export>(GetProcAddress(module_, "StopHandler"));
            // Through void (*)(), which stands for any function: on Windows FARPROC is a
            // function type of its own, which a cast straight to another says does not match.
            runAction_ = reinterpret_cast<RunActionExport>(
                reinterpret_cast<void (*)()>(GetProcAddress(module_, "RunAction")));
        }
    }
    ~LoadedPlugin() {
        if (module_ != nullptr) {
            FreeLibrary(module_);
        }
        if (configData_ != nullptr) {
            FreeLibrary(configData_);
        }
    }
    LoadedPlugin(const LoadedPlugin&) = delete;
    LoadedPlugin& operator=(const LoadedPlugin&) = delete;

    bool loaded() const {
        return registerActions_ != nullptr && stopHandler_ != nullptr && runAction_ != nullptr &&
               (!platformDom_ || configData_ != nullptr);
    }
    HRESULT RegisterActions() const { return registerActions_(); }
    HRESULT StopHandler() const { return stopHandler_(); }
    HRESULT RunAction(BSTR request, BSTR* result) const { return runAction_(request, result); }

  private:
    // platform-dom\configdata.dll in the test program's folder (Windows only).
    static std::string PlatformDomPath() {
        char program[4096] = {};
        const std::string path(program, GetModuleFileNameA(nullptr, program, sizeof program));
        return path.substr(0, path.find_last_of('\\') + 1) + "platform-dom\\configdata.dll";
    }

    bool platformDom_ = false;
    HMODULE configData_ = nullptr;
    HMODULE module_ = nullptr;
    Export registerActions_ = nullptr;
    Export stopHandler_ = nullptr;
    RunActionExport runAction_ = nullptr;
};

// Collects what host actions write, and waits for lines that arrive on another thread.
class OutputLog {
  public:
    static void Write(const char* line, void* context) {
        auto* log = static_cast<OutputLog*>(context);
        {
            std::lock_guard<std::mutex> guard(log->lock_);
            log->lines_.push_back(DomContent(line != nullptr ? line : ""));
        }
        log->arrived_.notify_all();
    }

    std::vector<std::string> Lines() {
        std::lock_guard<std::mutex> guard(lock_);
        return lines_;
    }
    // Waits (bounded) until at least `count` lines have arrived.
    bool WaitFor(std::size_t count, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        std::unique_lock<std::mutex> guard(lock_);
        return arrived_.wait_for(guard, limit, [&] { return lines_.size() >= count; });
    }
    void Clear() {
        std::lock_guard<std::mutex> guard(lock_);
        lines_.clear();
    }

  private:
    std::mutex lock_;
    std::condition_variable arrived_;
    std::vector<std::string> lines_;
};

struct Reply {
    HRESULT code;
    std::string text;
};

// Sends a request through the action manager, as the host program does.
inline Reply Send(const std::string& request) {
    Bstr wide = ToBstr(request);
    Bstr result;
    const HRESULT code = DoAction(wide.get(), result.put());
    return {code, DomContent(ToUtf8(result.get()))};
}

inline std::string Register(const std::string& id, const std::string& condition,
                            const std::string& action) {
    return "<Request type=\"trigger\" name=\"registeraction\" id=\"" + id + "\" condition=\"" +
           condition + "\">" + action + "</Request>";
}

inline std::string Fire(const std::string& data) {
    return "<Request type=\"trigger\" name=\"fire\"><TriggerData>" + data +
           "</TriggerData></Request>";
}

inline std::string Command(const std::string& name, const std::string& id = "") {
    std::string text = "<Request type=\"trigger\" name=\"" + name + "\"";
    if (!id.empty()) {
        text += " id=\"" + id + "\"";
    }
    return text + "/>";
}

inline const std::string kTrue = "<ActionResult><Result>true</Result></ActionResult>";
inline const std::string kFalse = "<ActionResult><Result>false</Result></ActionResult>";
inline const std::string kLog = "<Action type=\"host\" name=\"log\"><Said/></Action>";
