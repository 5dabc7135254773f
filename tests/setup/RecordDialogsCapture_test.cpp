// End to end: a record structure defined only through the dialogs, driven as a user drives them, is
// saved and run by the real program headless on a pseudo-terminal, which logs the records it was
// designed for.

#include <gtest/gtest.h>

#include "setup/SetupDialogRig.h"

#include <filesystem>

#include "config/ConfigFileFormat.h"
#include "integration/HeadlessProcess.h"

namespace quorvane {
namespace {

using test::click;
using test::control;
using test::retype;

void typeInto(QDialog& d, const QString& box, const QString& text) {
    QWidget* w = control(d, box);
    w->setFocus(Qt::OtherFocusReason);
    QApplication::processEvents();
    QTest::keyClicks(w, text);
}

TEST(RecordDialogsCapture, AFixedRecordDefinedInTheDialogsIsLoggedFieldByField) {
    test::RecordDialogRig rig;
    test::TempDir dir;
    // Port and output settings belong to other dialogs.
    rig.Config.DataBitsIndex = 3;
    rig.Config.ParityIndex = 0;
    rig.Config.OutputMode = 2;
    rig.Config.LogFileName = dir.file("capture.log");

    rig.Runner.on("RecType", [](QDialog& d) {
        click(d, "RecTypeSel_2");
        click(d, "RectypeOkButton");
    });
    rig.Runner.on("Fixed", [](QDialog& d) {
        retype(d, "Text1", "8");
        click(d, "Command1");
    });
    rig.Runner.on("RecDefs", [](QDialog& d) {
        typeInto(d, "PreambleMacro", "<");
        retype(d, "FieldLength", "3");
        typeInto(d, "FieldMacro", "|");
        click(d, "NextButton");
        retype(d, "FieldLength", "5");
        QTest::keyClick(control(d, "FieldMacro"), Qt::Key_Return); // CR LF
        click(d, "OkButton");
    });
    ASSERT_TRUE(rig.Dialogs.DefineRecordStructure());
    ASSERT_EQ(rig.Config.FieldCount, 2);
    ASSERT_EQ(rig.Config.FieldPostamble[2], "\r\n");
    const std::string path = dir.file("designed.QV3");
    ASSERT_TRUE(WriteWholeFile(path, EncodeConfigFile(rig.Config)));

    test::PtyPair pty;
    ASSERT_TRUE(pty.ok());
    test::HeadlessProcess quorvane(dir, {"--headless", path, "--device", pty.slavePath()});
    ASSERT_TRUE(quorvane.waitForMessage("Quorvane - COM1")) << quorvane.standardError();
    ASSERT_TRUE(test::sendAll(pty, "abc12345xyz67890"));
    const std::string expected = "<abc|12345\r\n<xyz|67890\r\n";
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < end &&
           ReadWholeFile(rig.Config.LogFileName).value_or("").size() < expected.size())
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    quorvane.signal(SIGTERM);
    EXPECT_EQ(quorvane.wait(), 0) << quorvane.standardError();
    EXPECT_EQ(ReadWholeFile(rig.Config.LogFileName).value_or(""), expected);
}

} // namespace
} // namespace quorvane
