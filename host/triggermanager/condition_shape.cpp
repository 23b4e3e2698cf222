#include "triggermanager/condition_shape.h"

#include <cstddef>

namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Names as XPath reads them, with every character beyond ASCII taken as a name character: one
// that XPath would not take makes the condition fail to compile, and such a condition never
// matches, skipped or not.
bool IsNameStart(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || u == '_' || u >= 0x80;
}

bool IsNameChar(char c) {
    return IsNameStart(c) || (c >= '0' && c <= '9') || c == '.' || c == '-';
}

// Words that XPath reads as operators after an operand; as element names they are left to the
// evaluation.
bool IsOperatorName(std::string_view name) {
    return name == "and" || name == "or" || name == "div" || name == "mod";
}

class Scanner {
  public:
    explicit Scanner(std::string_view text) : text_(text) {}

    bool AtEnd() const { return at_ == text_.size(); }
    char Peek() const { return AtEnd() ? '\0' : text_[at_]; }
    void SkipSpace() {
        while (!AtEnd() && IsSpace(text_[at_])) {
            ++at_;
        }
    }
    bool Take(char c) {
        if (AtEnd() || text_[at_] != c) {
            return false;
        }
        ++at_;
        return true;
    }

    // A name without a prefix, or empty.
    std::string_view Name() {
        const std::size_t begin = at_;
        if (AtEnd() || !IsNameStart(text_[at_])) {
            return {};
        }
        while (!AtEnd() && IsNameChar(text_[at_])) {
            ++at_;
        }
        const std::string_view name = text_.substr(begin, at_ - begin);
        return IsOperatorName(name) ? std::string_view() : name;
    }

    // A literal's value, or nothing.
    std::optional<std::string_view> Literal() {
        const char quote = Peek();
        if (quote != '\'' && quote != '"') {
            return std::nullopt;
        }
        const std::size_t close = text_.find(quote, at_ + 1);
        if (close == std::string_view::npos) {
            return std::nullopt;
        }
        const std::string_view value = text_.substr(at_ + 1, close - at_ - 1);
        at_ = close + 1;
        return value;
    }

    // What stands between the '[' here and the bracket that closes it, or nothing when none
    // does. Brackets and parentheses nest; literals hold neither.
    std::optional<std::string_view> Bracketed() {
        const std::size_t begin = at_ + 1;
        std::size_t depth = 0;
        for (; at_ < text_.size(); ++at_) {
            const char c = text_[at_];
            if (c == '\'' || c == '"') {
                at_ = text_.find(c, at_ + 1);
                if (at_ == std::string_view::npos) {
                    return std::nullopt;
                }
            } else if (c == '[' || c == '(') {
                ++depth;
            } else if ((c == ']' || c == ')') && --depth == 0) {
                return text_.substr(begin, at_++ - begin);
            }
        }
        return std::nullopt;
    }

  private:
    std::string_view text_;
    std::size_t at_ = 0;
};

enum class OperandKind { Attribute, Self, Child, Literal };

struct Operand {
    OperandKind kind;
    std::string_view text;  // the name, or the literal's value
};

std::optional<Operand> ReadOperand(Scanner& scan) {
    if (scan.Take('@')) {
        scan.SkipSpace();
        const std::string_view name = scan.Name();
        return name.empty() ? std::nullopt : std::optional<Operand>({OperandKind::Attribute, name});
    }
    if (scan.Take('.')) {
        return Operand{OperandKind::Self, {}};
    }
    if (const std::optional<std::string_view> literal = scan.Literal()) {
        return Operand{OperandKind::Literal, *literal};
    }
    const std::string_view name = scan.Name();
    return name.empty() ? std::nullopt : std::optional<Operand>({OperandKind::Child, name});
}

// The fact of a conjunct that is exactly an equality of a literal with an attribute of the step's
// element (@name), the element itself (.) or its child elements (name); nothing for any other.
std::optional<ConditionFact> Equality(std::string_view conjunct, std::size_t depth) {
    Scanner scan(conjunct);
    scan.SkipSpace();
    const std::optional<Operand> left = ReadOperand(scan);
    scan.SkipSpace();
    if (!left || !scan.Take('=')) {
        return std::nullopt;
    }
    scan.SkipSpace();
    const std::optional<Operand> right = ReadOperand(scan);
    scan.SkipSpace();
    if (!right || !scan.AtEnd() ||
        (left->kind == OperandKind::Literal) == (right->kind == OperandKind::Literal)) {
        return std::nullopt;
    }
    const Operand& node = left->kind == OperandKind::Literal ? *right : *left;
    ConditionFact fact;
    fact.depth = depth;
    fact.value = left->kind == OperandKind::Literal ? left->text : right->text;
    fact.kind = node.kind == OperandKind::Attribute ? FactKind::Attribute : FactKind::Text;
    if (node.kind == OperandKind::Attribute) {
        fact.name = node.text;
    } else if (node.kind == OperandKind::Child) {
        fact.child = node.text;
    }
    return fact;
}

// A word that may be, or end in, the operator 'or': 'or' itself, or a number running into it
// ("1or"). A name such as "door" cannot: XPath reads it whole.
bool MayHoldOr(std::string_view word) {
    return word == "or" ||
           (!IsNameStart(word.front()) && word.find("or") != std::string_view::npos);
}

// The facts of the conjuncts of a predicate that are equalities (Equality), when the predicate
// is a conjunction at its top level: 'and' binds looser than anything but 'or', so each part
// between two top-level 'and's must hold. A predicate with an 'or' at its top level gives none.
void AddPredicateFacts(std::string_view body, std::size_t depth,
                       std::vector<ConditionFact>& facts) {
    const std::size_t before = facts.size();
    std::size_t conjunct = 0;
    std::size_t depthInside = 0;
    const auto takeConjunct = [&](std::size_t end) {
        const std::string_view text = body.substr(conjunct, end - conjunct);
        if (text.find_first_not_of(" \t\r\n") == std::string_view::npos) {
            return false;
        }
        if (const std::optional<ConditionFact> fact = Equality(text, depth)) {
            facts.push_back(*fact);
        }
        return true;
    };
    std::size_t at = 0;
    while (at < body.size()) {
        const char c = body[at];
        if (c == '\'' || c == '"') {
            at = body.find(c, at + 1) + 1;  // closed: Bracketed checked
            continue;
        }
        if (c == '[' || c == '(') {
            ++depthInside;
        } else if (c == ']' || c == ')') {
            --depthInside;
        } else if (depthInside == 0 && IsNameChar(c) && (at == 0 || !IsNameChar(body[at - 1]))) {
            std::size_t end = at;
            while (end < body.size() && IsNameChar(body[end])) {
                ++end;
            }
            const std::string_view word = body.substr(at, end - at);
            if (MayHoldOr(word) || (word == "and" && !takeConjunct(at))) {
                facts.resize(before);
                return;
            }
            conjunct = word == "and" ? end : conjunct;
            at = end;
            continue;
        }
        ++at;
    }
    if (!takeConjunct(body.size())) {
        facts.resize(before);
    }
}

}  // namespace

std::optional<ConditionFacts> NecessaryFacts(std::string_view condition) {
    Scanner scan(condition);
    ConditionFacts facts;
    scan.SkipSpace();
    if (!scan.Take('/')) {
        return std::nullopt;
    }
    facts.steps.reserve(4);
    do {
        scan.SkipSpace();
        const std::string_view name = scan.Name();
        if (name.empty()) {
            return std::nullopt;
        }
        facts.steps.push_back(name);
        scan.SkipSpace();
        while (scan.Peek() == '[') {
            const std::optional<std::string_view> body = scan.Bracketed();
            if (!body) {
                return std::nullopt;
            }
            AddPredicateFacts(*body, facts.steps.size(), facts.values);
            scan.SkipSpace();
        }
    } while (scan.Take('/'));
    if (!scan.AtEnd()) {
        return std::nullopt;
    }
    return facts;
}
