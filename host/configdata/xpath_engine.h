// XPath 1.0 through libxml2: compiled expressions cached per thread (libxml2's compiled forms are
// changed while they run, so threads must not share them), and evaluation under fixed limits.
#pragma once

#include <libxml/xpath.h>

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace configdata {

// Longer expressions are refused: libxml2 compiles and runs expressions recursively, one level
// per operator and parenthesis, and the limits below keep that recursion shallow.
inline constexpr std::size_t kMaxExpressionLength = 4096;
inline constexpr std::size_t kMaxExpressionNesting = 64;
// Work units libxml2 may spend on one evaluation before giving up.
inline constexpr unsigned long kXPathOperationLimit = 1'000'000;
// Compiled expressions kept per thread. More than the trigger manager's conditions per firing,
// so that evaluating all of them again finds each compiled already.
inline constexpr std::size_t kCompiledCacheSize = 16384;

// The calling thread's compiled form of `text`, or null with the reason in `error`. An expression
// counts as compiling when libxml2 compiles it and it then evaluates without error against an
// empty document: that also refuses unknown functions, unbound variables and arguments of the
// wrong type, which libxml2 only notices when it runs (a branch that the empty document never
// reaches is checked when real data reaches it, and fails that evaluation). The pointer stays
// valid on this thread until its next call here.
xmlXPathCompExpr* CompileExpression(std::u16string_view text, std::string& error);

struct XPathObjectDeleter {
    void operator()(xmlXPathObject* object) const noexcept { xmlXPathFreeObject(object); }
};
using XPathObjectPtr = std::unique_ptr<xmlXPathObject, XPathObjectDeleter>;

// One evaluation context, reused for every evaluation against one document's nodes. Not for two
// threads at once.
class XPathEvaluator {
  public:
    XPathEvaluator();
    ~XPathEvaluator();
    XPathEvaluator(const XPathEvaluator&) = delete;
    XPathEvaluator& operator=(const XPathEvaluator&) = delete;

    // The value of `expression` with `node` as the context node; null with the reason in `error`
    // when evaluation fails (its operation limit included).
    XPathObjectPtr Evaluate(xmlXPathCompExpr* expression, xmlNode* node, std::string& error);
    // XPath's boolean() of the value: 1, 0, or -1 with the reason in `error`.
    int EvaluateBoolean(xmlXPathCompExpr* expression, xmlNode* node, std::string& error);

  private:
    void Prepare(xmlNode* node) noexcept;

    xmlXPathContext* context_;
};

}  // namespace configdata
