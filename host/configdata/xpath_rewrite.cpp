#include "configdata/xpath_rewrite.h"

#include <array>
#include <cstddef>
#include <vector>

#include "configdata/xpath_tokens.h"

namespace configdata {
namespace {

enum class Axis {
    Ancestor,
    AncestorOrSelf,
    Attribute,
    Child,
    Descendant,
    DescendantOrSelf,
    Following,
    FollowingSibling,
    Namespace,
    Parent,
    Preceding,
    PrecedingSibling,
    Self,
};

constexpr std::array<std::string_view, 13> kAxisNames = {
    "ancestor",  "ancestor-or-self",  "attribute", "child",  "descendant", "descendant-or-self",
    "following", "following-sibling", "namespace", "parent", "preceding",  "preceding-sibling",
    "self"};

std::string_view NameOf(Axis axis) {
    return kAxisNames[static_cast<std::size_t>(axis)];
}

// Axes whose results from different context nodes may hold the same node: libxml2 merges them
// with a search for duplicates, every new node against every node gathered before.
bool MergesWithSearch(Axis axis) {
    return axis != Axis::Attribute && axis != Axis::Child && axis != Axis::Namespace &&
           axis != Axis::Self;
}

// A piece of the expression: where it stood in the text, its rewritten text, and whether its
// value is a node-set (a variable counts as one).
struct Part {
    std::size_t begin = 0;
    std::size_t end = 0;
    std::string text;
    bool nodeSet = false;
};

struct Step {
    std::size_t begin = 0;
    Axis axis = Axis::Child;
    std::string test;  // what the node test keeps: a name, '*', or a node type with "()"
    bool predicates = false;
    std::string text;  // the step as written, its predicates rewritten
};

class Parser {
  public:
    explicit Parser(std::string_view text) : text_(text), tokens_(Tokenize(text)) {}

    std::string Rewrite() {
        Part whole = Expr();
        if (Peek().kind != TokenKind::End) {
            throw NotXPath("the expression goes on after its end");
        }
        return std::move(whole.text);
    }

  private:
    const Token& Peek(std::size_t ahead = 0) const {
        return tokens_[std::min(next_ + ahead, tokens_.size() - 1)];
    }

    std::string_view TextOf(const Token& token) const {
        return text_.substr(token.begin, token.end - token.begin);
    }

    template <typename Names>
    bool PeekOperator(const Names& names) const {
        if (Peek().kind != TokenKind::Operator) {
            return false;
        }
        for (const std::string_view name : names) {
            if (!name.empty() && TextOf(Peek()) == name) {
                return true;
            }
        }
        return false;
    }

    const Token& Take(TokenKind kind, const char* what) {
        if (Peek().kind != kind) {
            throw NotXPath(std::string("expected ") + what);
        }
        return tokens_[next_++];
    }

    // The text from `begin` to `end`, with each part (in order, inside that range) replaced by
    // its rewritten text.
    std::string Splice(std::size_t begin, std::size_t end, const std::vector<Part>& parts) const {
        std::string out;
        std::size_t at = begin;
        for (const Part& part : parts) {
            out.append(text_.substr(at, part.begin - at));
            out += part.text;
            at = part.end;
        }
        out.append(text_.substr(at, end - at));
        return out;
    }

    Part Expr() { return Binary(0); }

    // The binary operators from loosest to tightest: or, and, equality, relational, additive,
    // multiplicative; below them the unary minus.
    Part Binary(std::size_t level) {
        using Operators = std::array<std::string_view, 4>;
        static constexpr std::array<Operators, 6> kLevels = {{
            {"or"},
            {"and"},
            {"=", "!="},
            {"<", "<=", ">", ">="},
            {"+", "-"},
            {"*", "div", "mod"},
        }};
        if (level == kLevels.size()) {
            return Unary();
        }
        Part left = Binary(level + 1);
        while (PeekOperator(kLevels[level])) {
            const std::string_view op = TextOf(tokens_[next_++]);
            Part right = Binary(level + 1);
            if (level == 2 || level == 3) {
                left = Compared(left, op, right);
            } else if (level >= 4) {
                left = Part{left.begin, right.end,
                            NumberOf(left) + Between(left, right) + NumberOf(right)};
            } else {
                left = Part{left.begin, right.end, Splice(left.begin, right.end, {left, right})};
            }
        }
        return left;
    }

    std::string Between(const Part& left, const Part& right) const {
        return std::string(text_.substr(left.end, right.begin - left.end));
    }

    // A comparison that takes string values of a node-set goes through a counting function;
    // one of two other values costs no more than making them did.
    Part Compared(const Part& left, std::string_view op, const Part& right) const {
        if (!left.nodeSet && !right.nodeSet) {
            return Part{left.begin, right.end, Splice(left.begin, right.end, {left, right})};
        }
        static constexpr std::array<std::pair<std::string_view, std::string_view>, 6> kNames = {{
            {"=", "equal"},
            {"!=", "not-equal"},
            {"<", "less"},
            {"<=", "less-or-equal"},
            {">", "greater"},
            {">=", "greater-or-equal"},
        }};
        std::string name(kWorkFunctionPrefix);
        for (const auto& [symbol, function] : kNames) {
            if (symbol == op) {
                name += function;
            }
        }
        return Part{left.begin, right.end, name + "(" + left.text + "," + right.text + ")"};
    }

    // Arithmetic on a node-set takes the number of its first node's string value.
    static std::string NumberOf(const Part& part) {
        return part.nodeSet ? "number(" + part.text + ")" : part.text;
    }

    Part Unary() {
        const std::size_t begin = Peek().begin;
        int minus = 0;
        while (PeekOperator(std::array<std::string_view, 1>{"-"})) {
            ++next_;
            ++minus;
        }
        Part operand = Union();
        if (minus == 0) {
            return operand;
        }
        return Part{begin, operand.end,
                    std::string(text_.substr(begin, operand.begin - begin)) + NumberOf(operand)};
    }

    Part Union() {
        Part left = Path();
        while (Peek().kind == TokenKind::Pipe) {
            ++next_;
            Part right = Path();
            left = Part{
                left.begin, right.end,
                std::string(kWorkFunctionPrefix) + "union(" + left.text + "," + right.text + ")",
                true};
        }
        return left;
    }

    static bool StartsStep(TokenKind kind) {
        return kind == TokenKind::NameTest || kind == TokenKind::NodeType ||
               kind == TokenKind::Axis || kind == TokenKind::At || kind == TokenKind::Dot ||
               kind == TokenKind::DotDot;
    }

    Part Path() {
        const Token& first = Peek();
        std::vector<std::pair<TokenKind, Step>> steps;
        if (first.kind == TokenKind::Slash || first.kind == TokenKind::DoubleSlash) {
            // An absolute path: its first step starts from the one root node.
            if (first.kind == TokenKind::Slash && !StartsStep(Peek(1).kind)) {
                ++next_;
                return Part{first.begin, first.end, "/", true};
            }
            RelativeSteps(steps);
            return PathPart(first.begin, "/", {}, false, steps);
        }
        if (StartsStep(first.kind)) {
            steps.emplace_back(TokenKind::End, ParseStep());
            RelativeSteps(steps);
            return PathPart(first.begin, ".", {}, false, steps);
        }
        Part filter = Filter();
        if (Peek().kind != TokenKind::Slash && Peek().kind != TokenKind::DoubleSlash) {
            return filter;
        }
        RelativeSteps(steps);
        return PathPart(filter.begin, filter.text, filter.text, filter.nodeSet, steps);
    }

    // Steps joined by '/' or '//', each kept with the separator before it.
    void RelativeSteps(std::vector<std::pair<TokenKind, Step>>& steps) {
        while (Peek().kind == TokenKind::Slash || Peek().kind == TokenKind::DoubleSlash) {
            const TokenKind separator = tokens_[next_++].kind;
            steps.emplace_back(separator, ParseStep());
        }
    }

    Step ParseStep() {
        const Token& first = Peek();
        Step step;
        step.begin = first.begin;
        if (first.kind == TokenKind::Dot || first.kind == TokenKind::DotDot) {
            ++next_;
            step.axis = first.kind == TokenKind::Dot ? Axis::Self : Axis::Parent;
            step.test = "node()";
            step.text = std::string(TextOf(first));
            return step;
        }
        if (first.kind == TokenKind::At) {
            ++next_;
            step.axis = Axis::Attribute;
        } else if (first.kind == TokenKind::Axis) {
            const std::string_view name = TextOf(tokens_[next_++]);
            bool known = false;
            for (std::size_t i = 0; i < kAxisNames.size(); ++i) {
                if (kAxisNames[i] == name) {
                    step.axis = static_cast<Axis>(i);
                    known = true;
                }
            }
            if (!known) {
                throw NotXPath("an unknown axis");
            }
            Take(TokenKind::ColonColon, "'::'");
        }
        step.test = NodeTest();
        std::vector<Part> predicates;
        while (Peek().kind == TokenKind::LeftBracket) {
            predicates.push_back(Predicate());
        }
        step.predicates = !predicates.empty();
        step.text = Splice(step.begin, tokens_[next_ - 1].end, predicates);
        return step;
    }

    std::string NodeTest() {
        const Token& token = Peek();
        if (token.kind == TokenKind::NameTest) {
            ++next_;
            const std::string_view name = TextOf(token);
            // A prefixed name (which libxml2 refuses unless the prefix is bound) is counted as
            // any element would be.
            return name.find(':') == std::string_view::npos ? std::string(name) : "*";
        }
        if (token.kind != TokenKind::NodeType) {
            throw NotXPath("expected a node test");
        }
        ++next_;
        Take(TokenKind::LeftParen, "'('");
        if (TextOf(token) == "processing-instruction" && Peek().kind == TokenKind::Literal) {
            ++next_;
        }
        Take(TokenKind::RightParen, "')'");
        return std::string(TextOf(token)) + "()";
    }

    Part Predicate() {
        const std::size_t begin = Take(TokenKind::LeftBracket, "'['").begin;
        Part inside = Expr();
        const std::size_t end = Take(TokenKind::RightBracket, "']'").end;
        return Part{begin, end, Splice(begin, end, {inside})};
    }

    Part Filter() {
        const Part primary = Primary();
        std::vector<Part> predicates;
        while (Peek().kind == TokenKind::LeftBracket) {
            predicates.push_back(Predicate());
        }
        const std::size_t end = tokens_[next_ - 1].end;
        return Part{primary.begin, end, primary.text + Splice(primary.end, end, predicates),
                    primary.nodeSet};
    }

    Part Primary() {
        const Token& token = Peek();
        switch (token.kind) {
            case TokenKind::Number:
            case TokenKind::Literal:
                ++next_;
                return Part{token.begin, token.end, std::string(TextOf(token)), false};
            case TokenKind::Variable:
                ++next_;
                return Part{token.begin, token.end, std::string(TextOf(token)), true};
            case TokenKind::LeftParen: {
                ++next_;
                Part inside = Expr();
                const std::size_t end = Take(TokenKind::RightParen, "')'").end;
                return Part{token.begin, end, Splice(token.begin, end, {inside}), inside.nodeSet};
            }
            case TokenKind::Function:
                return Call();
            default:
                throw NotXPath("expected an expression");
        }
    }

    Part Call() {
        const Token& name = tokens_[next_++];
        if (TextOf(name).substr(0, kWorkFunctionPrefix.size()) == kWorkFunctionPrefix) {
            throw NotXPath("the expression calls an unknown function");
        }
        Take(TokenKind::LeftParen, "'('");
        std::vector<Part> arguments;
        if (Peek().kind != TokenKind::RightParen) {
            arguments.push_back(Expr());
            while (Peek().kind == TokenKind::Comma) {
                ++next_;
                arguments.push_back(Expr());
            }
        }
        const std::size_t end = Take(TokenKind::RightParen, "')'").end;
        // Of the functions of XPath only id() gives a node-set.
        return Part{name.begin, end, Splice(name.begin, end, arguments), TextOf(name) == "id"};
    }

    // A path from its origin (the root "/", the context node "." or a filter, which `text`
    // begins with) through its steps, with a counting function before each step that merges the
    // results of several context nodes, and before each step along the namespace axis (libxml2
    // gathers the namespaces in scope of each context node anew, comparing each with those
    // found before). libxml2 runs "descendant-or-self::node()" without predicates followed by a
    // child or descendant step without predicates as one descendant step, and followed by a
    // self or descendant-or-self step as one descendant-or-self step; the count follows it.
    Part PathPart(std::size_t begin, const std::string& origin, std::string text, bool several,
                  const std::vector<std::pair<TokenKind, Step>>& steps) const {
        // The steps so far, with a count in front of the next step.
        auto counted = [&](const std::string& input, Axis axis, const std::string& test) {
            return std::string(kWorkFunctionPrefix) + "step(" + (input.empty() ? origin : input) +
                   ",'" + std::string(NameOf(axis)) + "','" + test + "')";
        };
        for (const auto& [separator, step] : steps) {
            if (separator == TokenKind::DoubleSlash) {
                const bool toDescendants =
                    step.axis == Axis::Child || step.axis == Axis::Descendant;
                if (!step.predicates && (toDescendants || step.axis == Axis::Self ||
                                         step.axis == Axis::DescendantOrSelf)) {
                    if (several) {
                        text =
                            counted(text, toDescendants ? Axis::Descendant : Axis::DescendantOrSelf,
                                    step.test);
                    }
                    text += "//" + step.text;
                } else {
                    if (several) {
                        text = counted(text, Axis::DescendantOrSelf, "node()");
                    }
                    if (step.axis == Axis::Namespace || MergesWithSearch(step.axis)) {
                        text = counted(text + "/descendant-or-self::node()", step.axis, step.test) +
                               "/" + step.text;
                    } else {
                        text += "//" + step.text;
                    }
                }
                several = true;
                continue;
            }
            bool joined = separator == TokenKind::Slash;
            if (step.axis == Axis::Namespace || (several && MergesWithSearch(step.axis))) {
                text = counted(text, step.axis, step.test);
                joined = true;
            }
            text += (joined ? "/" : "") + step.text;
            several = several || (step.axis != Axis::Self && step.axis != Axis::Parent);
        }
        return Part{begin, tokens_[next_ - 1].end, std::move(text), true};
    }

    std::string_view text_;
    std::vector<Token> tokens_;
    std::size_t next_ = 0;
};

}  // namespace

std::optional<std::string> RewriteForCountedWork(std::string_view expression, std::string& error) {
    try {
        return Parser(expression).Rewrite();
    } catch (const NotXPath& refused) {
        error = refused.what();
        return std::nullopt;
    }
}

}  // namespace configdata
