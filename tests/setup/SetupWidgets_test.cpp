// The shared setup widgets offscreen: the character entry box routing keys to its editing rules with
// the internal and system clipboards, and the pickers' results as their callers read them.

#include <gtest/gtest.h>

#include "setup/SetupDialogRig.h"

#include <QClipboard>

#include "setup/widgets/CharEntryBox.h"

namespace quorvane {
namespace {

using test::click;
using test::control;
using test::RecordDialogRig;
using test::selectRow;

TEST(CharEntryBox, CopiesNulAndControlsThroughTheInternalClipboardAndPastesTheSystemOne) {
    std::string clipboard;
    QWidget window;
    auto* from = new CharEntryBox(clipboard, &window);
    auto* to = new CharEntryBox(clipboard, &window);
    window.show();
    from->setStoredText(std::string("a\0\x1b", 3));
    EXPECT_EQ(from->text(), QString("a") + QChar(0xFF) + QChar(0x1B));

    from->setSelection(1, 2);
    QTest::keyClick(from, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(clipboard, std::string("\0\x1b", 2));
    QTest::keyClicks(to, "xy");
    QTest::keyClick(to, Qt::Key_Left);
    QTest::keyClick(to, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(to->storedText(), std::string("x\0\x1by", 4));

    QApplication::clipboard()->setText(QString("Z") + QChar(0xE9));
    QTest::keyClick(to, Qt::Key_End);
    QTest::keyClick(to, Qt::Key_Insert, Qt::ShiftModifier);
    QTest::keyClick(to, Qt::Key_Return);
    EXPECT_EQ(to->storedText(), std::string("x\0\x1byZ\xE9\r\n", 8));
    EXPECT_EQ(to->text().size(), 8);

    // Keys that would edit the box outside the rules leave both alike.
    QTest::keyClick(to, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(to, Qt::Key_Backspace, Qt::AltModifier);
    EXPECT_EQ(to->storedText(), std::string("x\0\x1byZ\xE9\r\n", 8));
}

TEST(Pickers, TheHotKeyPickerGivesTextAndKeyWord) {
    RecordDialogRig rig;
    rig.Runner.on("GetAKey2", [](QDialog& d) {
        EXPECT_EQ(control<QListWidget>(d, "KeyList")->count(), 100);
        selectRow(d, "KeyList", 23);
        click(d, "Ctrl");
        click(d, "Alt");
        click(d, "OKButton");
    });
    EXPECT_EQ(rig.Pickers.pickHotKey(330), "ALT+CTRL+F2");
    EXPECT_EQ(rig.Pickers.results().HotKeyWord, 6 * 256 + 113);
    EXPECT_TRUE(isSet(rig.Config.ConfigChanged));
}

TEST(Pickers, TheAsciiChartShiftsItsCharactersBelowThePreInputRows) {
    RecordDialogRig rig;
    rig.Runner.on("AsciiChart", [](QDialog& d) {
        EXPECT_EQ(control<QListWidget>(d, "AsciiMenu")->count(), 258);
        selectRow(d, "AsciiMenu", 2);
        click(d, "AsciiOkButton");
    });
    rig.Runner.on("AsciiChart", [](QDialog& d) {
        EXPECT_EQ(control<QListWidget>(d, "AsciiMenu")->count(), 256);
        click(d, "AsciiCancelButton");
    });
    EXPECT_EQ(rig.Pickers.pickAscii(320, {" Ignore", " Void Record"}), std::string(1, '\0'));
    EXPECT_EQ(rig.Pickers.pickAscii(320), "");
}

} // namespace
} // namespace quorvane
