// Text pictures through FormatValue: placeholders, fill direction, case markers, literals and
// the section for empty texts. Numbers under a text picture are shown in their plain form.

#include "expr/ValueFormat.h"
#include "FormatTestSupport.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

using test::FormatCase;

class TextPicture : public ::testing::TestWithParam<FormatCase> {};

TEST_P(TextPicture, FormatsAsTheTableSays) {
    const FormatCase& c = GetParam();
    EXPECT_EQ(FormatValue(c.Input, c.Format, test::cLocale()), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(Placeholders, TextPicture,
                         ::testing::Values(FormatCase{std::string("abc"), "@@@@@", "  abc"},
                                           FormatCase{std::string("abc"), "&&&&&", "abc"},
                                           FormatCase{std::string("abc"), "!@@@@@", "abc  "},
                                           FormatCase{std::string("abc"), "!&&&&&", "abc"},
                                           FormatCase{std::string("5551234"), "@@@-@@@@", "555-1234"},
                                           FormatCase{std::string("12"), "@@@-@@@@", "   -  12"},
                                           FormatCase{std::string("abc"), "\"[\"@@@@\"]\"", "[ abc]"},
                                           FormatCase{std::string("abc"), "\\@@", "@abc"}));

// Nothing of the text is lost when it is longer than the picture.
INSTANTIATE_TEST_SUITE_P(LongerTexts, TextPicture,
                         ::testing::Values(FormatCase{std::string("abcdef"), "@@@", "abcdef"},
                                           FormatCase{std::string("abcdef"), "!@@@", "abcdef"},
                                           FormatCase{std::string("abcdef"), "(@@)", "(abcdef)"},
                                           FormatCase{std::string("abcdef"), "!(@@)", "(abcdef)"}));

INSTANTIATE_TEST_SUITE_P(CaseMarkers, TextPicture,
                         ::testing::Values(FormatCase{std::string("Hello"), ">", "HELLO"},
                                           FormatCase{std::string("Hello"), "<", "hello"},
                                           FormatCase{std::string("\xE4pfel \x9C"), ">", "\xC4PFEL \x8C"},
                                           FormatCase{std::string("\xC4PFEL \xD7"), "<@@@@@@@",
                                                      "\xE4pfel \xD7"},
                                           FormatCase{std::string("ab"), "\"x\">@@", "xAB"}));

INSTANTIATE_TEST_SUITE_P(EmptyTextsAndNumbers, TextPicture,
                         ::testing::Values(FormatCase{std::string(), "@;\"none\"", "none"},
                                           FormatCase{EmptyValue{}, "@;\"none\"", "none"},
                                           FormatCase{std::string(), "@@@", "   "},
                                           FormatCase{std::string("x"), "@;\"none\"", "x"},
                                           FormatCase{12.5, "@@@@@@", "  12.5"},
                                           FormatCase{std::string("0012"), "@@@@@@", "  0012"},
                                           FormatCase{TruthValue{false}, ">@", "FALSE"}));

TEST(TextPicture, NumbersUseTheLocaleDecimalSeparator) {
    QUORVANE_REQUIRE_GERMAN();
    EXPECT_EQ(FormatValue(12.5, "@@@@@@", *test::germanLocale()), "  12,5");
}

} // namespace
} // namespace quorvane
