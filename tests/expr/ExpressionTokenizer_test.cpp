// NextToken: the token classes, keywords, two-character operators and blanks.

#include "expr/ExpressionTokenizer.h"

#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace quorvane {
namespace {

using Tokens = std::vector<std::pair<TokenKind, std::string>>;

Tokens tokenize(std::string_view expression) {
    ExpressionTokenizer tokenizer;
    tokenizer.reset(expression);
    Tokens tokens;
    for (tokenizer.NextToken(); tokenizer.tokenKind() != TokenKind::End; tokenizer.NextToken())
        tokens.emplace_back(tokenizer.tokenKind(), std::string(tokenizer.tokenText()));
    return tokens;
}

TEST(ExpressionTokenizer, NumbersAreRunsOfDigitsAndPoints) {
    EXPECT_EQ(tokenize("12.5.1abc"), (Tokens{{TokenKind::Number, "12.5.1"}, {TokenKind::Identifier, "abc"}}));
    EXPECT_EQ(tokenize("1e3"), (Tokens{{TokenKind::Number, "1"}, {TokenKind::Identifier, "e3"}}));
    EXPECT_EQ(tokenize(".5"), (Tokens{{TokenKind::Number, ".5"}}));
}

TEST(ExpressionTokenizer, IdentifiersKeepTheirFirstCharacterAndLowerTheRest) {
    EXPECT_EQ(tokenize("ABS(x)"), (Tokens{{TokenKind::Identifier, "Abs"},
                                          {TokenKind::Symbol, "("},
                                          {TokenKind::Identifier, "x"},
                                          {TokenKind::Symbol, ")"}}));
    EXPECT_EQ(tokenize("_a&B_9"), (Tokens{{TokenKind::Identifier, "_a&b_9"}}));
}

TEST(ExpressionTokenizer, KeywordsAreRecognisedInAnyCase) {
    EXPECT_EQ(tokenize("AND Or xOr eqv IMP Mod NOT"), (Tokens{{TokenKind::And, "and"},
                                                              {TokenKind::Or, "or"},
                                                              {TokenKind::Xor, "xor"},
                                                              {TokenKind::Eqv, "eqv"},
                                                              {TokenKind::Imp, "imp"},
                                                              {TokenKind::Mod, "mod"},
                                                              {TokenKind::Not, "not"}}));
    EXPECT_EQ(tokenize("android"), (Tokens{{TokenKind::Identifier, "android"}}));
}

TEST(ExpressionTokenizer, HexPrefixIsAKeywordOnlyWhenItEndsTheIdentifier) {
    EXPECT_EQ(tokenize("&H(1)"), (Tokens{{TokenKind::HexPrefix, "&h"},
                                         {TokenKind::Symbol, "("},
                                         {TokenKind::Number, "1"},
                                         {TokenKind::Symbol, ")"}}));
    EXPECT_EQ(tokenize("&h1F"), (Tokens{{TokenKind::Identifier, "&h1f"}}));
}

TEST(ExpressionTokenizer, AngleBracketsPairWithEqualsOrGreater) {
    EXPECT_EQ(tokenize("<= <> >= >> < > => <<"), (Tokens{{TokenKind::LessEqual, "<="},
                                                         {TokenKind::NotEqual, "<>"},
                                                         {TokenKind::GreaterEqual, ">="},
                                                         {TokenKind::DoubleGreater, ">>"},
                                                         {TokenKind::Symbol, "<"},
                                                         {TokenKind::Symbol, ">"},
                                                         {TokenKind::Symbol, "="},
                                                         {TokenKind::Symbol, ">"},
                                                         {TokenKind::Symbol, "<"},
                                                         {TokenKind::Symbol, "<"}}));
}

TEST(ExpressionTokenizer, BlanksSeparateTokensAndOtherBytesAreSymbols) {
    EXPECT_EQ(tokenize("\r\n\t 1 \xE9\"\x01"), (Tokens{{TokenKind::Number, "1"},
                                                       {TokenKind::Symbol, "\xE9"},
                                                       {TokenKind::Symbol, "\""},
                                                       {TokenKind::Symbol, "\x01"}}));
}

TEST(ExpressionTokenizer, NulByteIsASymbolNotTheEnd) {
    using namespace std::string_literals;
    EXPECT_EQ(tokenize("1\0"
                       "2"s),
              (Tokens{{TokenKind::Number, "1"}, {TokenKind::Symbol, "\0"s}, {TokenKind::Number, "2"}}));
}

TEST(ExpressionTokenizer, EndRepeatsOnceTheTextIsUsedUp) {
    ExpressionTokenizer tokenizer;
    tokenizer.reset(" x");
    tokenizer.NextToken();
    EXPECT_EQ(tokenizer.exprRest(), "");
    tokenizer.NextToken();
    tokenizer.NextToken();
    EXPECT_EQ(tokenizer.tokenKind(), TokenKind::End);
    EXPECT_EQ(tokenizer.tokenText(), "");
}

} // namespace
} // namespace quorvane
