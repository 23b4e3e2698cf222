#include "actionmanager/action_manager.h"

#include <string>
#include <string_view>
#include <utility>

#include "actionmanager/host_actions.h"
#include "actionmanager/request_target.h"
#include "companions/action_manager.h"
#include "companions/com_error.h"
#include "companions/utf.h"

namespace {

std::u16string_view TextOf(BSTR text) {
    return text != nullptr ? std::u16string_view(text, SysStringLen(text)) : std::u16string_view();
}

// LoadLibraryA takes the path in the system ANSI code page; outside Windows file names are
// UTF-8 bytes whatever the code page, so nothing of a non-Latin path is lost there.
std::string NarrowPath(std::u16string_view path) {
#ifdef _WIN32
    const std::u16string copy(path);
    const int bytes =
        WideCharToMultiByte(CP_ACP, 0, copy.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 1) {
        return {};
    }
    std::string narrow(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, copy.c_str(), -1, narrow.data(), bytes, nullptr, nullptr);
    narrow.resize(static_cast<std::size_t>(bytes - 1));
    return narrow;
#else
    return ToUtf8(path);
#endif
}

}  // namespace

ActionManager& ActionManager::Instance() {
    static ActionManager* const instance = new ActionManager();
    return *instance;
}

HRESULT ActionManager::Add(BSTR category, BSTR action, BSTR modulePath, BSTR entry) {
    // A registration that could never run is refused now rather than failing at every request.
    if (TextOf(category).empty() || TextOf(action).empty() || TextOf(modulePath).empty() ||
        TextOf(entry).empty()) {
        return E_INVALIDARG;
    }
    registry_.Add(std::u16string(TextOf(category)), std::u16string(TextOf(action)),
                  ActionTarget{std::u16string(TextOf(modulePath)), std::u16string(TextOf(entry))});
    return S_OK;
}

HRESULT ActionManager::Do(BSTR request, BSTR* result) noexcept {
    if (result != nullptr) {
        *result = nullptr;
    }
    ActionOutcome outcome = Run(request);
    Report(request, outcome);
    if (result != nullptr) {
        *result = outcome.text.detach();
    }
    return outcome.code;
}

void ActionManager::Shutdown() {
    registry_.Clear();
    // Modules not in use unload here, outside every lock (their finalisation may call back in);
    // one still running an action unloads when that call lets go of it.
    modules_.TakeAll().clear();
}

ActionOutcome ActionManager::Run(BSTR request) noexcept {
    try {
        RequestTarget target;
        const HRESULT read = ReadRequestTarget(request, target);
        if (FAILED(read)) {
            return Refusal(read);
        }
        if (const auto registered = registry_.Find(target.type, target.name)) {
            return RunModuleAction(*registered, request);
        }
        if (target.type == kHostCategory) {
            if (const HostAction action = FindHostAction(target.name)) {
                return action(request, output_);
            }
        }
        return Refusal(DISP_E_MEMBERNOTFOUND);
    } catch (...) {
        return Refusal(ResultFromCaughtException());
    }
}

ActionOutcome ActionManager::RunModuleAction(const ActionTarget& target, BSTR request) {
    // Held until the entry returns, so a shutdown meanwhile cannot unload the running code.
    const ModuleLoad load = modules_.Load(NarrowPath(target.modulePath));
    if (!load.module) {
        return Refusal(HRESULT_FROM_WIN32(load.error));
    }
    const auto entry = reinterpret_cast<ActionEntry>(load.module->Find(ToUtf8(target.entry)));
    if (entry == nullptr) {
        return Refusal(HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND));
    }
    ActionOutcome outcome;
    outcome.code = entry(request, outcome.text.put());
    if (!outcome.text) {
        outcome.text = Bstr::Copy(u"");
    }
    return outcome;
}

void ActionManager::Report(BSTR request, const ActionOutcome& outcome) noexcept {
    try {
        observer_.Call([&](ActionManagerObserver observer, void* context) {
            const std::string requestText = ToUtf8(TextOf(request));
            const std::string resultText = ToUtf8(outcome.text.view());
            observer(requestText.c_str(), resultText.c_str(), outcome.code, context);
        });
    } catch (...) {
        // The report is a courtesy to the host; the result still reaches the caller.
    }
}
