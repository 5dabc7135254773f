// Numbers and values written as text: shortest form, significant digits, exponent form.

#include "expr/NumberText.h"

#include <clocale>
#include <gtest/gtest.h>
#include <string>

namespace quorvane {
namespace {

using namespace std::string_literals;

TEST(NumberToText, WritesTheShortestFormWithUpTo15Digits) {
    EXPECT_EQ(NumberToText(1.0 / 3), "0.333333333333333");
    EXPECT_EQ(NumberToText(0.1 + 0.2), "0.3");
    EXPECT_EQ(NumberToText(-2.5), "-2.5");
    EXPECT_EQ(NumberToText(123456789012345.0), "123456789012345");
    EXPECT_EQ(NumberToText(0.0001), "0.0001");
    EXPECT_EQ(NumberToText(-0.0), "0");
}

TEST(NumberToText, UsesTheExponentFormForVeryLargeAndSmallNumbers) {
    EXPECT_EQ(NumberToText(1e15), "1E+15");
    EXPECT_EQ(NumberToText(1234567890123456789.0), "1.23456789012346E+18");
    EXPECT_EQ(NumberToText(0.00001), "1E-05");
    EXPECT_EQ(NumberToText(-1e300), "-1E+300");
}

TEST(NumberToText, WritesSinglesWithUpTo7Digits) {
    EXPECT_EQ(NumberToText(0.1f), "0.1");
    EXPECT_EQ(NumberToText(1.0f / 3), "0.3333333");
    EXPECT_EQ(NumberToText(16777216.0f), "1.677722E+07");
}

TEST(NumberToText, IgnoresTheDecimalSeparatorOfTheLocale) {
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
        GTEST_SKIP() << "no German locale installed";
    const std::string text = NumberToText(2.5);
    std::setlocale(LC_NUMERIC, "C");
    EXPECT_EQ(text, "2.5");
}

TEST(ValueToText, WritesEveryKindOfValue) {
    EXPECT_EQ(ValueToText(Value{}), "");
    EXPECT_EQ(ValueToText(Value(0.5)), "0.5");
    EXPECT_EQ(ValueToText(Value(0.5f)), "0.5");
    EXPECT_EQ(ValueToText(Value(std::int16_t{-32768})), "-32768");
    EXPECT_EQ(ValueToText(Value(TruthValue{true})), "True");
    EXPECT_EQ(ValueToText(Value(TruthValue{false})), "False");
    EXPECT_EQ(ValueToText(Value("a\0b"s)), "a\0b"s);
}

} // namespace
} // namespace quorvane
