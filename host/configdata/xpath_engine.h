// XPath 1.0 through libxml2: compiled expressions and the evaluation context kept per thread
// (libxml2 changes both while an expression runs, so threads must not share them), and
// evaluation under fixed limits.
#pragma once

#include <libxml/xpath.h>

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "companions/ole_string.h"

namespace configdata {

// Longer expressions are refused: libxml2 compiles and runs expressions recursively, one level
// per operator and parenthesis, and the limits below keep that recursion shallow.
inline constexpr std::size_t kMaxExpressionLength = 4096;
inline constexpr std::size_t kMaxExpressionNesting = 64;
// Work units (xpath_work.h) one evaluation may spend before it gives up: about two milliseconds
// of this machine's time, whatever the expression and the document, up to the largest document
// safe_parser.h accepts.
inline constexpr unsigned long kXPathOperationLimit = 100'000;
// Compiled expressions kept per thread. More than the trigger manager's conditions per firing,
// so that evaluating all of them again finds each compiled already.
inline constexpr std::size_t kCompiledCacheSize = 16384;

// The calling thread's compiled form of `text`, or null with the reason in `error`. The text is
// compiled as xpath_rewrite.h rewrites it, so that all its work is counted. An expression counts
// as compiling when libxml2 compiles it and it then evaluates without error against an empty
// document: that also refuses unknown functions, unbound variables and arguments of the
// wrong type, which libxml2 only notices when it runs (a branch that the empty document never
// reaches is checked when real data reaches it, and fails that evaluation). The pointer stays
// valid on this thread until its next call here.
xmlXPathCompExpr* CompileExpression(OleStringView text, std::string& error);

struct XPathObjectDeleter {
    void operator()(xmlXPathObject* object) const noexcept { xmlXPathFreeObject(object); }
};
using XPathObjectPtr = std::unique_ptr<xmlXPathObject, XPathObjectDeleter>;

// The value of `expression` with `node` as the context node, evaluated in the calling thread's
// own context (made once per thread, like the compiled forms it runs); null with the reason in
// `error` when evaluation fails, running out of work included. Evaluation only reads the tree, so
// threads may evaluate against one document at once while nobody changes it.
XPathObjectPtr Evaluate(xmlXPathCompExpr* expression, xmlNode* node, std::string& error);

enum class Truth { False, True, OutOfWork, Failed };

// XPath's boolean() of the value, without building a node-set further than it needs; the reason
// in `error` when the evaluation ran out of work or failed otherwise.
Truth EvaluateBoolean(xmlXPathCompExpr* expression, xmlNode* node, std::string& error);

}  // namespace configdata
