// The feeds the simulator's loop asks for bytes: pacing, counts, room, restarts and the replay
// file. The loop and the terminal themselves are driven in SimProgram_test.

#include <gtest/gtest.h>

#include <fstream>

#include "fakes/TempDir.h"
#include "sim/BalanceProfile.h"
#include "sim/LinePacing.h"
#include "sim/ProfileFeed.h"
#include "sim/ReplayFeed.h"

namespace quorvane::sim {
namespace {

using namespace std::chrono_literals;
using std::chrono::microseconds;

constexpr std::size_t kRoom = 1 << 20;
constexpr std::size_t kRecordSize = 19; // "ST,GS,   12.345,g\r\n"

ProfileFeed balanceFeed(double rate, bool fast, std::optional<std::int64_t> count) {
    return ProfileFeed(std::make_unique<BalanceProfile>(4), rate, fast, count);
}

TEST(ProfileFeed, PacedRecordsFallDueAtTheRate) {
    auto feed = balanceFeed(2.0, false, std::nullopt);
    feed.restart();
    EXPECT_EQ(feed.take(0us, kRoom).size(), kRecordSize);
    EXPECT_EQ(feed.nextDue(), microseconds(500ms));
    EXPECT_EQ(feed.take(499ms, kRoom), "");
    EXPECT_EQ(feed.take(1s, kRoom).size(), 2 * kRecordSize);
    EXPECT_EQ(feed.nextDue(), microseconds(1500ms));
    EXPECT_EQ(feed.recordsTaken(), 3);
}

TEST(ProfileFeed, RestartBeginsThePacingAfresh) {
    auto feed = balanceFeed(2.0, false, std::nullopt);
    feed.restart();
    feed.take(5s, kRoom);
    feed.restart();
    EXPECT_EQ(feed.take(0us, kRoom).size(), kRecordSize);
    EXPECT_EQ(feed.take(100ms, kRoom), "");
}

TEST(ProfileFeed, RecordsWithNoRoomAreDroppedAndNotCounted) {
    auto feed = balanceFeed(10.0, false, 5);
    feed.restart();
    EXPECT_EQ(feed.take(1s, 0), "");
    EXPECT_EQ(feed.recordsTaken(), 0);
    EXPECT_GT(*feed.nextDue(), microseconds(1s));
    EXPECT_EQ(feed.take(1100ms, kRoom).size(), kRecordSize);
    EXPECT_EQ(feed.recordsTaken(), 1);
}

TEST(ProfileFeed, CountEndsTheFeedInFastAndPacedMode) {
    auto fast = balanceFeed(2.0, true, 3);
    fast.restart();
    EXPECT_EQ(fast.take(0us, kRoom).size(), 3 * kRecordSize);
    EXPECT_TRUE(fast.finished());
    EXPECT_EQ(fast.take(0us, kRoom), "");
    EXPECT_EQ(fast.nextDue(), std::nullopt);

    auto paced = balanceFeed(2.0, false, 2);
    paced.restart();
    EXPECT_EQ(paced.take(10s, kRoom).size(), 2 * kRecordSize);
    EXPECT_TRUE(paced.finished());
}

TEST(ProfileFeed, FastModeFillsTheRoomWithWholeRecords) {
    auto feed = balanceFeed(2.0, true, std::nullopt);
    feed.restart();
    const std::string bytes = feed.take(0us, 100);
    EXPECT_EQ(bytes.size() % kRecordSize, 0u);
    EXPECT_GE(bytes.size(), 100u);
    EXPECT_FALSE(feed.finished());
}

TEST(ProfileFeed, AnswersComeFromTheProfile) {
    auto feed = balanceFeed(2.0, false, std::nullopt);
    feed.restart();
    const std::string shown = feed.take(0us, kRoom);
    EXPECT_EQ(feed.answer("P\r\n"), shown);
}

TEST(ReplayFeed, BytesFollowTheBaudRate) {
    const std::string file(100, 'x');
    ReplayFeed feed(file, 9600, false, false);
    feed.restart();
    EXPECT_EQ(feed.take(0us, kRoom), "");
    EXPECT_EQ(feed.nextDue(), timeForBytes(1, 9600));
    EXPECT_EQ(feed.take(timeForBytes(10, 9600), kRoom).size(), 10u);
    EXPECT_EQ(feed.nextDue(), timeForBytes(11, 9600));
    EXPECT_EQ(feed.take(1s, kRoom).size(), 90u);
    EXPECT_TRUE(feed.finished());
}

TEST(ReplayFeed, FastModeSendsTheFileInOrderAsRoomAllows) {
    std::string file;
    for (int i = 0; i < 256; ++i)
        file.push_back(static_cast<char>(i));
    ReplayFeed feed(file, 9600, true, false);
    feed.restart();
    std::string sent;
    while (!feed.finished())
        sent += feed.take(0us, 30);
    EXPECT_EQ(sent, file);
}

TEST(ReplayFeed, LoopStartsTheFileAgainAndNeverFinishes) {
    ReplayFeed feed("0123456789", 9600, true, true);
    feed.restart();
    EXPECT_EQ(feed.take(0us, 25), "0123456789012345678901234");
    EXPECT_EQ(feed.take(0us, 7), "5678901");
    EXPECT_FALSE(feed.finished());
}

TEST(ReplayFeed, NoRoomHoldsTheLineBackInsteadOfLosingBytes) {
    const std::string file = "abcdefghijklmnopqrstuvwxyz";
    ReplayFeed feed(file, 9600, false, false);
    feed.restart();
    EXPECT_EQ(feed.take(1s, 5), "abcde");
    // The pace resumes from the held-back byte: nothing is due in the same instant ...
    EXPECT_EQ(feed.take(1s, kRoom), "");
    // ... and the next bytes follow at the line's speed.
    EXPECT_EQ(feed.take(1s + timeForBytes(3, 9600), kRoom), "fgh");
    EXPECT_EQ(feed.take(10s, kRoom), "ijklmnopqrstuvwxyz");
}

TEST(ReplayFile, ReadsBinaryContentsWhole) {
    test::TempDir dir;
    std::string bytes;
    for (int i = 0; i < 512; ++i)
        bytes.push_back(static_cast<char>(i % 256));
    std::ofstream(dir.file("capture.bin"), std::ios::binary) << bytes;
    std::string error;
    EXPECT_EQ(readReplayFile(dir.file("capture.bin"), error), bytes);
}

TEST(ReplayFile, RefusesMissingEmptyAndNonRegularFilesWithAReason) {
    test::TempDir dir;
    std::string error;
    EXPECT_EQ(readReplayFile(dir.file("missing.bin"), error), std::nullopt);
    EXPECT_NE(error.find("missing.bin"), std::string::npos) << error;
    std::ofstream(dir.file("empty.bin"));
    EXPECT_EQ(readReplayFile(dir.file("empty.bin"), error), std::nullopt);
    EXPECT_NE(error.find("empty"), std::string::npos) << error;
    EXPECT_EQ(readReplayFile(dir.path().string(), error), std::nullopt);
    EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
}

} // namespace
} // namespace quorvane::sim
