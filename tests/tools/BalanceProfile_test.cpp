// The balance profile without a terminal: record layout, the weight field, print and tare
// commands however they are chunked, and the seeded walk. The pty side is in SimProgram_test.

#include <gtest/gtest.h>

#include <regex>

#include "sim/BalanceProfile.h"

namespace quorvane::sim {
namespace {

const std::regex kRecord(R"(^(ST|US),GS,[ \-0-9]{4}[0-9]\.[0-9]{3},g\r\n$)");

std::string weightField(const std::string& record) {
    return record.substr(6, 9);
}

TEST(BalanceProfile, RecordsKeepTheFixedLayoutAndStayNearTheBaseWeight) {
    BalanceProfile balance(1);
    bool sawUnstable = false;
    for (int i = 0; i < 5000; ++i) {
        const std::string record = balance.nextRecord();
        ASSERT_TRUE(std::regex_match(record, kRecord)) << record;
        sawUnstable = sawUnstable || record.rfind("US", 0) == 0;
        EXPECT_NEAR(static_cast<double>(balance.netMilligrams()), 12345.0, 70.0);
    }
    EXPECT_TRUE(sawUnstable);
}

TEST(BalanceProfile, WeightFieldIsRightAlignedInNineCharacters) {
    EXPECT_EQ(formatWeightField(12345), "   12.345");
    EXPECT_EQ(formatWeightField(0), "    0.000");
    EXPECT_EQ(formatWeightField(5), "    0.005");
    EXPECT_EQ(formatWeightField(-5), "   -0.005");
    EXPECT_EQ(formatWeightField(-1234), "   -1.234");
    EXPECT_EQ(formatWeightField(99999999), "99999.999");
    EXPECT_EQ(formatWeightField(123456789), "99999.999");
    EXPECT_EQ(formatWeightField(-99999999), "-9999.999");
}

TEST(BalanceProfile, PrintRequestAnswersTheCurrentWeightAtOnce) {
    BalanceProfile balance(7);
    const std::string shown = balance.nextRecord();
    EXPECT_EQ(balance.receive("P\r\n"), shown);
    EXPECT_EQ(balance.receive("P\r"), shown);
    EXPECT_EQ(balance.receive("P\rP\r\n"), shown + shown);
}

TEST(BalanceProfile, CommandSplitAcrossChunksRunsOnceItsLineEnds) {
    BalanceProfile balance(7);
    const std::string shown = balance.nextRecord();
    EXPECT_EQ(balance.receive("P"), "");
    EXPECT_EQ(balance.receive("\r"), shown);
    EXPECT_EQ(balance.receive("\n"), "");
}

TEST(BalanceProfile, IgnoresEverythingElse) {
    BalanceProfile balance(7);
    const std::string shown = balance.nextRecord();
    EXPECT_EQ(balance.receive("X\r\n"), "");
    EXPECT_EQ(balance.receive("p\r\n"), "");
    EXPECT_EQ(balance.receive("PP\r\n"), "");
    EXPECT_EQ(balance.receive(std::string("\0\x1B\xFF\r\n", 5)), "");
    // A long line of noise is not a command, and does not swallow the next one.
    EXPECT_EQ(balance.receive(std::string(10000, 'P') + "\r\n"), "");
    EXPECT_EQ(balance.receive("P\r\n"), shown);
}

TEST(BalanceProfile, TareZeroesTheWeightAndTheWalkGoesOnFromZero) {
    BalanceProfile balance(3);
    balance.nextRecord();
    EXPECT_EQ(balance.receive("T\r\n"), "");
    EXPECT_EQ(balance.netMilligrams(), 0);
    EXPECT_EQ(weightField(balance.receive("P\r\n")), "    0.000");
    for (int i = 0; i < 10; ++i)
        balance.nextRecord();
    EXPECT_LE(std::abs(balance.netMilligrams()), 50);
}

TEST(BalanceProfile, SameSeedGivesTheSameRecordsAndAnotherSeedDiffers) {
    BalanceProfile first(42), second(42), other(43);
    std::string a, b, c;
    for (int i = 0; i < 50; ++i) {
        a += first.nextRecord();
        b += second.nextRecord();
        c += other.nextRecord();
    }
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
}

} // namespace
} // namespace quorvane::sim
