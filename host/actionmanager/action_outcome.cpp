#include "actionmanager/action_outcome.h"

#include "actionmanager/result_text.h"

ActionOutcome Refusal(HRESULT code) noexcept {
    ActionOutcome outcome;
    outcome.code = code;
    try {
        outcome.text = FlagResult(false);
    } catch (...) {
        // Out of memory: the code alone still tells the caller what happened.
    }
    return outcome;
}
