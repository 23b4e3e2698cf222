// Host-facing functions of the configuration-data library, beyond CreateConfigDocument: what the
// trigger manager needs to evaluate conditions against fired data.
#pragma once

#include "companions/config_document.h"

// Evaluates an XPath 1.0 expression against the document's root (the document must come from
// this library's CreateConfigDocument). *matched = 1 when the expression selects at least one
// node, or its value is boolean true, a nonzero non-NaN number, or a non-empty string; else 0.
// E_INVALIDARG (with ReportError description) when the expression does not compile;
// E_POINTER for null arguments; S_OK otherwise (a document with no root: *matched = 0).
// The context node is the root element, so relative paths start there; absolute paths start
// at the document. One evaluation may do a bounded amount of work, whatever the expression and
// the document (every node a step visits, every merge of node-sets, every string value and every
// string a function builds or searches counts): one that would do more is stopped, and gives
// *matched = 0 and CONFIGDATA_S_OUT_OF_WORK. An evaluation that fails otherwise while running
// gives *matched = 0 and S_FALSE. Both leave a description in the thread's error information.
// Compiled expressions are cached per thread; calls on different threads may run at once, also
// against one document.
STDAPI ConfigDataEvaluate(IConfigDocument* document, BSTR expression, LONG* matched);

// The success code of an evaluation that ran out of work before it reached its value.
inline constexpr HRESULT CONFIGDATA_S_OUT_OF_WORK = 0x00040201;

// *valid = 1 when the expression compiles as XPath 1.0, else 0; S_OK. An expression that names
// an unknown function or an unbound variable, or passes an argument of the wrong type, counts as
// not compiling: it could never be evaluated.
STDAPI ConfigDataCheckExpression(BSTR expression, LONG* valid);
