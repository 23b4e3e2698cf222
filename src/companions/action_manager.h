// The action manager's two functions, as its library exports them.
#pragma once

#include "platform/win32.h"

// Records that (category, action) is served by the function `entry` exported from `modulePath`.
// The last argument is always 1 from this module.
STDAPI AddAction(BSTR category, BSTR action, BSTR modulePath, BSTR entry, LONG flags);

// Runs the action that the XML request names by its root's "type" and "name" attributes;
// *result receives a new string that the caller frees.
STDAPI DoAction(BSTR request, BSTR* result);

// The entry every action module exports: request in, new result string out.
using ActionEntry = HRESULT(STDAPICALLTYPE*)(BSTR request, BSTR* result);
