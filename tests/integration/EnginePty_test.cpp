// The engine on a real pseudo-terminal through the termios device: what a suspended engine does with
// waiting bytes, and a device that takes only part of the output queue. The ticks are driven by the
// test; the clock is fake so nothing depends on timing.

#include <gtest/gtest.h>

#include "engine/Engine.h"
#include "platform/posix/PosixFileAccess.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeEngineView.h"
#include "fakes/FakePrompts.h"
#include "fakes/FakeSettingsStore.h"
#include "fakes/FakeSoundBeep.h"
#include "platform/posix/PosixSerialDevice.h"
#include "serial/PortBindings.h"
#include "serial/PtyPair.h"

namespace quorvane {
namespace {

class EnginePtyTest : public testing::Test {
protected:
    EnginePtyTest() {
        ResetConfiguration(config);
        config.DataBitsIndex = 3;
        config.ParityIndex = 0;
        config.RecordStructure = 1;
        config.FieldCount = 2;
        config.OutputMode = 0; // processed and shown only: the fields are what the test reads
        bindings.setOverride("COM1", pty.slavePath());
    }

    void start() {
        ASSERT_TRUE(pty.ok());
        ASSERT_TRUE(port.OpenPort());
        engine.Form_Load();
    }

    // Ticks until `records` records were delivered or 200 ticks passed.
    void tickUntilRecord(std::int64_t records) {
        for (int i = 0; i < 200 && engine.state().RecordNumber < records; ++i)
            engine.Timer1_Timer();
    }

    test::PtyPair pty;
    Configuration config;
    test::FakePrompts prompts;
    test::FakeClock clock;
    test::FakeSettingsStore store;
    PortBindings bindings{store};
    PosixSerialDevice device;
    SerialPort port{device, config, prompts, clock, bindings};
    test::FakeEngineView view;
    test::FakeSoundBeep sounds;
    PosixFileAccess files;
    Engine engine{config, EngineServices{port, view, prompts, sounds, clock, store, files},
                  EngineEnvironment{}};
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
