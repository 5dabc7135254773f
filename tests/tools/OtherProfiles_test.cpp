// The caliper and scanner profiles and the profile factory; the balance has its own file.

#include <gtest/gtest.h>

#include <regex>

#include "sim/CaliperProfile.h"
#include "sim/DeviceProfile.h"
#include "sim/ScannerProfile.h"

namespace quorvane::sim {
namespace {

TEST(CaliperProfile, ReadingsAreSignedFixedWidthMillimetresEndedByCr) {
    CaliperProfile caliper(9);
    const std::regex reading(R"(^[+\-][0-9]{3}\.[0-9]{2}\r$)");
    for (int i = 0; i < 500; ++i) {
        const std::string record = caliper.nextRecord();
        ASSERT_TRUE(std::regex_match(record, reading)) << record;
        EXPECT_NEAR(std::stod(record), 25.40, 0.21);
    }
    EXPECT_EQ(caliper.receive("P\r\n"), "");
}

TEST(CaliperProfile, ReadingFormatCoversSignZeroAndClamping) {
    EXPECT_EQ(formatCaliperReading(2540), "+025.40");
    EXPECT_EQ(formatCaliperReading(0), "+000.00");
    EXPECT_EQ(formatCaliperReading(-50), "-000.50");
    EXPECT_EQ(formatCaliperReading(1234567), "+999.99");
    EXPECT_EQ(formatCaliperReading(-1234567), "-999.99");
}

TEST(ScannerProfile, CheckDigitMatchesKnownCodes) {
    EXPECT_EQ(ean13CheckDigit("400638133393"), '1');
    EXPECT_EQ(ean13CheckDigit("590123412345"), '7');
    EXPECT_EQ(ean13CheckDigit("000000000000"), '0');
}

TEST(ScannerProfile, SendsValidEan13CodesWithCrLf) {
    ScannerProfile scanner(5);
    const std::regex code(R"(^[0-9]{13}\r\n$)");
    for (int i = 0; i < 200; ++i) {
        const std::string record = scanner.nextRecord();
        ASSERT_TRUE(std::regex_match(record, code)) << record;
        EXPECT_EQ(record[12], ean13CheckDigit(record.substr(0, 12))) << record;
    }
    EXPECT_EQ(scanner.receive("P\r\n"), "");
}

TEST(DeviceProfile, EveryListedNameMakesAProfileAndOthersNone) {
    for (const std::string& name : profileNames()) {
        auto profile = makeProfile(name, 1);
        ASSERT_NE(profile, nullptr) << name;
        EXPECT_FALSE(profile->nextRecord().empty()) << name;
    }
    EXPECT_EQ(profileNames().front(), "balance");
    EXPECT_EQ(makeProfile("Balance", 1), nullptr);
    EXPECT_EQ(makeProfile("", 1), nullptr);
}

} // namespace
} // namespace quorvane::sim
