// Conditions and fired data, through the configuration-data library: the data becomes a document,
// a condition an XPath 1.0 expression evaluated against it.
#pragma once

#include "companions/com_ptr.h"
#include "companions/config_document.h"

// The parsed data, or null when the text does not parse (empty text included). Raises ComError
// when no document can be had at all.
ComPtr<IConfigDocument> ParseTriggerData(BSTR data);

// Whether the (non-empty) condition compiles.
bool ConditionCompiles(BSTR condition);

// Whether the document meets the condition: it selects a node or is true, nonzero or non-empty.
// A condition that no longer compiles (a database written elsewhere) never holds.
bool ConditionHolds(IConfigDocument* document, BSTR condition) noexcept;
