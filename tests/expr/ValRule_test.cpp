// The val rule (leading number of a text, never failing for want of one) and the strict
// whole-text conversion that operators use.

#include "expr/ValRule.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace quorvane {
namespace {

struct ReadCase {
    const char* Text;
    std::optional<double> Expected; // std::nullopt: no number (strict) or too large (val)
};

void PrintTo(const ReadCase& c, std::ostream* out) {
    *out << '"' << c.Text << '"';
}

class ValRule : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ValRule, ReadsTheLeadingNumber) {
    EXPECT_EQ(TryVal(GetParam().Text), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(Decimal, ValRule,
                         ::testing::Values(ReadCase{"12", 12.0}, ReadCase{"1.2.3", 1.2}, ReadCase{".", 0.0},
                                           ReadCase{"", 0.0}, ReadCase{"abc", 0.0}, ReadCase{"1F", 1.0},
                                           ReadCase{" \t\n- 1 2 . 5x", -12.5}, ReadCase{"+7", 7.0},
                                           ReadCase{"--7", 0.0}, ReadCase{"1e3", 1000.0},
                                           ReadCase{"1D3", 1000.0}, ReadCase{"2.5e-1", 0.25},
                                           ReadCase{"1e", 1.0}, ReadCase{"1e+x", 1.0}, ReadCase{"1\r2", 1.0},
                                           ReadCase{"-0", 0.0}, ReadCase{"1e-400", 0.0},
                                           ReadCase{"1e400", std::nullopt},
                                           ReadCase{"0.0001e-99999999999999999999", 0.0},
                                           ReadCase{"1e99999999999999999999", std::nullopt}));

INSTANTIATE_TEST_SUITE_P(HexAndOctal, ValRule,
                         ::testing::Values(ReadCase{"&HFF", 255.0}, ReadCase{"&hff", 255.0},
                                           ReadCase{"&HFFFF", -1.0}, ReadCase{"&HFFFF&", 65535.0},
                                           ReadCase{"&H8000", -32768.0}, ReadCase{"&H10000", 65536.0},
                                           ReadCase{"&HFFFFFFFF", -1.0}, ReadCase{"&HFFFFFFFF&", -1.0},
                                           ReadCase{"&H7FFFFFFF", 2147483647.0},
                                           ReadCase{"&H000000000FF", 255.0},
                                           ReadCase{"&H100000000", std::nullopt}, ReadCase{"&O17", 15.0},
                                           ReadCase{"&o177777", -1.0}, ReadCase{"&O18", 1.0},
                                           ReadCase{"-&H10", -16.0}, ReadCase{"& H 1 F", 31.0},
                                           ReadCase{"&HG", 0.0}, ReadCase{"&", 0.0}, ReadCase{"&X1", 0.0}));

TEST(Val, TreatsANumberTooLargeAsZero) {
    EXPECT_EQ(Val("1e400"), 0.0);
    EXPECT_EQ(Val("&H1FFFFFFFF"), 0.0);
    EXPECT_EQ(Val(" 42 kg"), 42.0);
}

TEST(Val, StopsAtANulByte) {
    using namespace std::string_literals;
    EXPECT_EQ(Val("12\0"
                  "34"s),
              12.0);
}

// Where a text holds a number at all: the plot's series and the published values take a field only
// then, not the 0 the val rule gives any text.
class NumbersAtStart : public ::testing::TestWithParam<ReadCase> {};

TEST_P(NumbersAtStart, AreReadByTheValRuleOnlyWhereANumberStarts) {
    EXPECT_EQ(NumberAtStart(GetParam().Text), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(Texts, NumbersAtStart,
                         ::testing::Values(ReadCase{"  12.345", 12.345}, ReadCase{"12.5 g", 12.5},
                                           ReadCase{"-0.25", -0.25}, ReadCase{"+ 3", 3.0},
                                           ReadCase{"\t7", 7.0}, ReadCase{".5", 0.5}, ReadCase{"- . 5", -0.5},
                                           ReadCase{"1e3", 1000.0}, ReadCase{"1,5", 1.0},
                                           ReadCase{"1 000", 1000.0}, ReadCase{"0", 0.0},
                                           ReadCase{"&HFF", 255.0}, ReadCase{"& h 1F", 31.0},
                                           ReadCase{"&o17", 15.0}, ReadCase{"ST", std::nullopt},
                                           ReadCase{"ST,+1", std::nullopt}, ReadCase{"", std::nullopt},
                                           ReadCase{"   ", std::nullopt}, ReadCase{"-", std::nullopt},
                                           ReadCase{"+-1", std::nullopt}, ReadCase{".", std::nullopt},
                                           ReadCase{".x1", std::nullopt}, ReadCase{"&H", std::nullopt},
                                           ReadCase{"&HG1", std::nullopt}, ReadCase{"&O9", std::nullopt},
                                           ReadCase{"&X1", std::nullopt}, ReadCase{"\r12", std::nullopt},
                                           ReadCase{"OVER", std::nullopt}, ReadCase{"1e999", std::nullopt},
                                           ReadCase{"&H100000000", std::nullopt}));

class StrictConversion : public ::testing::TestWithParam<ReadCase> {};

TEST_P(StrictConversion, AcceptsOnlyAWholeNumber) {
    EXPECT_EQ(StrictNumber(GetParam().Text), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, StrictConversion,
    ::testing::Values(
        ReadCase{"12", 12.0}, ReadCase{" \t12\r\n", 12.0}, ReadCase{"-1.5e2", -150.0}, ReadCase{"+.5", 0.5},
        ReadCase{"5.", 5.0}, ReadCase{"&HFF", 255.0}, ReadCase{"&hFFFF", -1.0}, ReadCase{"&HFFFF&", 65535.0},
        ReadCase{"&O17", 15.0}, ReadCase{"", std::nullopt}, ReadCase{"   ", std::nullopt},
        ReadCase{"1F", std::nullopt}, ReadCase{"1 2", std::nullopt}, ReadCase{"1.2.3", std::nullopt},
        ReadCase{"-", std::nullopt}, ReadCase{".", std::nullopt}, ReadCase{"1e", std::nullopt},
        ReadCase{"1D3", std::nullopt}, ReadCase{"+-1", std::nullopt}, ReadCase{"1,5", std::nullopt},
        ReadCase{"&H", std::nullopt}, ReadCase{"&HFFG", std::nullopt}, ReadCase{"&H1FFFFFFFF", std::nullopt},
        ReadCase{"1e400", std::nullopt}, ReadCase{"inf", std::nullopt}, ReadCase{"nan", std::nullopt}));

} // namespace
} // namespace quorvane
