// Number pictures through FormatValue: each picture element, sections, rounding and signs, in the
// "C" conventions and with "," as decimal separator. Named formats are in ValueFormat_test.cpp.

#include "expr/ValueFormat.h"
#include "FormatTestSupport.h"

#include <cstdint>
#include <gtest/gtest.h>

namespace quorvane {
namespace {

using test::FormatCase;

class NumberPictureInC : public ::testing::TestWithParam<FormatCase> {};

TEST_P(NumberPictureInC, FormatsAsTheTableSays) {
    const FormatCase& c = GetParam();
    EXPECT_EQ(FormatValue(c.Input, c.Format, test::cLocale()), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(DigitPlaceholders, NumberPictureInC,
                         ::testing::Values(FormatCase{5.0, "0", "5"}, FormatCase{5.0, "000", "005"},
                                           FormatCase{5.0, "#", "5"}, FormatCase{0.0, "#", ""},
                                           FormatCase{0.0, "0", "0"}, FormatCase{5.0, "#0#", "05"},
                                           // Digits beyond the placeholders are never cut off.
                                           FormatCase{12345.0, "0", "12345"},
                                           FormatCase{12345.0, "#0", "12345"},
                                           FormatCase{5551234567.0, "(000) 000-0000", "(555) 123-4567"}));

INSTANTIATE_TEST_SUITE_P(DecimalPlaces, NumberPictureInC,
                         ::testing::Values(FormatCase{0.5, "#.##", ".5"}, FormatCase{0.5, "0.##", "0.5"},
                                           FormatCase{5.0, "#.##", "5."}, FormatCase{1.5, "0.0#", "1.5"},
                                           FormatCase{1.256, "0.0#", "1.26"}, FormatCase{1.2, "0.00", "1.20"},
                                           // With no whole-part placeholder the whole part still shows.
                                           FormatCase{12.345, ".00", "12.35"}));

INSTANTIATE_TEST_SUITE_P(
    ThousandsAndScaling, NumberPictureInC,
    ::testing::Values(FormatCase{1234567.891, "#,##0.00", "1,234,567.89"}, FormatCase{5.0, "0,000", "0,005"},
                      FormatCase{123.0, "#,##0", "123"}, FormatCase{1234.0, "#,#", "1,234"},
                      FormatCase{-1234.5, "#,##0.0", "-1,234.5"}, FormatCase{1234567.0, "#,##0,", "1,235"},
                      FormatCase{1234567.0, "0,,", "1"}, FormatCase{1500000.0, "0,,.0", "1.5"}));

INSTANTIATE_TEST_SUITE_P(
    PercentAndExponent, NumberPictureInC,
    ::testing::Values(FormatCase{0.256, "0%", "26%"}, FormatCase{0.5, "0.0%", "50.0%"},
                      FormatCase{0.5, "%0", "%50"}, FormatCase{1234.0, "0.00E+00", "1.23E+03"},
                      FormatCase{0.00123, "0.00E+00", "1.23E-03"}, FormatCase{1234.0, "0.00E-00", "1.23E03"},
                      FormatCase{0.00123, "0.00e-0", "1.23e-3"}, FormatCase{12345.0, "00.0E+0", "12.3E+3"},
                      FormatCase{99999.0, "0.0E+00", "1.0E+05"}, FormatCase{0.0, "0.00E+00", "0.00E+00"},
                      FormatCase{1e100, "0E+0", "1E+100"}, FormatCase{-1234.0, "0.0E+0", "-1.2E+3"}));

INSTANTIATE_TEST_SUITE_P(
    Literals, NumberPictureInC,
    ::testing::Values(FormatCase{5.0, "$0.00", "$5.00"}, FormatCase{5.0, "0\" kg\"", "5 kg"},
                      FormatCase{0.05, "0\\%", "0%"}, FormatCase{5.0, "\"#\"0", "#5"},
                      FormatCase{5.0, "0 \"units\"", "5 units"}, FormatCase{5.0, "0 days", "5 days"},
                      FormatCase{5.0, "\"0;1\"0", "0;15"}, FormatCase{5.0, "0\"unclosed", "5unclosed"},
                      FormatCase{5.0, "0\\", "5"}));

INSTANTIATE_TEST_SUITE_P(
    Sections, NumberPictureInC,
    ::testing::Values(FormatCase{5.0, "0;(0)", "5"}, FormatCase{-5.0, "0;(0)", "(5)"},
                      FormatCase{0.0, "0;(0);\"zero\"", "zero"}, FormatCase{-5.0, "0;;\"zero\"", "-5"},
                      FormatCase{0.0, "0.0;-0.0;", "0.0"}, FormatCase{-5.0, "0", "-5"},
                      FormatCase{-5.0, "$0", "-$5"},
                      // The zero section is for a value that is zero, not one that rounds to it.
                      FormatCase{0.001, "0;(0);\"zero\"", "0"},
                      // A word in a later section is text, whatever letters it holds.
                      FormatCase{0.0, "0;-0;none", "none"}, FormatCase{5.0, "0;-0;0;x;ignored", "5"}));

INSTANTIATE_TEST_SUITE_P(RoundingHalvesAwayFromZero, NumberPictureInC,
                         ::testing::Values(FormatCase{2.675, "0.00", "2.68"},
                                           FormatCase{1.005, "0.00", "1.01"}, FormatCase{-2.5, "0", "-3"},
                                           FormatCase{0.5, "0", "1"}, FormatCase{1.5, "0", "2"},
                                           FormatCase{2.5, "0", "3"}, FormatCase{0.125, "0.00", "0.13"},
                                           FormatCase{9.995, "0.00", "10.00"},
                                           FormatCase{0.045, "0.0", "0.0"}, FormatCase{0.05, "0.0", "0.1"},
                                           FormatCase{1e-20, "0.00", "0.00"},
                                           FormatCase{1234.5, "#,##0", "1,235"},
                                           // Shown with 15 significant digits, as numbers are everywhere.
                                           FormatCase{0.1, "0.00000000000000000", "0.10000000000000000"},
                                           FormatCase{0.1 + 0.2, "0.0000000000000000", "0.3000000000000000"},
                                           FormatCase{123456789012345678.0, "0", "123456789012346000"},
                                           FormatCase{0.1F, "0.0000000000", "0.1000000000"}));

INSTANTIATE_TEST_SUITE_P(
    NegativeAndOtherValues, NumberPictureInC,
    ::testing::Values(FormatCase{-0.001, "0.00", "0.00"}, FormatCase{-0.001, "0.00;(0.00)", "(0.00)"},
                      FormatCase{-0.0, "0.0", "0.0"}, FormatCase{std::int16_t{-7}, "000", "-007"},
                      FormatCase{TruthValue{true}, "0", "-1"}, FormatCase{TruthValue{false}, "0.0", "0.0"}));

class NumberPictureInGerman : public ::testing::TestWithParam<FormatCase> {};

TEST_P(NumberPictureInGerman, WritesCommaDecimalsAndPointThousands) {
    QUORVANE_REQUIRE_GERMAN();
    const FormatCase& c = GetParam();
    EXPECT_EQ(FormatValue(c.Input, c.Format, *test::germanLocale()), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Elements, NumberPictureInGerman,
    ::testing::Values(FormatCase{1234567.891, "#,##0.00", "1.234.567,89"}, FormatCase{0.5, "0.0%", "50,0%"},
                      FormatCase{1234.0, "0.00E+00", "1,23E+03"}, FormatCase{-2.675, "0.00;(0.00)", "(2,68)"},
                      FormatCase{5.0, "#.##", "5,"}, FormatCase{std::string("12,5"), "0.00", "12,50"},
                      FormatCase{std::string("1.234,5"), "#,##0.00", "1.234,50"}));

TEST(NumberPicture, HugeScalingAndLongPicturesStayBounded) {
    const std::string commas(5000, ',');
    EXPECT_EQ(FormatValue(1e300, "0" + commas, test::cLocale()), "0");
    const std::string zeros(3000, '0');
    EXPECT_EQ(FormatValue(1.0, "0." + zeros, test::cLocale()).size(), 3002U);
    EXPECT_EQ(FormatValue(1e-300, "0." + zeros, test::cLocale()).substr(300, 3), "010");
}

} // namespace
} // namespace quorvane
