// The translation window, the output string editor and the hot key dialog driven offscreen as a user
// drives them: Reset All and picked translations per kind, the ASCII chart's extra rows, the timed
// output's limits and flags, and hot keys pressed in the key box; then the three dialogs' layout and
// screenshots. The storing rules are table-tested in tests/config/TableRules_test.cpp, the key
// mapping here without a widget.

#include <gtest/gtest.h>

#include "setup/DialogLayoutCheck.h"
#include "setup/SetupDialogRig.h"

#include <QComboBox>
#include <QListWidget>

#include "config/CodePage.h"
#include "setup/tables/HotKeyCapture.h"
#include "setup/tables/TableDialogs.h"
#include "setup/widgets/CharEntryBox.h"
#include "setup/widgets/ColumnList.h"

namespace quorvane {
namespace {

using test::click;
using test::control;
using test::retype;
using test::selectRow;

struct TableDialogRig {
    TableDialogRig() {
        ResetConfiguration(Config);
        Config.ConfigChanged = kFalse;
    }

    Configuration Config;
    test::FakePrompts Prompts;
    test::ScriptedRunner Runner;
    PickerHost Pickers{Config, Runner};
    TableDialogs Dialogs{Config, Prompts, Pickers};
};

// The translation column of a row as the list shows it.
std::string rowEnd(QDialog& d, int code) {
    const QString row = control<ColumnList>(d, "TransTable")->rowText(code);
    return Utf8ToBytes(row.mid(row.lastIndexOf('\t') + 1).toStdString());
}

struct ResetCase {
    std::int16_t Mode;
    int Code;
    const char* Ends;
};

class TranslationResetAll : public testing::TestWithParam<ResetCase> {};

TEST_P(TranslationResetAll, RewritesTheRowsFromTheTableBuilderOfTheMode) {
    const ResetCase& c = GetParam();
    TableDialogRig rig;
    rig.Config.OutputMode = c.Mode;
    rig.Config.DdeTranslation.assign(256, 'x');
    rig.Config.LogTranslation.assign(256, 'x');
    rig.Config.KeystrokeTranslation.fill("x");
    rig.Runner.on("TransTbl", [&](QDialog& d) {
        EXPECT_EQ(rowEnd(d, c.Code), c.Mode == 0 ? "x" : "ASCII 120");
        click(d, "Command3");
        EXPECT_EQ(rowEnd(d, c.Code), c.Ends);
        click(d, "Command2");
    });
    rig.Dialogs.DefineTranslate();
    EXPECT_TRUE(isSet(rig.Config.ConfigChanged));
}

INSTANTIATE_TEST_SUITE_P(Rows, TranslationResetAll,
                         testing::Values(ResetCase{1, 13, "ASCII 0"}, ResetCase{1, 65, "ASCII 65"},
                                         ResetCase{0, 13, "{ENTER}"}, ResetCase{0, 27, "NUL"},
                                         ResetCase{0, 32, " "}, ResetCase{2, 13, "ASCII 13"}),
                         [](const auto& param) {
                             return "Mode" + std::to_string(param.param.Mode) + "Code" +
                                    std::to_string(param.param.Code);
                         });

TEST(TranslationWindow, PreInputOffersIgnoreAndVoidRecordOnlyWhileItIsOpen) {
    TableDialogRig rig;
    rig.Config.OutputMode = 2;
    rig.Runner.on("TransTbl", [](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Pre-Input Character Translations");
        selectRow(d, "TransTable", 3);
        click(d, "Command1");
        EXPECT_EQ(rowEnd(d, 3), "Void Record");
        click(d, "Command2");
    });
    rig.Runner.on("AsciiChart", [](QDialog& d) {
        auto* list = control<ColumnList>(d, "AsciiMenu");
        EXPECT_EQ(list->count(), 258);
        EXPECT_EQ(list->rowText(1), " Void Record");
        selectRow(d, "AsciiMenu", 1);
        click(d, "AsciiOkButton");
    });
    rig.Dialogs.PreInTrans();
    EXPECT_EQ(rig.Config.PreInputTranslation[3], "Void Record");

    // Afterwards, the log table: the chart has its 256 rows, and the DDE table is never touched.
    rig.Runner.on("TransTbl", [](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Translation Table - Log To Disk Mode");
        selectRow(d, "TransTable", 65);
        click(d, "Command1");
        EXPECT_EQ(rowEnd(d, 65), "ASCII 66");
        click(d, "Command2");
    });
    rig.Runner.on("AsciiChart", [](QDialog& d) {
        EXPECT_EQ(control<ColumnList>(d, "AsciiMenu")->count(), 256);
        selectRow(d, "AsciiMenu", 66);
        click(d, "AsciiOkButton");
    });
    rig.Dialogs.DefineTranslate();
    EXPECT_EQ(rig.Config.LogTranslation[65], 'B');
    EXPECT_EQ(rig.Config.DdeTranslation, DefaultDdeTranslation());
}

TEST(TranslationWindow, KeystrokeModeTakesTheKeystrokePickersMacro) {
    TableDialogRig rig;
    rig.Runner.on("TransTbl", [](QDialog& d) {
        selectRow(d, "TransTable", 13);
        click(d, "Command1");
        EXPECT_EQ(rowEnd(d, 13), "^{F1}");
        click(d, "Command2");
    });
    rig.Runner.on("GetAKey", [](QDialog& d) {
        selectRow(d, "KeyList", 23); // F1
        click(d, "Ctrl");
        click(d, "OKButton");
    });
    rig.Dialogs.DefineTranslate();
    EXPECT_EQ(rig.Config.KeystrokeTranslation[13], "^{F1}");
}

enum class Leave { Done, Escape, Close };

struct TimerCase {
    const char* Interval;
    int Action;
    bool TimerOn;
    bool Accepted;
    std::int16_t Flags;
    Leave By = Leave::Done; // Esc and closing the window keep the interval and action as OK does
};

void leave(QDialog& d, Leave by) {
    if (by == Leave::Escape)
        QTest::keyClick(&d, Qt::Key_Escape);
    else if (by == Leave::Close)
        d.close();
    else
        click(d, "DoneButton");
}

class OutputStringTimer : public testing::TestWithParam<TimerCase> {};

TEST_P(OutputStringTimer, StoresIntervalAndFlagsOnOkOrRefusesTheInterval) {
    const TimerCase& c = GetParam();
    TableDialogRig rig;
    rig.Config.TimerInterval = 1000;
    rig.Runner.on("SendStringForm", [&](QDialog& d) {
        retype(d, "Interval", c.Interval);
        click(d, QStringLiteral("Action_%1").arg(c.Action));
        EXPECT_EQ(control<QWidget>(d, "TimerString")->isVisibleTo(&d), c.Action == 0);
        if (c.TimerOn)
            click(d, "TimerOn");
        leave(d, c.By);
        if (!c.Accepted) {
            ASSERT_EQ(rig.Prompts.Messages.size(), 1u);
            EXPECT_EQ(rig.Prompts.Messages[0].Text,
                      "Timer interval must be less than 100000000 milliseconds.");
            EXPECT_EQ(rig.Prompts.Messages[0].Icon, MessageIcon::None);
            EXPECT_TRUE(d.isVisible());
            retype(d, "Interval", "5");
            click(d, "DoneButton");
        }
    });
    rig.Dialogs.GetOutStrings();
    EXPECT_EQ(rig.Config.TimerInterval, c.Accepted ? std::atoi(c.Interval) : 5);
    EXPECT_EQ(rig.Config.TimerFlags, c.Flags);
}

INSTANTIATE_TEST_SUITE_P(Cases, OutputStringTimer,
                         testing::Values(TimerCase{"99999999", 0, false, true, 2},
                                         TimerCase{"100000000", 0, false, false, 2},
                                         TimerCase{"250", 2, true, true, 9},
                                         TimerCase{"250", 1, false, true, 4},
                                         TimerCase{"250", 2, true, true, 9, Leave::Escape},
                                         TimerCase{"1500", 1, false, true, 4, Leave::Close},
                                         TimerCase{"100000000", 0, false, false, 2, Leave::Escape}));

TEST(OutputStringEditor, EntryBoxesEditTheSettingsAndTheChartInsertsIntoTheFocusedOne) {
    TableDialogRig rig;
    rig.Config.OutputString[2] = "two";
    rig.Config.OutputStringName[2] = "Tare";
    rig.Runner.on("SendStringForm", [&](QDialog& d) {
        auto* names = control<QComboBox>(d, "StringNames");
        EXPECT_EQ(names->itemText(19), "String 20");
        EXPECT_FALSE(control<QWidget>(d, "AsciiChartButton")->isEnabled());
        names->setCurrentIndex(1);
        EXPECT_EQ(control<CharEntryBox>(d, "StringText")->storedText(), "two");
        EXPECT_EQ(control<QLineEdit>(d, "StringControlCaption")->text(), "Tare");
        retype(d, "StringControlCaption", "Zero");
        retype(d, "AckString", "ok");
        EXPECT_EQ(rig.Config.AckString, "ok");
        click(d, "AsciiChartButton"); // a NUL after "ok"
        retype(d, "Interval", "");
        EXPECT_FALSE(control<QWidget>(d, "AsciiChartButton")->isEnabled());
        click(d, "DoneButton");
    });
    rig.Runner.on("AsciiChart", [](QDialog& d) {
        EXPECT_EQ(control<ColumnList>(d, "AsciiMenu")->count(), 256);
        click(d, "AsciiOkButton");
    });
    rig.Dialogs.GetOutStrings();
    EXPECT_EQ(rig.Config.OutputStringName[2], "Zero");
    EXPECT_EQ(rig.Config.AckString, std::string("ok\0", 3));
    EXPECT_TRUE(isSet(rig.Config.ConfigChanged));
}

TEST(HotKeyDialog, StoresAPressedCombinationAndRefusesOneAnotherHotKeyHas) {
    TableDialogRig rig;
    rig.Config.HotKey[7] = 2 * 256 + 113; // CTRL+F2
    rig.Config.HotKeyAction[7] = 2;
    rig.Runner.on("HotKeyFrm", [&](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Hot Keys and Hot Key Actions ");
        auto* actions = control<QListWidget>(d, "HKActionList");
        ASSERT_EQ(actions->count(), 14);
        EXPECT_EQ(actions->item(4)->text(), "Enable  Timer");
        auto* key = control<QLineEdit>(d, "HKKey");
        EXPECT_FALSE(key->isEnabled()) << "action None";
        selectRow(d, "HKNumList", 2);
        selectRow(d, "HKActionList", 1);
        EXPECT_TRUE(control<QWidget>(d, "Text1")->isVisibleTo(&d));
        key->setFocus(Qt::OtherFocusReason);
        QApplication::processEvents();
        EXPECT_TRUE(control<QWidget>(d, "KeyListButton")->isVisibleTo(&d));
        QTest::keyClick(key, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_EQ(key->text(), "CTRL+SHIFT+A");
        QTest::keyClick(key, Qt::Key_Shift, Qt::ShiftModifier); // a modifier alone changes nothing
        EXPECT_EQ(key->text(), "CTRL+SHIFT+A");
        QTest::keyClick(key, Qt::Key_F2, Qt::ControlModifier);
        EXPECT_EQ(key->text(), "CTRL+SHIFT+A");
        ASSERT_EQ(rig.Prompts.Messages.size(), 1u);
        EXPECT_EQ(rig.Prompts.Messages[0].Text,
                  "CTRL+F2 is already hot key 8. Two hot keys on one key cannot both work; choose another "
                  "key or change hot key 8 first.");
        EXPECT_EQ(rig.Prompts.Beeps, 1);
        selectRow(d, "HKNumList", 7);
        EXPECT_EQ(key->text(), "CTRL+F2");
        click(d, "OKButton");
    });
    rig.Dialogs.MHKActions();
    EXPECT_EQ(rig.Config.HotKey[2], 3 * 256 + 65);
    EXPECT_EQ(rig.Config.HotKeyAction[2], 1);
    EXPECT_EQ(rig.Config.HotKey[7], 2 * 256 + 113);
    EXPECT_TRUE(isSet(rig.Config.ConfigChanged));

    rig.Runner.on("HotKeyFrm", [](QDialog& d) {
        selectRow(d, "HKActionList", 3);
        click(d, "CancelButton");
    });
    rig.Dialogs.MHKActions();
    EXPECT_EQ(rig.Config.HotKeyAction[0], 0) << "Cancel keeps the settings";
}

struct KeyPressCase {
    int QtKey;
    bool Keypad;
    KeyModifiers Mods;
    int Word; // -1: ignored
};

class HotKeyKeyPress : public testing::TestWithParam<KeyPressCase> {};

TEST_P(HotKeyKeyPress, MapsQtKeysToTheKeyTablesVirtualKeys) {
    const KeyPressCase& c = GetParam();
    const auto word = HotKeyWordOfKeyPress(c.QtKey, c.Keypad, c.Mods);
    if (c.Word < 0)
        EXPECT_FALSE(word.has_value());
    else
        EXPECT_EQ(word, std::optional<std::int16_t>(static_cast<std::int16_t>(c.Word)));
}

INSTANTIATE_TEST_SUITE_P(
    Keys, HotKeyKeyPress,
    testing::Values(KeyPressCase{Qt::Key_A, false, {false, true, true}, 3 * 256 + 65},
                    KeyPressCase{Qt::Key_F2, false, {true, true, false}, 6 * 256 + 113},
                    KeyPressCase{Qt::Key_F16, false, {}, 127}, KeyPressCase{Qt::Key_5, false, {}, 53},
                    KeyPressCase{Qt::Key_5, true, {}, 101}, KeyPressCase{Qt::Key_Asterisk, true, {}, 106},
                    KeyPressCase{Qt::Key_Asterisk, false, {false, false, true}, 256 + 56},
                    KeyPressCase{Qt::Key_Exclam, false, {false, false, true}, 256 + 49},
                    KeyPressCase{Qt::Key_Colon, false, {false, false, true}, 256 + 186},
                    KeyPressCase{Qt::Key_BraceRight, false, {false, false, true}, 256 + 221},
                    KeyPressCase{Qt::Key_Print, false, {}, 42}, KeyPressCase{Qt::Key_Pause, false, {}, 19},
                    KeyPressCase{Qt::Key_Enter, true, {}, 13},
                    KeyPressCase{Qt::Key_Backtab, false, {false, false, true}, 256 + 9},
                    KeyPressCase{Qt::Key_Shift, false, {false, false, true}, -1},
                    KeyPressCase{Qt::Key_Control, false, {false, true, false}, -1},
                    KeyPressCase{Qt::Key_Alt, false, {true, false, false}, -1},
                    KeyPressCase{Qt::Key_Meta, false, {}, -1}, KeyPressCase{Qt::Key_Help, false, {}, -1},
                    KeyPressCase{Qt::Key_F17, false, {}, -1}),
    [](const auto& param) {
        const KeyPressCase& c = param.param;
        return "QtKey" + std::to_string(c.QtKey) + (c.Keypad ? "Keypad" : "") + (c.Mods.Alt ? "Alt" : "") +
               (c.Mods.Ctrl ? "Ctrl" : "") + (c.Mods.Shift ? "Shift" : "");
    });

TEST(TableDialogsLayout, NothingIsClippedOrOverlaps) {
    TableDialogRig rig;
    rig.Config.OutputMode = 1;
    rig.Config.HotKey[0] = 3 * 256 + 65;
    rig.Config.HotKeyAction[0] = 1;
    rig.Config.HotKeyString[0] = "TARE\r\n";
    rig.Config.OutputStringName[1] = "Print";
    rig.Config.OutputString[1] = "P\r\n";
    rig.Runner.on("TransTbl", [](QDialog& d) {
        test::checkAndSave(d, "tables-transtbl.png");
        click(d, "Command2");
    });
    rig.Runner.on("SendStringForm", [](QDialog& d) {
        test::checkAndSave(d, "tables-sendstringform.png");
        click(d, "DoneButton");
    });
    rig.Runner.on("HotKeyFrm", [](QDialog& d) {
        control<QWidget>(d, "HKKey")->setFocus(Qt::OtherFocusReason);
        QApplication::processEvents();
        test::checkAndSave(d, "tables-hotkeyfrm.png");
        click(d, "OKButton");
    });
    rig.Dialogs.DefineTranslate();
    rig.Dialogs.GetOutStrings();
    rig.Dialogs.MHKActions();
}

} // namespace
} // namespace quorvane
