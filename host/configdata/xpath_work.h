// Work of an XPath evaluation that libxml2's operation count leaves out, counted into that same
// count before libxml2 does it: the core functions of XPath (the string values they take, the
// strings they build and search), and the functions that xpath_rewrite.h puts in front of
// comparisons of node-sets, unions and steps that merge the results of several context nodes.
// Each counts what the work it stands for will cost and then has libxml2 do exactly that work,
// so an expression keeps its value. Work that would pass the limit is not begun: the evaluation
// fails as libxml2's own limit makes it fail (XPATH_OP_LIMIT_EXCEEDED).
#pragma once

#include <libxml/xpath.h>

namespace configdata {

// The function that evaluates `name` (without a namespace) counting its work: a core function of
// XPath or one of the counting functions; null for any other name.
xmlXPathFunction CountedFunction(const xmlChar* name) noexcept;

}  // namespace configdata
