// FormatValue as fields use it: the named formats, texts that hold numbers, texts that do not,
// empty values, the locale's separators and currency, and DecimalSeparator. Picture details are
// in NumberPicture_test.cpp, TextPicture_test.cpp and DatePicture_test.cpp.

#include "expr/ValueFormat.h"
#include "FormatTestSupport.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

using test::FormatCase;

class NamedFormatInC : public ::testing::TestWithParam<FormatCase> {};

TEST_P(NamedFormatInC, FormatsAsTheTableSays) {
    const FormatCase& c = GetParam();
    EXPECT_EQ(FormatValue(c.Input, c.Format, test::cLocale()), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, NamedFormatInC,
    ::testing::Values(
        FormatCase{1234567.5, "General Number", "1234567.5"},
        FormatCase{1.0 / 3.0, "General Number", "0.333333333333333"},
        FormatCase{1e20, "General Number", "1E+20"}, FormatCase{-0.5, "General Number", "-0.5"},
        FormatCase{1234.5, "Currency", "$1,234.50"}, FormatCase{-1234.5, "Currency", "-$1,234.50"},
        FormatCase{-0.004, "Currency", "$0.00"}, FormatCase{3.0, "Fixed", "3.00"},
        FormatCase{-1234.567, "Fixed", "-1234.57"}, FormatCase{0.005, "Fixed", "0.01"},
        FormatCase{1234567.891, "Standard", "1,234,567.89"}, FormatCase{-0.5, "Standard", "-0.50"},
        FormatCase{0.5, "Percent", "50.00%"}, FormatCase{-0.12345, "Percent", "-12.35%"},
        FormatCase{1234.0, "Scientific", "1.23E+03"}, FormatCase{0.000123, "Scientific", "1.23E-04"},
        FormatCase{0.0, "Scientific", "0.00E+00"}, FormatCase{-1234.0, "Scientific", "-1.23E+03"},
        FormatCase{0.0, "Yes/No", "No"}, FormatCase{5.0, "Yes/No", "Yes"}, FormatCase{-1.0, "Yes/No", "Yes"},
        FormatCase{0.0, "True/False", "False"}, FormatCase{0.25, "True/False", "True"},
        FormatCase{0.0, "On/Off", "Off"}, FormatCase{2.0, "On/Off", "On"},
        FormatCase{TruthValue{true}, "Yes/No", "Yes"}, FormatCase{3.0, "fIXED", "3.00"}));

INSTANTIATE_TEST_SUITE_P(TextsHoldingNumbers, NamedFormatInC,
                         ::testing::Values(FormatCase{std::string("3"), "Fixed", "3.00"},
                                           FormatCase{std::string("0"), "Yes/No", "No"},
                                           FormatCase{std::string("  12.5 "), "Fixed", "12.50"},
                                           FormatCase{std::string("-3"), "Fixed", "-3.00"},
                                           FormatCase{std::string("(3)"), "Fixed", "-3.00"},
                                           FormatCase{std::string("3-"), "Fixed", "-3.00"},
                                           FormatCase{std::string("$1,234.5"), "Fixed", "1234.50"},
                                           FormatCase{std::string("1.5E3"), "Fixed", "1500.00"},
                                           FormatCase{std::string("1.5d3"), "Fixed", "1500.00"},
                                           FormatCase{std::string("&H10"), "Fixed", "16.00"},
                                           FormatCase{std::string("&HFFFF"), "Fixed", "-1.00"},
                                           FormatCase{std::string(".5"), "Percent", "50.00%"}));

INSTANTIATE_TEST_SUITE_P(OtherTextsPassUnchanged, NamedFormatInC,
                         ::testing::Values(FormatCase{std::string("12 kg"), "Fixed", "12 kg"},
                                           FormatCase{std::string("abc"), "Yes/No", "abc"},
                                           FormatCase{std::string("."), "0.00", "."},
                                           FormatCase{std::string("1e"), "Standard", "1e"},
                                           FormatCase{std::string("--5"), "0", "--5"},
                                           FormatCase{std::string("1e999"), "0", "1e999"},
                                           FormatCase{std::string("(5"), "0", "(5"},
                                           FormatCase{std::string("&HZ"), "0", "&HZ"},
                                           FormatCase{std::string("abc"), "dd/mm/yyyy", "abc"}));

INSTANTIATE_TEST_SUITE_P(EmptyValues, NamedFormatInC,
                         ::testing::Values(FormatCase{EmptyValue{}, "0.00", ""},
                                           FormatCase{std::string(), "Fixed", ""},
                                           FormatCase{EmptyValue{}, "0;-0;\"zero\";\"n/a\"", "n/a"},
                                           FormatCase{std::string(), "0;-0;\"zero\";\"n/a\"", "n/a"},
                                           FormatCase{0.0, "0;-0;\"zero\";\"n/a\"", "zero"},
                                           FormatCase{std::string("x"), "", "x"}, FormatCase{2.5, "", "2.5"},
                                           FormatCase{TruthValue{true}, "", "True"}));

class NamedFormatInGerman : public ::testing::TestWithParam<FormatCase> {};

TEST_P(NamedFormatInGerman, UsesTheLocaleSeparatorsAndCurrency) {
    QUORVANE_REQUIRE_GERMAN();
    const FormatCase& c = GetParam();
    EXPECT_EQ(FormatValue(c.Input, c.Format, *test::germanLocale()), c.Expected);
}

// The euro sign is byte 0x80 in the program's code page.
INSTANTIATE_TEST_SUITE_P(Numbers, NamedFormatInGerman,
                         ::testing::Values(FormatCase{1234.5, "Currency", "1.234,50 \x80"},
                                           FormatCase{-1234.5, "Currency", "-1.234,50 \x80"},
                                           FormatCase{3.0, "Fixed", "3,00"},
                                           FormatCase{1234567.891, "Standard", "1.234.567,89"},
                                           FormatCase{0.5, "Percent", "50,00%"},
                                           FormatCase{1234.0, "Scientific", "1,23E+03"},
                                           FormatCase{1234.5, "General Number", "1234,5"},
                                           FormatCase{std::string("3,5"), "Fixed", "3,50"},
                                           FormatCase{std::string("-1.234,5"), "Standard", "-1.234,50"},
                                           FormatCase{std::string("1 \x80"), "Fixed", "1,00"},
                                           FormatCase{std::string("3,5 kg"), "Fixed", "3,5 kg"}));

TEST(DecimalSeparator, IsWhatTheLocaleWritesForAFraction) {
    EXPECT_EQ(DecimalSeparator(test::cLocale()), '.');
    const auto english = test::readLocale("en_US.UTF-8");
    if (english) {
        EXPECT_EQ(DecimalSeparator(*english), '.');
    }
    QUORVANE_REQUIRE_GERMAN();
    EXPECT_EQ(DecimalSeparator(*test::germanLocale()), ',');
}

TEST(FormatDateTime, EmptyFormatGivesTheGeneralDate) {
    EXPECT_EQ(FormatDateTime({2026, 12, 7, 14, 5, 9, 250}, "", test::cLocale()), "12/7/2026 2:05:09 PM");
    EXPECT_EQ(FormatDateTime({2026, 12, 7, 0, 0, 0, 0}, "", test::cLocale()), "12/7/2026");
}

TEST(FormatDateTime, NumberFormatsSeeTheSerialNumber) {
    const LocalDateTime when{2026, 12, 7, 14, 5, 9, 0};
    EXPECT_EQ(FormatDateTime(when, "0.00", test::cLocale()), "46363.59");
    EXPECT_EQ(FormatDateTime(when, "General Number", test::cLocale()), "46363.5869097222");
    EXPECT_EQ(FormatDateTime(when, "yyyy-mm-dd hh:nn:ss", test::cLocale()), "2026-12-07 14:05:09");
    EXPECT_EQ(FormatDateTime(when, ">@", test::cLocale()), "12/7/2026 2:05:09 PM");
}

} // namespace
} // namespace quorvane
