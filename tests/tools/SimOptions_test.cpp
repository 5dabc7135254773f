// The simulator's command line: defaults, every option in both spellings, and each refusal.

#include <gtest/gtest.h>

#include "sim/SimOptions.h"

namespace quorvane::sim {
namespace {

SimOptions parsed(const std::vector<std::string>& args) {
    auto result = parseSimOptions(args);
    EXPECT_TRUE(std::holds_alternative<SimOptions>(result)) << std::get<std::string>(result);
    return std::holds_alternative<SimOptions>(result) ? std::get<SimOptions>(result) : SimOptions{};
}

std::string refusal(const std::vector<std::string>& args) {
    auto result = parseSimOptions(args);
    return std::holds_alternative<std::string>(result) ? std::get<std::string>(result) : "(accepted)";
}

TEST(SimOptions, DefaultsPlayABalanceTwiceASecond) {
    const SimOptions options = parsed({});
    EXPECT_EQ(options.Profile, "balance");
    EXPECT_EQ(options.Rate, 2.0);
    EXPECT_EQ(options.Baud, 9600);
    EXPECT_FALSE(options.Count);
    EXPECT_FALSE(options.Seed);
    EXPECT_FALSE(options.Fast);
    EXPECT_TRUE(options.ReplayFile.empty());
    EXPECT_TRUE(options.LinkPath.empty());
}

TEST(SimOptions, ReadsEveryOptionWithSpaceOrEquals) {
    const SimOptions profile = parsed({"--profile", "caliper", "--rate=0.5", "--count", "10",
                                       "--seed=18446744073709551615", "--link", "/tmp/x"});
    EXPECT_EQ(profile.Profile, "caliper");
    EXPECT_EQ(profile.Rate, 0.5);
    EXPECT_EQ(profile.Count, 10);
    EXPECT_EQ(profile.Seed, 18446744073709551615ULL);
    EXPECT_EQ(profile.LinkPath, "/tmp/x");

    const SimOptions replay = parsed({"--replay=cap.bin", "--baud", "115200", "--loop", "--fast"});
    EXPECT_EQ(replay.ReplayFile, "cap.bin");
    EXPECT_EQ(replay.Baud, 115200);
    EXPECT_TRUE(replay.Loop);
    EXPECT_TRUE(replay.Fast);
    EXPECT_TRUE(parsed({"--count", "3", "--fast"}).Fast);
}

TEST(SimOptions, HelpWinsOverEverythingElse) {
    EXPECT_TRUE(parsed({"--help"}).Help);
    EXPECT_TRUE(parsed({"--loop", "-h"}).Help);
}

struct Refused {
    std::vector<std::string> Args;
    std::string Says;
};

class SimOptionsRefusal : public ::testing::TestWithParam<Refused> {};

TEST_P(SimOptionsRefusal, NamesTheProblem) {
    const std::string message = refusal(GetParam().Args);
    EXPECT_NE(message.find(GetParam().Says), std::string::npos) << message;
}

INSTANTIATE_TEST_SUITE_P(
    BadArguments, SimOptionsRefusal,
    ::testing::Values(Refused{{"--verbose"}, "unknown option '--verbose'"},
                      Refused{{"stray"}, "unknown option"}, Refused{{"--rate"}, "--rate needs a value"},
                      Refused{{"--rate", "0"}, "above 0"}, Refused{{"--rate", "-2"}, "above 0"},
                      Refused{{"--rate", "fast"}, "'fast'"}, Refused{{"--rate", "nan"}, "'nan'"},
                      Refused{{"--rate", "inf"}, "'inf'"}, Refused{{"--rate", "2x"}, "'2x'"},
                      Refused{{"--count", "0"}, "positive"}, Refused{{"--count", "-1"}, "positive"},
                      Refused{{"--seed", "-1"}, "non-negative"},
                      Refused{{"--profile", "oven"}, "known: balance, caliper, scanner"},
                      Refused{{"--replay", "f", "--baud", "0"}, "--baud wants"},
                      Refused{{"--replay", "f", "--baud", "9600.5"}, "--baud wants"},
                      Refused{{"--replay", ""}, "needs a file name"}, Refused{{"--link", ""}, "needs a path"},
                      Refused{{"--fast=yes"}, "takes no value"},
                      Refused{{"--replay", "f", "--profile", "balance"}, "exclude each other"},
                      Refused{{"--replay", "f", "--count", "3"}, "--count applies to profiles"},
                      Refused{{"--replay", "f", "--rate", "3"}, "--rate applies to profiles"},
                      Refused{{"--baud", "9600"}, "--baud needs --replay"},
                      Refused{{"--loop"}, "--loop needs --replay"},
                      Refused{{"--fast", "--rate", "5"}, "exclude each other"}));

TEST(SimOptions, UsageNamesEveryOption) {
    const std::string usage = simUsageText();
    for (const char* option : {"--profile", "--rate", "--count", "--fast", "--seed", "--replay", "--baud",
                               "--loop", "--link", "--help"})
        EXPECT_NE(usage.find(option), std::string::npos) << option;
}

} // namespace
} // namespace quorvane::sim
