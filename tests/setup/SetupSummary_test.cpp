// The setup window's body: the configuration summary follows the commands, the file commands, a run
// that changed the configuration, and the device the port stands for. What the text says of each
// setting is ConfigSummary_test's.

#include <gtest/gtest.h>

#include "setup/DialogLayoutCheck.h"
#include "setup/SetupRig.h"

#include <QPlainTextEdit>
#include <QScrollBar>

namespace quorvane {
namespace {

using test::SetupRig;

std::string summaryOf(const MainForm& form) {
    const auto* box = form.findChild<QPlainTextEdit*>(QStringLiteral("ConfigSummary"));
    EXPECT_NE(box, nullptr);
    EXPECT_TRUE(box == nullptr || box->isReadOnly());
    return box ? box->toPlainText().toStdString() : std::string();
}

void expectShown(const MainForm& form, const std::string& text) {
    const std::string summary = summaryOf(form);
    EXPECT_NE(summary.find(text), std::string::npos) << text << "\nnot in\n" << summary;
}

TEST(SetupSummary, FollowsTheCommandsTheFileCommandsAndRuns) {
    SetupRig rig;
    const std::string scale = rig.saveFile("scale.QV3");
    rig.Form->Form_Load();
    expectShown(*rig.Form, "File: Untitled");
    expectShown(*rig.Form, "Output: keystrokes to whatever window has the focus");

    rig.Dialogs.Answers = {"/tmp/weights.log"};
    rig.click("SaveToFile");
    expectShown(*rig.Form, "Output: log to disk, appended to /tmp/weights.log");

    rig.click("MiniHoxel"); // any command marks the file changed
    expectShown(*rig.Form, "changed since it was loaded or saved");

    rig.Dialogs.Answers = {scale};
    rig.Prompts.Answers = {MessageAnswer::No}; // do not save the changes
    rig.click("FileLoad");
    expectShown(*rig.Form, "File: scale.QV3 (" + scale + ")\n");

    // A test run reloads another configuration; the window shows it when it comes back.
    rig.click("RunTest");
    ASSERT_TRUE(rig.Runtime.Ended);
    rig.Config.BaudIndex = 11;
    rig.Config.PortIndex = 4;
    rig.Runtime.Ended();
    expectShown(*rig.Form, "Port: COM5 on /dev/ttyS4, 115200 baud");
}

TEST(SetupSummary, ShowsTheBoundDeviceOrTheSessionsDevice) {
    SetupRig rig;
    rig.Store.SaveSetting("Quorvane", "Ports", "COM1", "/dev/serial/by-id/usb-Scale-if00");
    rig.Form->showSummary();
    expectShown(*rig.Form, "Port: COM1 on /dev/serial/by-id/usb-Scale-if00, 9600 baud");

    SetupParts parts = rig.parts(rig.Runtime);
    parts.SessionDevice = "/dev/pts/9";
    MainForm session(std::move(parts));
    expectShown(session, "Port: COM1 on /dev/pts/9 (bound for this session), 9600 baud");
}

TEST(SetupSummary, ShowsTheExampleBalanceWholeInTheWindow) {
    SetupRig rig;
    rig.Form->Form_Load(EXAMPLES_DIR "/balance.QV3");
    // Started with a file, the window hands over to a run (recorded only); it is shown again here.
    rig.Form->show();
    expectShown(*rig.Form, "File: balance.QV3");
    const auto* box = rig.Form->findChild<QPlainTextEdit*>(QStringLiteral("ConfigSummary"));
    QApplication::processEvents();
    EXPECT_FALSE(box->verticalScrollBar()->isVisible()) << "the example's summary fits the window";
    test::checkLayout(*rig.Form, QStringLiteral("setup.png"));
}

} // namespace
} // namespace quorvane
