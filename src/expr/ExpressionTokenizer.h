#pragma once
// The tokenizer of math expressions: ExprRest, TokenKind and TokenText, advanced by NextToken.

#include <cstdint>
#include <string>
#include <string_view>

namespace quorvane {

/// Kinds of expression tokens; operators spelt with one character are Symbol tokens.
enum class TokenKind : std::uint8_t {
    End,           ///< the expression is used up
    Number,        ///< a run of digits and "."
    Identifier,    ///< a letter, "_" or "&", then letters, digits, "&" and "_"
    And,           ///< the word "and"
    Eqv,           ///< the word "eqv"
    Imp,           ///< the word "imp"
    Mod,           ///< the word "mod"
    Not,           ///< the word "not"
    Or,            ///< the word "or"
    Xor,           ///< the word "xor"
    HexPrefix,     ///< the word "&h" standing alone
    LessEqual,     ///< "<="
    NotEqual,      ///< "<>"
    GreaterEqual,  ///< ">="
    DoubleGreater, ///< ">>", which no rule accepts
    Symbol,        ///< any other single character, "+", "(", "<" ...
};

/// Cuts an expression into tokens, one NextToken at a time.
class ExpressionTokenizer {
public:
    /// Starts over on expression: it becomes ExprRest and no token is current.
    void reset(std::string_view expression);
    /// Reads the next token off ExprRest into TokenKind and TokenText.
    void NextToken();

    /// Kind of the current token.
    TokenKind tokenKind() const { return m_tokenKind; }
    /// Text of the current token: identifiers with every character after the first in lower case.
    std::string_view tokenText() const { return m_tokenText; }
    /// True when the current token is the Symbol c.
    bool isSymbol(char c) const { return m_tokenKind == TokenKind::Symbol && m_tokenText[0] == c; }
    /// The part of the expression not read yet.
    std::string_view exprRest() const { return m_exprRest; }

private:
    std::string_view m_exprRest;
    TokenKind m_tokenKind = TokenKind::End;
    std::string m_tokenText;
};

} // namespace quorvane
