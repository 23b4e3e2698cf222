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
// Whether AddTrigger keeps the (non-empty) condition: it compiles, and comes back from the
// database as it went in.
bool ConditionAccepted(BSTR condition);

enum class ConditionOutcome { Holds, DoesNotHold, OutOfWork };

// Whether the document meets the condition: it selects a node or is true, nonzero or non-empty.
// A condition that no longer compiles (a database written elsewhere) never holds; one whose
// evaluation would take more work than one evaluation may do is not taken to hold either.
// Those are counted, over the process.
ConditionOutcome EvaluateCondition(IConfigDocument* document, BSTR condition) noexcept;
LONG ExhaustedConditions() noexcept;

// The same evaluation as a question asked beside the firings: the outcome is not counted.
ConditionOutcome TryCondition(IConfigDocument* document, BSTR condition) noexcept;
