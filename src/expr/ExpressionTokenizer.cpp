#include "expr/ExpressionTokenizer.h"

#include <array>
#include <utility>

namespace quorvane {

namespace {

// Letters are ASCII only: bytes of the code page's accented letters are symbols.
bool isLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isBlank(char c) {
    return c == '\r' || c == '\n' || c == '\t' || c == ' ';
}

char toLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

TokenKind keywordKind(std::string_view lowerCaseText) {
    static constexpr std::array<std::pair<std::string_view, TokenKind>, 8> kKeywords{{
        {"and", TokenKind::And},
        {"eqv", TokenKind::Eqv},
        {"imp", TokenKind::Imp},
        {"mod", TokenKind::Mod},
        {"not", TokenKind::Not},
        {"or", TokenKind::Or},
        {"xor", TokenKind::Xor},
        {"&h", TokenKind::HexPrefix},
    }};
    for (const auto& [word, kind] : kKeywords) {
        if (lowerCaseText == word)
            return kind;
    }
    return TokenKind::Identifier;
}

} // namespace

void ExpressionTokenizer::reset(std::string_view expression) {
    m_exprRest = expression;
    m_tokenKind = TokenKind::End;
    m_tokenText.clear();
}

void ExpressionTokenizer::NextToken() {
    m_tokenText.clear();
    while (!m_exprRest.empty() && isBlank(m_exprRest.front()))
        m_exprRest.remove_prefix(1);
    if (m_exprRest.empty()) {
        m_tokenKind = TokenKind::End;
        return;
    }

    const char first = m_exprRest.front();
    m_exprRest.remove_prefix(1);
    m_tokenText.push_back(first);

    if (isDigit(first) || first == '.') {
        m_tokenKind = TokenKind::Number;
        while (!m_exprRest.empty() && (isDigit(m_exprRest.front()) || m_exprRest.front() == '.')) {
            m_tokenText.push_back(m_exprRest.front());
            m_exprRest.remove_prefix(1);
        }
    } else if (isLetter(first) || first == '_' || first == '&') {
        while (!m_exprRest.empty()) {
            const char c = m_exprRest.front();
            if (!isLetter(c) && !isDigit(c) && c != '&' && c != '_')
                break;
            m_tokenText.push_back(toLower(c));
            m_exprRest.remove_prefix(1);
        }
        // Only the first character keeps its case, so one lowered copy of it decides keywords.
        const char lowerFirst = toLower(first);
        m_tokenText[0] = lowerFirst;
        m_tokenKind = keywordKind(m_tokenText);
        if (m_tokenKind == TokenKind::Identifier)
            m_tokenText[0] = first;
    } else if ((first == '<' || first == '>') && !m_exprRest.empty() &&
               (m_exprRest.front() == '=' || m_exprRest.front() == '>')) {
        const char second = m_exprRest.front();
        m_exprRest.remove_prefix(1);
        m_tokenText.push_back(second);
        if (first == '<')
            m_tokenKind = second == '=' ? TokenKind::LessEqual : TokenKind::NotEqual;
        else
            m_tokenKind = second == '=' ? TokenKind::GreaterEqual : TokenKind::DoubleGreater;
    } else {
        m_tokenKind = TokenKind::Symbol;
    }
}

} // namespace quorvane
