// The shared setup widgets offscreen: the character entry box routing keys to its editing rules with
// the internal and system clipboards, every other way into an entry box or a digit box, and the
// pickers' results as their callers read them.

#include <gtest/gtest.h>

#include "setup/SetupDialogRig.h"

#include <QClipboard>
#include <QListWidget>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QPainter>

#include "config/DisplayText.h"
#include "setup/widgets/CharEntryBox.h"
#include "setup/RenderCheck.h"
#include "setup/widgets/AsciiChart.h"
#include "setup/widgets/ColumnList.h"
#include "setup/widgets/DigitBox.h"
#include "setup/widgets/GetAKey.h"
#include "setup/widgets/GetAKey2.h"
#include "setup/records/Delim.h"

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
    EXPECT_EQ(from->text(), QString("a") + QChar(0xFF) + QChar(0x241B));

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

// Ways in besides the keys, each applied to a box holding "AB" with the caret at the end: what the
// box then stores and shows (the display form of what it stores), and whether it was refused.
struct InputPath {
    const char* Name;
    std::function<void(QLineEdit&)> Enter;
    std::string EntryStored;
    const char* DigitsText;
    bool DigitsRefused;
};

void commitInputMethod(QLineEdit& box, const QString& text) {
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(&box, &event);
}

void drop(QLineEdit& box, const QString& text) {
    QMimeData data;
    data.setText(text);
    QDropEvent event(QPointF(2, 2), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&box, &event);
}

class BoxInputPaths : public testing::TestWithParam<InputPath> {};

TEST_P(BoxInputPaths, LeaveTheBoxShowingWhatItStoresOrAreRefused) {
    std::string clipboard;
    QWidget window;
    auto* entry = new CharEntryBox(clipboard, &window);
    auto* digits = new DigitBox(&window);
    int refused = 0;
    digits->onRefused = [&] { ++refused; };
    window.show();
    entry->setStoredText("AB");
    digits->setText("12");
    GetParam().Enter(*entry);
    GetParam().Enter(*digits);
    EXPECT_EQ(entry->storedText(), GetParam().EntryStored);
    EXPECT_EQ(entry->text().toStdString(), BytesToDisplayUtf8(entry->storedText()));
    EXPECT_EQ(digits->text(), GetParam().DigitsText);
    EXPECT_EQ(refused > 0, GetParam().DigitsRefused);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, BoxInputPaths,
    testing::Values(InputPath{"ShiftInsertOfControlSigns",
                              [](QLineEdit& box) {
                                  QApplication::clipboard()->setText(QString::fromUtf8("\u2409z\u2421"));
                                  box.end(false);
                                  QTest::keyClick(&box, Qt::Key_Insert, Qt::ShiftModifier);
                              },
                              "AB\tz\x7f", "12", false},
                    InputPath{"InputMethodText", [](QLineEdit& box) { commitInputMethod(box, "z9"); }, "AB",
                              "12", true},
                    InputPath{"InputMethodDigits", [](QLineEdit& box) { commitInputMethod(box, "34"); }, "AB",
                              "1234", false},
                    InputPath{"Drop", [](QLineEdit& box) { drop(box, "z9"); }, "AB", "12", false},
                    InputPath{"EditBehindTheRules",
                              [](QLineEdit& box) {
                                  box.end(false);
                                  box.insert("zz9Q");
                              },
                              "AB", "12", true}),
    [](const testing::TestParamInfo<InputPath>& path) { return std::string(path.param.Name); });

// Every control byte and DEL, with only the fonts the program depends on: the entry box draws each as
// a visible sign of its own, and the ASCII chart's character column draws each in the chart's font.
TEST(ByteDisplay, EveryControlByteIsVisibleAndDistinctInTheEntryBoxAndTheChart) {
    std::string clipboard;
    CharEntryBox box(clipboard);
    box.resize(120, box.sizeHint().height());
    box.show();
    const auto boxPicture = [&box](const std::string& stored) {
        box.setStoredText(stored);
        return box.grab().toImage();
    };
    const QImage emptyBox = boxPicture({});

    PickerResults results;
    Configuration config;
    AsciiChart chart(config, results);
    auto* list = chart.findChild<ColumnList*>("AsciiMenu");
    ASSERT_NE(list, nullptr);
    const auto chartPicture = [list](const QString& text) {
        QImage image(40, 30, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setFont(list->font());
        painter.drawText(image.rect(), Qt::AlignCenter, text);
        return image;
    };

    const std::vector<unsigned char> bytes = test::SignedBytes();
    std::vector<QImage> inBox;
    std::vector<QImage> inChart;
    for (const unsigned char b : bytes) {
        inBox.push_back(boxPicture(std::string(1, static_cast<char>(b))));
        // The character column: row b's text between its first two tabs, NUL and TAB by name.
        inChart.push_back(chartPicture(list->rowText(b).section(u'\t', 1, 1)));
    }
    EXPECT_EQ(test::BlankOrAlike(bytes, inBox, emptyBox), "");
    EXPECT_EQ(test::BlankOrAlike(bytes, inChart, chartPicture({})), "");
}

TEST(Pickers, AndTheDelimiterListOpenShowingTwentyRows) {
    PickerResults results;
    Configuration config;
    test::FakePrompts prompts;
    AsciiChart chart(config, results);
    GetAKey keystrokes(config, results);
    GetAKey2 hotKeys(config, results);
    Delim delimiters(config, prompts);
    const std::pair<QDialog*, const char*> lists[] = {{&chart, "AsciiMenu"},
                                                      {&keystrokes, "KeyList"},
                                                      {&hotKeys, "KeyList"},
                                                      {&delimiters, "DelimOptions"}};
    for (const auto& [d, name] : lists) {
        d->show();
        const auto* list = d->findChild<QAbstractItemView*>(name);
        ASSERT_NE(list, nullptr);
        EXPECT_GE(list->viewport()->height(), list->sizeHintForRow(0) * 20) << d->objectName().toStdString();
        d->hide();
    }
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
        EXPECT_EQ(control<ColumnList>(d, "AsciiMenu")->count(), 258);
        selectRow(d, "AsciiMenu", 2);
        click(d, "AsciiOkButton");
    });
    rig.Runner.on("AsciiChart", [](QDialog& d) {
        EXPECT_EQ(control<ColumnList>(d, "AsciiMenu")->count(), 256);
        click(d, "AsciiCancelButton");
    });
    EXPECT_EQ(rig.Pickers.pickAscii(320, {" Ignore", " Void Record"}), std::string(1, '\0'));
    EXPECT_EQ(rig.Pickers.pickAscii(320), "");
}

} // namespace
} // namespace quorvane
