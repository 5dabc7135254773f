// Activation from the setup window with the real runtime host on a pseudo-terminal, offscreen and
// without an X display: Test Mode hides the setup window, captures records into the log file and
// brings the window back with its state when the runtime window closes; Normal Mode closes the
// setup window and ends the program with the runtime window; a port that cannot be opened leaves the
// setup window as it was. The menu rules with a recording host are MainForm_test's.

#include <gtest/gtest.h>

#include "analyzer/ComShow.h"
#include "app/SetupRun.h"
#include "fakes/FakeSoundBeep.h"
#include "runtime/Hoxel.h"
#include "serial/PtyPair.h"
#include "setup/SetupRig.h"
#include "setup/widgets/CharEntryBox.h"

#include <QLabel>
#include <QPushButton>

#include <chrono>
#include <thread>

namespace quorvane {
namespace {

// Runs the event loop until `condition` holds or 10 s passed.
template <typename Condition>
bool pumpUntil(Condition condition) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= end)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// The setup window on a log-to-disk configuration whose port is the pty.
struct ActivationRig : test::SetupRig {
    explicit ActivationRig(const std::string& device)
        : Host(Config, Prompts, Sounds, Store, {ActivationKind::Normal, device, false}) {
        useRuntime(Host);
        Form->Form_Load();        // starts from the defaults
        Config.DataBitsIndex = 3; // a pseudo-terminal takes 8 data bits without parity only
        Config.ParityIndex = 0;
        Config.OutputMode = 2;
        Config.LogFileName = Dir.file("weights.log"); // the end-of-record CR stays in the record
    }
    std::string log() const { return ReadWholeFile(Config.LogFileName).value_or(""); }
    Hoxel* runtimeWindow() const { return Host.session() ? Host.session()->window() : nullptr; }

    test::FakeSoundBeep Sounds;
    DesktopRuntimeHost Host;
};

TEST(SetupActivationOnPty, TestModeCapturesRecordsAndComesBackWithItsState) {
    test::PtyPair pty;
    ASSERT_TRUE(pty.ok());
    ActivationRig rig(pty.slavePath());
    rig.Config.ConfigChanged = kTrue;
    rig.Config.ConfigFileName = rig.Dir.file("unsaved.QV3");
    rig.click("RunTest");
    ASSERT_NE(rig.runtimeWindow(), nullptr)
        << (rig.Prompts.Messages.empty() ? "" : rig.Prompts.Messages[0].Text);
    EXPECT_TRUE(rig.runtimeWindow()->isVisible());
    EXPECT_FALSE(rig.Form->isVisible());
    EXPECT_EQ(rig.Form->ActivationKind, 3);
    EXPECT_EQ(rig.runtimeWindow()->windowTitle(), "Quorvane - COM1");

    pty.send("12.5\r13.0\r");
    EXPECT_TRUE(pumpUntil([&] { return rig.log() == "12.5\r13.0\r"; })) << rig.log();

    rig.runtimeWindow()->close();
    EXPECT_TRUE(pumpUntil([&] { return rig.Form->isVisible(); }));
    EXPECT_EQ(rig.runtimeWindow(), nullptr);
    EXPECT_EQ(rig.Form->ActivationKind, 0);
    EXPECT_TRUE(isSet(rig.Config.ConfigChanged));
    EXPECT_EQ(rig.Config.ConfigFileName, rig.Dir.file("unsaved.QV3"));
    EXPECT_EQ(rig.Ends, 0);
    EXPECT_TRUE(rig.Prompts.Messages.empty());

    // The port was closed and can be opened again.
    rig.click("RunTest");
    ASSERT_NE(rig.runtimeWindow(), nullptr);
    rig.runtimeWindow()->close();
    EXPECT_TRUE(pumpUntil([&] { return rig.Form->isVisible(); }));
}

TEST(SetupActivationOnPty, NormalModeEndsTheProgramWithTheRuntimeWindow) {
    test::PtyPair pty;
    ASSERT_TRUE(pty.ok());
    ActivationRig rig(pty.slavePath());
    rig.click("RunNormal");
    ASSERT_NE(rig.runtimeWindow(), nullptr);
    EXPECT_FALSE(rig.Form->isVisible());
    EXPECT_EQ(rig.Ends, 0);
    rig.Form.reset(); // the program discards the closed setup window
    pty.send("7\r");
    EXPECT_TRUE(pumpUntil([&] { return rig.log() == "7\r"; })) << rig.log();
    rig.runtimeWindow()->close();
    EXPECT_TRUE(pumpUntil([&] { return rig.Ends == 1; }));
    EXPECT_EQ(rig.runtimeWindow(), nullptr);
}

TEST(SetupActivationOnPty, APortThatCannotBeOpenedLeavesTheSetupWindowAsItWas) {
    for (const char* item : {"RunTest", "RunNormal"}) {
        test::TempDir dir;
        ActivationRig rig(dir.file("no-such-device"));
        rig.Config.ConfigChanged = kTrue;
        rig.click(item);
        ASSERT_EQ(rig.Prompts.Messages.size(), 1u) << item;
        EXPECT_EQ(rig.runtimeWindow(), nullptr) << item;
        EXPECT_TRUE(rig.Form->isVisible()) << item;
        EXPECT_EQ(rig.Form->ActivationKind, 0) << item;
        EXPECT_TRUE(rig.Form->EndOnClose) << item;
        EXPECT_TRUE(isSet(rig.Config.ConfigChanged)) << item;
        EXPECT_EQ(rig.Ends, 0) << item;
    }
}

TEST(SetupActivationVirtual, TheAnalyzerPlaysTheDeviceAndNoPortIsTouched) {
    test::TempDir dir;
    ActivationRig rig(dir.file("no-such-device")); // any open would say the device is not available
    rig.Config.AckString = "OK\r";
    rig.click("RunVirtual");
    ASSERT_NE(rig.runtimeWindow(), nullptr);
    ComShow* device = rig.Host.session()->virtualDevice();
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(rig.runtimeWindow()->windowTitle(), "Quorvane - COM1 (Virtual Device)");
    EXPECT_EQ(device->windowTitle(), "Quorvane - Virtual Serial Device");
    EXPECT_EQ(device->findChild<QLabel*>("Label1")->text(), "Input Buffer - (from Quorvane)");
    for (const char* hidden :
         {"Label2", "BufByteCount", "Check1", "Frame1", "AnalyzeButton", "DTRButton", "Command1"})
        EXPECT_TRUE(device->findChild<QWidget*>(hidden)->isHidden()) << hidden;
    EXPECT_EQ(rig.Form->ActivationKind, 2);
    EXPECT_FALSE(rig.Form->isVisible());

    device->findChild<CharEntryBox*>("OutputBuffer")->setStoredText("12.5\r");
    device->findChild<QPushButton*>("SendButton")->click();
    EXPECT_TRUE(pumpUntil([&] { return rig.log() == "12.5\r"; })) << rig.log();
    EXPECT_TRUE(pumpUntil([&] { return device->bufferText() == "OK\r"; })) << device->bufferText();

    rig.runtimeWindow()->findChild<QAction*>("MReset")->trigger();
    device->findChild<QPushButton*>("QuitButton")->click();
    EXPECT_TRUE(pumpUntil([&] { return rig.Form->isVisible(); }));
    EXPECT_EQ(rig.runtimeWindow(), nullptr);
    EXPECT_EQ(rig.Form->ActivationKind, 0);
    EXPECT_TRUE(rig.Prompts.Messages.empty()) << rig.Prompts.Messages[0].Text;
}

} // namespace
} // namespace quorvane

int main(int argc, char** argv) {
    // Offscreen and without a display: no hot keys and no keystroke output, which log mode needs not.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qunsetenv("DISPLAY");
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
