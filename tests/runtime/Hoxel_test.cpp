// The runtime window on the fake platform, offscreen: its layout for every size of field display,
// the captions and menu entries the engine drives, the signal buttons, the date/time box, the
// read-only item boxes with their Edit menu and clipboard link, and the window position per port.
// The engine's rules themselves are covered by the engine's tests; the real program on a real X
// server by HoxelXvfb_test.

#include <gtest/gtest.h>

#include "runtime/HoxelRig.h"

#include "platform/dbus/QtDdeClipboard.h"
#include "runtime/AboutBox.h"
#include "runtime/ItemBox.h"
#include "setup/RenderCheck.h"

#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTest>

namespace quorvane {
namespace {

using test::HoxelRig;

Configuration withFields(int fields, int buttons, int buttonFlags, bool dateTime) {
    Configuration c = test::engineTestConfig();
    c.RecordStructure = 1;
    c.FieldCount = static_cast<std::int16_t>(fields);
    c.ButtonFlags = static_cast<std::int16_t>(buttonFlags);
    c.ShowDateTime = dateTime ? kTrue : kFalse;
    for (int i = 1; i <= buttons; ++i) {
        c.OutputStringName[static_cast<std::size_t>(i)] = "Send string number " + std::to_string(i);
        c.OutputString[static_cast<std::size_t>(i)] = "S";
    }
    return c;
}

struct LayoutCase {
    int Fields;
    int Buttons;
    int ButtonFlags;
    bool DateTime;
    int FirstColumn; // fields in the first column
};

class HoxelLayout : public testing::TestWithParam<LayoutCase> {};

TEST_P(HoxelLayout, FollowsTheRowRulesAndNothingOverlapsOrClips) {
    const LayoutCase& c = GetParam();
    HoxelRig rig(withFields(c.Fields, c.Buttons, c.ButtonFlags, c.DateTime));
    rig.load();

    // Columns and rows of the field boxes.
    const int firstX = rig.control("Field_1")->x();
    for (int n = 1; n <= c.Fields; ++n) {
        QWidget* box = rig.control(QStringLiteral("Field_%1").arg(n));
        ASSERT_NE(box, nullptr) << n;
        const bool first = n <= c.FirstColumn;
        const int row = first ? n - 1 : n - c.FirstColumn - 1;
        EXPECT_EQ(box->x() == firstX, first) << n;
        EXPECT_EQ(box->y(), rig.Window.twipsToPixels(390 + row * 270)) << n;
        EXPECT_EQ(rig.control<QLabel>(QStringLiteral("FieldNumber_%1").arg(n))->text().toInt(), n);
    }
    EXPECT_EQ(rig.control(QStringLiteral("Field_%1").arg(c.Fields + 1)), nullptr);

    // Window height: 100 twips more than the taller of the button column and the field rows.
    const int shown = c.Buttons;
    const int twips = 100 + std::max((shown + 1) * 270 + 950, c.FirstColumn * 270 + 1200);
    EXPECT_EQ(rig.Window.height(), rig.Window.twipsToPixels(twips));

    // Every shown control inside the window, none over another, captions and boxes at full size.
    const QRect area = rig.Window.centralWidget()->rect();
    std::vector<QWidget*> shownControls;
    for (QWidget* w : rig.Window.centralWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (w->isVisibleTo(&rig.Window))
            shownControls.push_back(w);
    for (std::size_t i = 0; i < shownControls.size(); ++i) {
        QWidget* w = shownControls[i];
        const std::string name = w->objectName().toStdString();
        EXPECT_TRUE(area.contains(w->geometry())) << name;
        EXPECT_GE(w->height(), w->minimumSizeHint().height()) << name;
        if (qobject_cast<QPushButton*>(w) || qobject_cast<QLabel*>(w)) {
            EXPECT_GE(w->width(), w->sizeHint().width()) << name;
        }
        for (std::size_t j = i + 1; j < shownControls.size(); ++j)
            EXPECT_FALSE(w->geometry().intersects(shownControls[j]->geometry()))
                << name << " overlaps " << shownControls[j]->objectName().toStdString();
    }
    for (int i = 1; i <= 20; ++i)
        EXPECT_EQ(rig.control(QStringLiteral("StringButton_%1").arg(i))->isVisibleTo(&rig.Window),
                  i <= c.Buttons);
}

INSTANTIATE_TEST_SUITE_P(FieldCounts, HoxelLayout,
                         testing::Values(LayoutCase{1, 0, 0, false, 1}, LayoutCase{3, 3, 3, true, 3},
                                         LayoutCase{3, 5, 1, false, 3}, LayoutCase{7, 2, 2, true, 4},
                                         LayoutCase{20, 12, 3, true, 12}, LayoutCase{20, 4, 0, false, 10},
                                         LayoutCase{40, 0, 0, true, 20}, LayoutCase{40, 20, 3, true, 20},
                                         LayoutCase{39, 0, 1, false, 20}),
                         [](const testing::TestParamInfo<LayoutCase>& param) {
                             const LayoutCase& c = param.param;
                             return "Fields" + std::to_string(c.Fields) + "Buttons" +
                                    std::to_string(c.Buttons) + "Flags" + std::to_string(c.ButtonFlags) +
                                    (c.DateTime ? "DateTime" : "");
                         });

struct CaptionStep {
    const char* Menu;  // entry to trigger, or null to send a record and tick
    bool Suspended;    // " (S)" in the caption, Resume1 shown
    const char* Field; // text of Field_1 afterwards
    const char* Record;
};

class HoxelCaptions : public testing::TestWithParam<ActivationKind> {};

TEST_P(HoxelCaptions, FollowSuspendResumeOneRecordAndReset) {
    HoxelRig rig(withFields(2, 0, 0, false), GetParam());
    rig.load();
    const QString suffix = GetParam() == ActivationKind::VirtualInstrument ? " (Virtual Device)" : "";
    auto* suspend = rig.control<QAction>("SuspendMenu");
    auto* resume1 = rig.control<QAction>("Resume1");
    EXPECT_EQ(rig.Window.windowTitle(), "Quorvane - COM1" + suffix);
    EXPECT_EQ(suspend->text(), "&Suspend Hoxel");
    EXPECT_FALSE(resume1->isVisible());
    const CaptionStep steps[] = {
        {"SuspendMenu", true, "", ""},    {"Resume1", false, "", ""},      {nullptr, true, "7", "1"},
        {"SuspendMenu", false, "7", "1"}, {"SuspendMenu", true, "7", "1"}, {"MReset", false, "", ""},
    };
    for (const CaptionStep& step : steps) {
        if (step.Menu)
            rig.menu(step.Menu);
        else
            rig.send("7,,\r8,,\r").tick();
        const std::string at = step.Menu ? step.Menu : "record";
        EXPECT_EQ(rig.Window.windowTitle(),
                  "Quorvane - COM1" + QString(step.Suspended ? " (S)" : "") + suffix)
            << at;
        EXPECT_EQ(suspend->text(), step.Suspended ? "Re&sume Quorvane" : "&Suspend Quorvane") << at;
        EXPECT_EQ(resume1->isVisible(), step.Suspended) << at;
        EXPECT_EQ(rig.control<QLineEdit>("Field_1")->text(), step.Field) << at;
        EXPECT_EQ(rig.control<QLineEdit>("RecordNumber")->text(), step.Record) << at;
    }
}

INSTANTIATE_TEST_SUITE_P(Activations, HoxelCaptions,
                         testing::Values(ActivationKind::Normal, ActivationKind::VirtualInstrument),
                         [](const testing::TestParamInfo<ActivationKind>& param) {
                             return std::string(param.param == ActivationKind::Normal ? "Normal"
                                                                                      : "VirtualDevice");
                         });

TEST(HoxelMenus, TimedOutputEntryFollowsTheIntervalAndItsClicks) {
    struct Case {
        std::int32_t Interval;
        std::int16_t Flags;
        bool Visible;
        const char* Captions[3]; // at load, after one click, after two
    };
    const Case cases[] = {
        {0, 1, false, {nullptr, nullptr, nullptr}},
        {1000, 3, true, {"Disable &Timed Output", "Enable &Timed Output", "Disable &Timed Output"}},
        {1000, 2, true, {"Enable &Timed Output", "Disable &Timed Output", "Enable &Timed Output"}},
    };
    for (const Case& c : cases) {
        Configuration config = test::engineTestConfig();
        config.TimerInterval = c.Interval;
        config.TimerFlags = c.Flags;
        config.TimerString = "T";
        HoxelRig rig(config);
        rig.load();
        auto* entry = rig.control<QAction>("TOutCtrl");
        EXPECT_EQ(entry->isVisible(), c.Visible) << c.Interval;
        for (const char* caption : c.Captions) {
            if (!caption)
                break;
            EXPECT_EQ(entry->text(), caption) << c.Interval << "/" << c.Flags;
            rig.menu("TOutCtrl");
        }
    }
}

TEST(HoxelButtons, SignalButtonsShowPerButtonFlagsAndShareTheRow) {
    for (int flags = 0; flags <= 3; ++flags) {
        HoxelRig rig(withFields(1, 2, flags, false));
        rig.load();
        auto* dtr = rig.control<QPushButton>("DTRToggleButton");
        auto* brk = rig.control<QPushButton>("BreakButton");
        EXPECT_EQ(dtr->isVisibleTo(&rig.Window), (flags & 1) != 0) << flags;
        EXPECT_EQ(brk->isVisibleTo(&rig.Window), (flags & 2) != 0) << flags;
        EXPECT_EQ(dtr->text(), "DTR~");
        EXPECT_EQ(brk->text(), "Break");
        const QRect string = rig.control("StringButton_2")->geometry();
        const QRect shown = (flags & 1) ? dtr->geometry() : brk->geometry();
        if (flags == 0)
            continue;
        EXPECT_EQ(shown.y(), rig.Window.twipsToPixels(390 + 2 * 270)) << flags;
        if (flags == 3) {
            EXPECT_LT(dtr->width() + brk->width(), string.width() + 1);
        } else {
            EXPECT_EQ(shown.width(), string.width()) << flags;
        }
    }
}

TEST(HoxelButtons, StringButtonsSendOnlyOnALeftReleaseInside) {
    HoxelRig rig(withFields(1, 2, 0, false));
    rig.load();
    QWidget* second = rig.control("StringButton_2");
    EXPECT_EQ(rig.control<QPushButton>("StringButton_1")->text(), "Send string number 1");
    QTest::mouseClick(second, Qt::LeftButton);
    QTest::mouseClick(second, Qt::RightButton);
    second->setFocus();
    QTest::keyClick(second, Qt::Key_Space);
    QTest::mouseClick(second, Qt::LeftButton);
    rig.tick();
    EXPECT_EQ(rig.Device.Written, "SS");
}

TEST(HoxelDateTime, ShownAndRefreshedEachSecondOnlyWhenSwitchedOn) {
    for (const bool on : {false, true}) {
        Configuration config = test::engineTestConfig();
        config.ShowDateTime = on ? kTrue : kFalse;
        config.DateTimeFormat = "hh:mm:ss";
        HoxelRig rig(config);
        rig.load().tick();
        auto* box = rig.control<QLineEdit>("DateTime");
        EXPECT_EQ(box->isVisibleTo(&rig.Window), on);
        EXPECT_EQ(rig.control("DateTimeLabel")->isVisibleTo(&rig.Window), on);
        EXPECT_EQ(rig.control<QLabel>("DateTimeLabel")->text(), "Date/Time:");
        EXPECT_EQ(box->text(), on ? "14:05:09" : "");
        rig.Clock.Now.Second = 10;
        rig.tick();
        EXPECT_EQ(box->text(), on ? "14:05:10" : "");
    }
}

TEST(HoxelItemBoxes, KeepTheirTextAgainstEveryKeyButTheMovingOnes) {
    HoxelRig rig(withFields(2, 0, 0, true));
    rig.load().send("12,AB\r").tick();
    rig.Window.activateWindow();
    for (const char* name : {"Field_1", "DateTime", "RecordNumber"}) {
        auto* box = rig.control<QLineEdit>(name);
        const QString before = box->text();
        ASSERT_FALSE(before.isEmpty()) << name;
        box->setFocus();
        QApplication::processEvents();
        EXPECT_EQ(box->hasSelectedText(), std::string(name) != "RecordNumber") << name;
        QTest::keyClicks(box, "xy");
        for (const Qt::Key key : {Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Return, Qt::Key_Up})
            QTest::keyClick(box, key);
        QTest::keyClick(box, Qt::Key_X, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(box->text(), before) << name;
        QTest::keyClick(box, Qt::Key_Home);
        EXPECT_EQ(box->cursorPosition(), 0) << name;
        QTest::keyClick(box, Qt::Key_Right);
        EXPECT_EQ(box->cursorPosition(), 1) << name;
        QTest::keyClick(box, Qt::Key_End);
        EXPECT_EQ(box->cursorPosition(), before.size()) << name;
        QTest::keyClick(box, Qt::Key_Left);
        EXPECT_EQ(box->cursorPosition(), before.size() - 1) << name;
    }
}

// A field box draws every byte the program shows by a sign (a balance's CR among them) visibly and
// distinctly, with only the fonts the program depends on.
TEST(HoxelItemBoxes, ShowEveryByteAsAVisibleCharacterOfItsOwn) {
    HoxelRig rig(withFields(1, 0, 0, false));
    rig.load();
    auto* box = rig.control<QLineEdit>("Field_1");
    EngineView& view = rig.Window;
    const auto picture = [&](const std::string& bytes) {
        view.setFieldText(1, bytes);
        QApplication::processEvents();
        return box->grab().toImage();
    };
    const std::vector<unsigned char> bytes = test::SignedBytes();
    std::vector<QImage> shown;
    for (const unsigned char b : bytes)
        shown.push_back(picture(std::string(1, static_cast<char>(b))));
    EXPECT_EQ(test::BlankOrAlike(bytes, shown, picture({})), "");
    picture("12.5 g\r");
    EXPECT_EQ(box->text(), QStringLiteral("12.5 g\u240D"));
}

// A stream of records repaints the boxes at most once an interval, not at every step, and they end
// on the last record's texts.
TEST(HoxelItemBoxes, FollowAStreamOnceAnIntervalAndEndOnTheLastRecord) {
    HoxelRig rig(withFields(2, 0, 0, false));
    rig.load();
    rig.Window.setTextIntervalMs(300);
    auto* field = rig.control<QLineEdit>("Field_1");
    auto* number = rig.control<QLineEdit>("RecordNumber");
    int fieldChanges = 0;
    int numberChanges = 0;
    QObject::connect(field, &QLineEdit::textChanged, [&] { ++fieldChanges; });
    QObject::connect(number, &QLineEdit::textChanged, [&] { ++numberChanges; });
    for (const char* record : {"11,\r", "12,\r", "13,\r", "14,\r", "15,\r"})
        rig.send(record).tick();
    EXPECT_TRUE(QTest::qWaitFor([&] { return number->text() == "5"; }, 5000)) << number->text().toStdString();
    EXPECT_EQ(field->text(), "15");
    EXPECT_LE(fieldChanges, 2);
    EXPECT_LE(numberChanges, 2);
}

TEST(HoxelItemBoxes, RightClickFocusesTheBoxAndPopsUpTheEditMenu) {
    HoxelRig rig(withFields(3, 0, 0, false));
    rig.load();
    auto* box = rig.control<QLineEdit>("Field_3");
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(4, 4), box->mapToGlobal(QPoint(4, 4)));
    QApplication::sendEvent(box, &click);
    auto* menu = rig.control<QMenu>("EditMenu");
    EXPECT_TRUE(menu->isVisible());
    EXPECT_EQ(rig.Window.focusWidget(), box);
    menu->close();
}

TEST(HoxelEditCopy, PutsTheLinkAndTheTextOfTheFocusedItemOnTheClipboard) {
    HoxelRig rig(withFields(3, 1, 1, true));
    rig.load().send("12,AB,,\r").tick();
    struct Case {
        const char* Box;
        const char* Link;
        QString Text;
    };
    const Case cases[] = {
        {"Field_2", "Quorvane|COM1!Field(2)", "AB"},
        {"Field_3", "Quorvane|COM1!Field(3)", ""},
        {"RecordNumber", "Quorvane|COM1!RecordNumber", "1"},
        {"DateTime", "Quorvane|COM1!DateTime", rig.control<QLineEdit>("DateTime")->text()},
    };
    auto* copy = rig.control<QAction>("EditCopy");
    for (const Case& c : cases) {
        QGuiApplication::clipboard()->clear();
        rig.control(c.Box)->setFocus();
        QApplication::processEvents();
        EXPECT_TRUE(copy->isEnabled()) << c.Box;
        copy->trigger();
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        ASSERT_NE(data, nullptr);
        EXPECT_EQ(data->data(QString::fromLatin1(kDdeLinkMimeType.data())), QByteArray(c.Link)) << c.Box;
        EXPECT_EQ(data->text(), c.Text) << c.Box;
    }
    for (const char* button : {"StringButton_1", "DTRToggleButton"}) {
        rig.control(button)->setFocus();
        QApplication::processEvents();
        EXPECT_FALSE(copy->isEnabled()) << button;
    }
}

TEST(HoxelPosition, IsWrittenPerPortInTwipsAndReadBack) {
    for (const int port : {0, 1}) {
        const std::string app = "Quorvane - COM" + std::to_string(port + 1);
        Configuration config = test::engineTestConfig();
        config.PortIndex = static_cast<std::int16_t>(port);
        HoxelRig rig(config);
        // The other port's position must not be taken.
        rig.Store.SaveSetting(port == 0 ? "Quorvane - COM2" : "Quorvane - COM1", "Settings", "MainLeft",
                              "9000");
        rig.Store.SaveSetting(app, "Settings", "MainTop", "750");
        rig.load();
        const double pixelsPerTwip = rig.Window.logicalDpiX() / 1440.0;
        EXPECT_EQ(rig.Window.pos(), QPoint(static_cast<int>(std::lround(1000 * pixelsPerTwip)),
                                           static_cast<int>(std::lround(750 * pixelsPerTwip))));
        rig.Window.move(120, 48);
        rig.Window.close();
        EXPECT_TRUE(rig.Engine.closed());
        const auto stored = [&](const char* key) { return rig.Store.GetSetting(app, "Settings", key, ""); };
        EXPECT_EQ(std::stod(stored("MainLeft")), std::round(120 / pixelsPerTwip)) << app;
        EXPECT_EQ(std::stod(stored("MainTop")), std::round(48 / pixelsPerTwip)) << app;
    }
}

TEST(HoxelWindow, WithoutATrayMinimizesInsteadOfHidingAndKeepsNoPositionWhileMinimized) {
    for (const bool atActivation : {false, true}) {
        Configuration config = test::engineTestConfig();
        config.MinimizeOnActivation = atActivation ? kTrue : kFalse;
        HoxelRig rig(config);
        rig.load();
        ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable());
        EXPECT_EQ(rig.Window.isMinimized(), atActivation);
        rig.Window.setMinimized(true);
        EXPECT_TRUE(rig.Window.isVisible());
        EXPECT_TRUE(rig.Window.isMinimized());
        rig.control<QAction>("mnuOpen")->trigger();
        EXPECT_FALSE(rig.Window.isMinimized());
        rig.Window.setMinimized(true);
        rig.Window.close();
        EXPECT_TRUE(rig.Engine.closed());
        EXPECT_EQ(rig.Store.Writes, 0);
    }
}

TEST(HoxelWindow, TicksAndClosesWaitForTheTickThatShowsAMessageBox) {
    HoxelRig rig(withFields(2, 0, 0, false));
    rig.load();
    rig.Files.Failures.push_back({});
    rig.Prompts.Answers.push_back(MessageAnswer::Cancel);
    int ticksMeanwhile = 0;
    rig.Prompts.WhileShown = [&](const test::FakePrompts::Shown&) {
        const std::size_t before = rig.Device.Calls.size();
        rig.Window.runTick();
        ticksMeanwhile += rig.Device.Calls.size() != before;
        rig.Window.close();
        EXPECT_FALSE(rig.Engine.closed());
    };
    rig.send("1,2\r").tick();
    ASSERT_EQ(rig.Prompts.Messages.size(), 1U);
    EXPECT_EQ(ticksMeanwhile, 0);
    EXPECT_TRUE(rig.Engine.closed());
    EXPECT_FALSE(rig.Window.isVisible());
}

TEST(HoxelAbout, NamesTheLicenceAndTheLogFileAsTheRunHasThemWhenItOpens) {
    HoxelRig rig;
    std::string logFile = "/data/day1.log";
    rig.Window.setAboutInfo([&] { return AboutInfo{"/lab/scale.QV3", "/dev/ttyUSB0", logFile}; });
    const auto aboutText = [&] {
        rig.Window.findChild<QAction*>(QStringLiteral("MAbout"))->trigger();
        auto* box = rig.Window.findChild<QMessageBox*>(QStringLiteral("About"));
        EXPECT_NE(box, nullptr);
        const QString text = box ? box->text() : QString();
        delete box;
        return text;
    };
    QString text = aboutText();
    EXPECT_TRUE(text.contains(QStringLiteral("GPL-3.0-or-later"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Log file: /data/day1.log"))) << text.toStdString();
    logFile = "/data/day2.log"; // a reload to another configuration
    EXPECT_TRUE(aboutText().contains(QStringLiteral("Log file: /data/day2.log")));
    logFile.clear(); // keystrokes or the bus: no log file
    EXPECT_FALSE(aboutText().contains(QStringLiteral("Log file")));
}

} // namespace
} // namespace quorvane

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
