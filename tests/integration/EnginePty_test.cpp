// The engine on a real pseudo-terminal through the termios device: what a suspended engine does with
// waiting bytes, and a device that takes only part of the output queue. The ticks are driven by the
// test; the clock is fake so nothing depends on timing.

#include <gtest/gtest.h>

#include "fakes/FakeClock.h"
#include "integration/EngineOnPty.h"

namespace quorvane {
namespace {

class EnginePtyTest : public testing::Test, public test::EngineOnPty<test::FakeClock> {
protected:
    // Ticks until `records` records were delivered or 200 ticks passed.
    void tickUntilRecord(std::int64_t records) {
        for (int i = 0; i < 200 && engine.state().RecordNumber < records; ++i)
            engine.Timer1_Timer();
    }
};

TEST_F(EnginePtyTest, BytesSentWhileSuspendedAreProcessedAfterResume) {
    start();
    engine.SuspendMenu_Click();
    ASSERT_EQ(pty.send("7,8\r9,10\r"), 9u);
    for (int i = 0; i < 5; ++i)
        engine.Timer1_Timer();
    EXPECT_EQ(engine.state().RecordNumber, 0);

    engine.SuspendMenu_Click();
    tickUntilRecord(2);
    EXPECT_EQ(engine.state().RecordNumber, 2);
    EXPECT_EQ(view.Fields.at(1).Text, "9");
    EXPECT_EQ(view.Fields.at(2).Text, "10{ENTER}"); // the end character, keystroke-translated
}

TEST_F(EnginePtyTest, OutputTheDeviceCannotTakeYetArrivesLaterInOrder) {
    start();
    // Far more than a pseudo-terminal buffers while nobody reads the other end.
    std::string expected;
    for (int i = 0; expected.size() < 256 * 1024; ++i)
        expected += "line " + std::to_string(i) + "\r\n";
    engine.OutputQueue() = expected;
    engine.Timer1_Timer();
    ASSERT_FALSE(engine.OutputQueue().empty()) << "the pty took everything; the test proves nothing";

    std::string received;
    for (int i = 0; i < 10000 && received.size() < expected.size(); ++i) {
        received += pty.receive(expected.size() - received.size(), std::chrono::milliseconds(5));
        engine.Timer1_Timer();
    }
    EXPECT_EQ(received.size(), expected.size());
    EXPECT_TRUE(received == expected) << "bytes arrived out of order or changed";
    EXPECT_TRUE(engine.OutputQueue().empty());
}

} // namespace
} // namespace quorvane
