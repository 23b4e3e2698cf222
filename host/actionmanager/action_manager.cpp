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

OleStringView TextOf(BSTR text) {
    return text != nullptr ? OleStringView(text, SysStringLen(text)) : OleStringView();
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
    registry_.Add(OleString(TextOf(category)), OleString(TextOf(action)),
                  ActionTarget{OleString(TextOf(modulePath)), OleString(TextOf(entry))});
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
    const ModuleLoad load = modules_.Load(target.modulePath);
    if (!load.module) {
        return Refusal(HRESULT_FROM_WIN32(load.error));
    }
    // Through void (*)(), which stands for any function: FARPROC is a function type of its own
    // on Windows, and a cast straight from it to another says the types do not match.
    const auto entry = reinterpret_cast<ActionEntry>(
        reinterpret_cast<void (*)()>(load.module->Find(ToUtf8(target.entry))));
    if (entry == nullptr) {
        return Refusal(HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND));
    }
    ActionOutcome outcome;
    outcome.code = entry(request, outcome.text.put());
    if (!outcome.text) {
        outcome.text = Bstr::Copy(OLESTR(""));
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
