// What running one action gives: its result code and its result text (owned).
#pragma once

#include "companions/bstr.h"

struct ActionOutcome {
    HRESULT code = E_UNEXPECTED;
    Bstr text;
};

// The failure answer: `code` with the "false" result document (null text only when even that
// cannot be allocated).
ActionOutcome Refusal(HRESULT code) noexcept;
