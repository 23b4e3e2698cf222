// Which action a request names: its root element's "type" and "name" attributes, read through a
// configuration document of its own (so untrusted text gets the library's safe parsing).
#pragma once

#include <string>

#include "companions/ole_string.h"
#include "platform/win32.h"

struct RequestTarget {
    OleString type;
    OleString name;
};

// S_OK with both attributes read; E_INVALIDARG when the text is empty, does not parse (a DTD
// included) or its root lacks either attribute. Failures of the document library itself (no
// document, no memory) are raised as ComError or std::bad_alloc.
HRESULT ReadRequestTarget(BSTR request, RequestTarget& target);
