#include "configdata/xpath_engine.h"

#include <libxml/hash.h>
#include <libxml/xpathInternals.h>

#include <new>
#include <optional>
#include <unordered_map>
#include <vector>

#include "configdata/libxml_setup.h"
#include "configdata/thread_owned.h"
#include "configdata/utf_text.h"
#include "configdata/xpath_rewrite.h"
#include "configdata/xpath_work.h"

namespace configdata {
namespace {

// Errors are kept in the context (lastError) and read by the caller; this only stops libxml2
// from printing them.
void KeepErrorQuiet(void*, xmlError*) {}

void DropMessage(void*, const char*, ...) {}

// libxml2 reports an expression it evaluates as a stream running out of work with a message to
// the thread's generic error handler (on standard error by default) before it fails the
// evaluation; that message goes nowhere for the evaluation's life.
class QuietGenericErrors {
  public:
    QuietGenericErrors() noexcept : handler_(xmlGenericError), data_(xmlGenericErrorContext) {
        xmlSetGenericErrorFunc(nullptr, &DropMessage);
    }
    ~QuietGenericErrors() { xmlSetGenericErrorFunc(data_, handler_); }
    QuietGenericErrors(const QuietGenericErrors&) = delete;
    QuietGenericErrors& operator=(const QuietGenericErrors&) = delete;

  private:
    xmlGenericErrorFunc handler_;
    void* data_;
};

constexpr const char* kOutOfWork = "the expression ran out of work (it would take too long)";
constexpr const char* kFailed = "the expression cannot be evaluated";

bool RanOutOfWork(const xmlXPathContext& context) {
    return context.opLimit != 0 && context.opCount >= context.opLimit;
}

// Stands in for a function the expression names but XPath does not have. libxml2 would print a
// line of its own before failing; this fails the same way, quietly.
void UnknownFunction(xmlXPathParserContext* parser, int arguments) {
    for (int i = 0; i < arguments; ++i) {
        xmlXPathFreeObject(valuePop(parser));
    }
    xmlXPathErr(parser, XPATH_UNKNOWN_FUNC_ERROR);
}

// The functions of XPath, and those the rewritten expressions call, count their work; any other
// name is unknown.
xmlXPathFunction LookUpFunction(void* data, const xmlChar* name, const xmlChar* uri) {
    if (uri == nullptr) {
        if (const xmlXPathFunction counted = CountedFunction(name)) {
            return counted;
        }
    }
    auto* context = static_cast<xmlXPathContext*>(data);
    if (xmlHashLookup2(context->funcHash, name, uri) != nullptr) {
        return nullptr;  // libxml2 goes on to find it itself
    }
    return &UnknownFunction;
}

xmlXPathContext* NewContext(xmlDoc* document) {
    xmlXPathContext* context = xmlXPathNewContext(document);
    if (context == nullptr) {
        throw std::bad_alloc();
    }
    context->error = &KeepErrorQuiet;
    // Objects an evaluation lets go of are kept for the next instead of freed and allocated
    // again: a condition of a few comparisons is otherwise mostly malloc and free.
    if (xmlXPathContextSetCache(context, 1, -1, 0) != 0) {
        xmlXPathFreeContext(context);
        throw std::bad_alloc();
    }
    xmlXPathRegisterFuncLookup(context, &LookUpFunction, context);
    context->opLimit = kXPathOperationLimit;
    return context;
}

std::string Describe(const xmlError& error, const char* fallback) {
    std::string text = error.message != nullptr ? error.message : fallback;
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) {
        text.pop_back();
    }
    return text;
}

// Parentheses and predicates nested deeper than the limit, outside string literals.
bool NestedTooDeeply(std::string_view text) {
    std::size_t depth = 0;
    char quote = 0;
    for (const char c : text) {
        if (quote != 0) {
            quote = c == quote ? 0 : quote;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '(' || c == '[') {
            if (++depth > kMaxExpressionNesting) {
                return true;
            }
        } else if ((c == ')' || c == ']') && depth > 0) {
            --depth;
        }
    }
    return false;
}

// Deliberately not noexcept: the standard library then keeps each key's hash code in its node,
// so a lookup walking a bucket of this large, cold map compares stored codes instead of touching
// and rehashing every key it passes.
struct ExpressionHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const {
        return std::hash<std::string_view>{}(text);
    }
};

// What one thread keeps: its compiled expressions, the context that compiles and evaluates them,
// and the empty document each new expression is tried against. Freed when the thread ends.
class ThreadCompiler {
  public:
    ThreadCompiler() {
        EnsureLibxmlReady();
        emptyDocument_ = xmlNewDoc(reinterpret_cast<const xmlChar*>("1.0"));
        if (emptyDocument_ == nullptr) {
            throw std::bad_alloc();
        }
        try {
            context_ = NewContext(emptyDocument_);
        } catch (...) {
            xmlFreeDoc(emptyDocument_);
            throw;
        }
    }
    ~ThreadCompiler() {
        for (auto& entry : compiled_) {
            xmlXPathFreeCompExpr(entry.second);
        }
        xmlXPathFreeContext(context_);
        xmlFreeDoc(emptyDocument_);
    }
    ThreadCompiler(const ThreadCompiler&) = delete;
    ThreadCompiler& operator=(const ThreadCompiler&) = delete;

    xmlXPathCompExpr* Find(std::string_view text) const {
        const auto found = compiled_.find(text);
        return found != compiled_.end() ? found->second : nullptr;
    }

    // Compiles `text` as `rewritten` and keeps it under `text`.
    xmlXPathCompExpr* Compile(std::string_view text, const std::string& rewritten,
                              std::string& error) {
        xmlXPathCompExpr* compiled = Parse(rewritten, error);
        if (compiled == nullptr) {
            return nullptr;
        }
        if (!Tried(compiled, error)) {
            xmlXPathFreeCompExpr(compiled);
            return nullptr;
        }
        return Keep(text, compiled);
    }

    // libxml2's reason for refusing `text`, or `fallback` when it does not.
    std::string Refusal(const std::string& text, const std::string& fallback) {
        std::string error;
        xmlXPathCompExpr* compiled = Parse(text, error);
        if (compiled == nullptr) {
            return error;
        }
        xmlXPathFreeCompExpr(compiled);
        return fallback;
    }

    // The context, set for a fresh evaluation with `node` as the context node.
    xmlXPathContext* Context(xmlNode* node) noexcept {
        context_->doc = node->doc;
        context_->node = node;
        context_->opCount = 0;
        context_->depth = 0;
        xmlResetError(&context_->lastError);
        return context_;
    }

  private:
    xmlXPathCompExpr* Parse(const std::string& text, std::string& error) {
        xmlResetError(&context_->lastError);
        xmlXPathCompExpr* compiled =
            xmlXPathCtxtCompile(context_, reinterpret_cast<const xmlChar*>(text.c_str()));
        if (compiled == nullptr) {
            error = Describe(context_->lastError, "the expression is not XPath 1.0");
        }
        return compiled;
    }

    bool Tried(xmlXPathCompExpr* compiled, std::string& error) {
        XPathObjectPtr value(
            xmlXPathCompiledEval(compiled, Context(reinterpret_cast<xmlNode*>(emptyDocument_))));
        if (!value) {
            error = Describe(context_->lastError, "the expression cannot be evaluated");
            return false;
        }
        return true;
    }

    // A full cache lets its oldest expression go. (Its first node is no choice: that is usually
    // the newest, so once full the cache would keep its first expressions for ever and every new
    // one only until the next.)
    xmlXPathCompExpr* Keep(std::string_view text, xmlXPathCompExpr* compiled) {
        const std::string* key = nullptr;
        try {
            arrivals_.reserve(kCompiledCacheSize);
            key = &compiled_.emplace(std::string(text), compiled).first->first;
        } catch (...) {
            xmlXPathFreeCompExpr(compiled);
            throw;
        }
        if (arrivals_.size() < kCompiledCacheSize) {
            arrivals_.push_back(key);  // within the capacity reserved
            return compiled;
        }
        const auto victim = compiled_.find(*arrivals_[oldest_]);
        xmlXPathFreeCompExpr(victim->second);
        compiled_.erase(victim);
        arrivals_[oldest_] = key;
        oldest_ = (oldest_ + 1) % kCompiledCacheSize;
        return compiled;
    }

    xmlDoc* emptyDocument_ = nullptr;
    xmlXPathContext* context_ = nullptr;
    std::unordered_map<std::string, xmlXPathCompExpr*, ExpressionHash, std::equal_to<>> compiled_;
    // The keys of compiled_ in the order they came, a ring once full; oldest_ is the next to go.
    std::vector<const std::string*> arrivals_;
    std::size_t oldest_ = 0;
};

ThreadCompiler& ThisThreadsCompiler() {
    return ThreadOwned<ThreadCompiler>();
}

}  // namespace

xmlXPathCompExpr* CompileExpression(OleStringView text, std::string& error) {
    if (text.size() > kMaxExpressionLength) {
        error = "the expression is longer than 4096 characters";
        return nullptr;
    }
    if (text.find(OLECHAR{0}) != OleStringView::npos) {
        error = "the expression holds a zero character";
        return nullptr;
    }
    const Utf8Text utf8(text);
    ThreadCompiler& compiler = ThisThreadsCompiler();
    if (xmlXPathCompExpr* cached = compiler.Find(utf8.view())) {
        return cached;
    }
    if (NestedTooDeeply(utf8.view())) {
        error = "the expression is nested more than 64 levels deep";
        return nullptr;
    }
    std::string refused;
    const std::optional<std::string> rewritten = RewriteForCountedWork(utf8.view(), refused);
    if (!rewritten) {
        error = compiler.Refusal(std::string(utf8.view()),
                                 "the expression is not XPath 1.0: " + refused);
        return nullptr;
    }
    return compiler.Compile(utf8.view(), *rewritten, error);
}

XPathObjectPtr Evaluate(xmlXPathCompExpr* expression, xmlNode* node, std::string& error) {
    xmlXPathContext* context = ThisThreadsCompiler().Context(node);
    QuietGenericErrors quiet;
    XPathObjectPtr value(xmlXPathCompiledEval(expression, context));
    if (!value) {
        error = RanOutOfWork(*context) ? kOutOfWork : Describe(context->lastError, kFailed);
    }
    return value;
}

Truth EvaluateBoolean(xmlXPathCompExpr* expression, xmlNode* node, std::string& error) {
    xmlXPathContext* context = ThisThreadsCompiler().Context(node);
    QuietGenericErrors quiet;
    const int truth = xmlXPathCompiledEvalToBoolean(expression, context);
    if (truth >= 0) {
        return truth != 0 ? Truth::True : Truth::False;
    }
    if (RanOutOfWork(*context)) {
        error = kOutOfWork;
        return Truth::OutOfWork;
    }
    error = Describe(context->lastError, kFailed);
    return Truth::Failed;
}

}  // namespace configdata
