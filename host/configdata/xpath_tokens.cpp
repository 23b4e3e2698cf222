#include "configdata/xpath_tokens.h"

namespace configdata {
namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Bytes of characters outside ASCII count as name characters; libxml2 judges them.
bool IsNameStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' ||
           static_cast<unsigned char>(c) >= 0x80;
}

bool IsNameChar(char c) {
    return IsNameStart(c) || IsDigit(c) || c == '.' || c == '-';
}

class Lexer {
  public:
    explicit Lexer(std::string_view text) : text_(text) {}

    std::vector<Token> Tokens() {
        std::vector<Token> tokens;
        for (;;) {
            SkipSpace();
            if (pos_ >= text_.size()) {
                tokens.push_back({TokenKind::End, pos_, pos_});
                return tokens;
            }
            const std::size_t begin = pos_;
            const TokenKind kind = Next(tokens.empty() ? TokenKind::End : tokens.back().kind);
            tokens.push_back({kind, begin, pos_});
        }
    }

  private:
    static bool FollowsOperand(TokenKind previous) {
        switch (previous) {
            case TokenKind::Number:
            case TokenKind::Literal:
            case TokenKind::Variable:
            case TokenKind::NameTest:
            case TokenKind::RightParen:
            case TokenKind::RightBracket:
            case TokenKind::Dot:
            case TokenKind::DotDot:
                return true;
            default:
                return false;
        }
    }

    void SkipSpace() {
        while (pos_ < text_.size() && IsSpace(text_[pos_])) {
            ++pos_;
        }
    }

    char At(std::size_t offset) const {
        return pos_ + offset < text_.size() ? text_[pos_ + offset] : '\0';
    }

    // The character after the current position and any white space.
    char Lookahead(std::size_t& where) const {
        where = pos_;
        while (where < text_.size() && IsSpace(text_[where])) {
            ++where;
        }
        return where < text_.size() ? text_[where] : '\0';
    }

    void SkipName() {
        while (pos_ < text_.size() && IsNameChar(text_[pos_])) {
            ++pos_;
        }
    }

    TokenKind Next(TokenKind previous) {
        const char c = text_[pos_];
        switch (c) {
            case '(':
                ++pos_;
                return TokenKind::LeftParen;
            case ')':
                ++pos_;
                return TokenKind::RightParen;
            case '[':
                ++pos_;
                return TokenKind::LeftBracket;
            case ']':
                ++pos_;
                return TokenKind::RightBracket;
            case ',':
                ++pos_;
                return TokenKind::Comma;
            case '@':
                ++pos_;
                return TokenKind::At;
            case '|':
                ++pos_;
                return TokenKind::Pipe;
            case '+':
            case '-':
            case '=':
                ++pos_;
                return TokenKind::Operator;
            case '!':
                if (At(1) != '=') {
                    throw NotXPath("'!' stands only in '!='");
                }
                pos_ += 2;
                return TokenKind::Operator;
            case '<':
            case '>':
                pos_ += At(1) == '=' ? 2U : 1U;
                return TokenKind::Operator;
            case '/':
                if (At(1) == '/') {
                    pos_ += 2;
                    return TokenKind::DoubleSlash;
                }
                ++pos_;
                return TokenKind::Slash;
            case ':':
                if (At(1) != ':') {
                    throw NotXPath("a ':' stands only in a prefixed name or in '::'");
                }
                pos_ += 2;
                return TokenKind::ColonColon;
            case '"':
            case '\'': {
                const std::size_t close = text_.find(c, pos_ + 1);
                if (close == std::string_view::npos) {
                    throw NotXPath("a literal is not closed");
                }
                pos_ = close + 1;
                return TokenKind::Literal;
            }
            case '$':
                ++pos_;
                if (!IsNameStart(At(0))) {
                    throw NotXPath("'$' must be followed by a variable name");
                }
                SkipQualifiedName();
                return TokenKind::Variable;
            case '*':
                ++pos_;
                return FollowsOperand(previous) ? TokenKind::Operator : TokenKind::NameTest;
            case '.':
                if (At(1) == '.') {
                    pos_ += 2;
                    return TokenKind::DotDot;
                }
                if (!IsDigit(At(1))) {
                    ++pos_;
                    return TokenKind::Dot;
                }
                SkipNumber();
                return TokenKind::Number;
            default:
                break;
        }
        if (IsDigit(c)) {
            SkipNumber();
            return TokenKind::Number;
        }
        if (!IsNameStart(c)) {
            throw NotXPath("a character that starts no XPath token");
        }
        const std::size_t begin = pos_;
        if (FollowsOperand(previous)) {
            SkipName();
            const std::string_view name = text_.substr(begin, pos_ - begin);
            if (name != "and" && name != "or" && name != "mod" && name != "div") {
                throw NotXPath("a name stands where an operator must");
            }
            return TokenKind::Operator;
        }
        const bool prefixed = SkipQualifiedName();
        std::size_t after = 0;
        const char next = Lookahead(after);
        if (next == '(') {
            const std::string_view name = text_.substr(begin, pos_ - begin);
            return !prefixed && (name == "comment" || name == "text" || name == "node" ||
                                 name == "processing-instruction")
                       ? TokenKind::NodeType
                       : TokenKind::Function;
        }
        if (next == ':' && after + 1 < text_.size() && text_[after + 1] == ':') {
            if (prefixed) {
                throw NotXPath("an axis name has no prefix");
            }
            return TokenKind::Axis;
        }
        return TokenKind::NameTest;
    }

    // NCName, NCName:NCName or NCName:*; true when there is a prefix.
    bool SkipQualifiedName() {
        SkipName();
        if (At(0) == ':' && At(1) != ':') {
            ++pos_;
            if (At(0) == '*') {
                ++pos_;
            } else if (IsNameStart(At(0))) {
                SkipName();
            } else {
                throw NotXPath("a prefix must be followed by a name or '*'");
            }
            return true;
        }
        return false;
    }

    // Digits, a fraction, and the exponent libxml2 also accepts.
    void SkipNumber() {
        while (IsDigit(At(0))) {
            ++pos_;
        }
        if (At(0) == '.') {
            ++pos_;
            while (IsDigit(At(0))) {
                ++pos_;
            }
        }
        if (At(0) == 'e' || At(0) == 'E') {
            ++pos_;
            if (At(0) == '+' || At(0) == '-') {
                ++pos_;
            }
            while (IsDigit(At(0))) {
                ++pos_;
            }
        }
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

}  // namespace

std::vector<Token> Tokenize(std::string_view text) {
    return Lexer(text).Tokens();
}

}  // namespace configdata
