// The module's three exported functions.
#pragma once

#include "platform/win32.h"

#define TB_MODULE_EXPORT extern "C" TB_EXPORT HRESULT STDAPICALLTYPE

// Connects to the trigger manager and registers the six trigger actions with the action manager.
TB_MODULE_EXPORT RegisterActions() noexcept;
// Serves one request of the six actions; *result (when given) receives a new result string.
TB_MODULE_EXPORT RunAction(BSTR request, BSTR* result) noexcept;
// Removes every registered trigger and disconnects from the trigger manager.
TB_MODULE_EXPORT StopHandler() noexcept;
