// The tokens of an XPath 1.0 expression, told apart as the grammar's lexical rules say: after an
// operand a name or '*' is an operator; otherwise a name is a function or node type before '(',
// an axis before '::', and a name test anywhere else. Numbers may carry an exponent, as libxml2
// reads them.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace configdata {

// A text the grammar does not allow.
class NotXPath : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

enum class TokenKind {
    End,
    Number,
    Literal,
    Variable,
    NameTest,  // a name, a prefixed name, '*' or 'prefix:*' in a step
    Function,  // a name followed by '('
    NodeType,  // comment, text, processing-instruction or node followed by '('
    Axis,      // a name followed by '::'
    Operator,  // and or mod div * + - = != < <= > >=
    Slash,
    DoubleSlash,
    Pipe,
    LeftParen,
    RightParen,
    LeftBracket,
    RightBracket,
    At,
    Comma,
    ColonColon,
    Dot,
    DotDot,
};

// Where a token stands in the text.
struct Token {
    TokenKind kind = TokenKind::End;
    std::size_t begin = 0;
    std::size_t end = 0;
};

// The tokens of `text`, ending with one of kind End; raises NotXPath for a character no token
// can begin with or a literal that is not closed.
std::vector<Token> Tokenize(std::string_view text);

}  // namespace configdata
