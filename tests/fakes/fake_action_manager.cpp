#include "fakes/fake_action_manager.h"

#include <mutex>

#include "companions/action_manager.h"
#include "companions/utf.h"

namespace fakes {

namespace {

struct ActionState {
    std::mutex mutex;
    HRESULT addActionResult = S_OK;
    std::vector<AddedAction> added;
    HRESULT doActionResult = S_OK;
    std::optional<OleString> doActionText =
        OLESTR("<ActionResult><Result>true</Result></ActionResult>");
    std::function<void(const std::string&)> hook;
    std::vector<std::string> requests;
};

ActionState& State() {
    static ActionState state;
    return state;
}

std::string Narrow(const OLECHAR* text) {
    return text != nullptr ? ToUtf8(text) : std::string("(null)");
}

}  // namespace

void ActionManagerFake::Reset() {
    ActionState& state = State();
    std::function<void(const std::string&)> hook;
    const std::lock_guard lock(state.mutex);
    state.addActionResult = S_OK;
    state.added.clear();
    state.doActionResult = S_OK;
    state.doActionText = OLESTR("<ActionResult><Result>true</Result></ActionResult>");
    hook.swap(state.hook);
    state.requests.clear();
}

void ActionManagerFake::SetAddActionResult(HRESULT code) {
    const std::lock_guard lock(State().mutex);
    State().addActionResult = code;
}

std::vector<AddedAction> ActionManagerFake::Added() {
    const std::lock_guard lock(State().mutex);
    return State().added;
}

void ActionManagerFake::SetDoActionAnswer(HRESULT code, std::optional<OleString> result) {
    const std::lock_guard lock(State().mutex);
    State().doActionResult = code;
    State().doActionText = std::move(result);
}

void ActionManagerFake::OnDoAction(std::function<void(const std::string&)> hook) {
    const std::lock_guard lock(State().mutex);
    State().hook = std::move(hook);
}

std::vector<std::string> ActionManagerFake::Requests() {
    const std::lock_guard lock(State().mutex);
    return State().requests;
}

}  // namespace fakes

STDAPI AddAction(BSTR category, BSTR action, BSTR modulePath, BSTR entry, LONG flags) {
    try {
        fakes::ActionState& state = fakes::State();
        const std::lock_guard lock(state.mutex);
        state.added.push_back(fakes::AddedAction{fakes::Narrow(category), fakes::Narrow(action),
                                                 fakes::Narrow(modulePath), fakes::Narrow(entry),
                                                 flags});
        return state.addActionResult;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

STDAPI DoAction(BSTR request, BSTR* result) {
    try {
        fakes::ActionState& state = fakes::State();
        const std::string text = fakes::Narrow(request);
        std::function<void(const std::string&)> hook;
        HRESULT code = S_OK;
        std::optional<OleString> answer;
        {
            const std::lock_guard lock(state.mutex);
            state.requests.push_back(text);
            hook = state.hook;
            code = state.doActionResult;
            answer = state.doActionText;
        }
        if (hook) {
            hook(text);
        }
        if (result != nullptr) {
            // A fresh string each time: the module owns it and must free it.
            *result = answer ? SysAllocStringLen(answer->data(), static_cast<UINT>(answer->size()))
                             : nullptr;
        }
        return code;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}
