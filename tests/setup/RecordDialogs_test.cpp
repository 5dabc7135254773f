// The record structure chain driven as a user drives it, offscreen: which dialogs follow which, what
// each Continue, Cancel and refusal stores, and the field editor's set-up, length rules and commit.
// The rules themselves are table-tested in tests/config; the end-to-end capture is at the end.

#include <gtest/gtest.h>

#include "setup/SetupDialogRig.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "config/CodePage.h"
#include "setup/records/RecDefs.h"

namespace quorvane {
namespace {

using test::click;
using test::control;
using test::RecordDialogRig;
using test::retype;
using test::selectRow;

void chooseEnd(RecordDialogRig& rig, int endOption) {
    rig.Runner.on("RecType", [endOption](QDialog& d) {
        click(d, QStringLiteral("RecTypeSel_%1").arg(endOption));
        click(d, "RectypeOkButton");
    });
}

void chooseStructure(RecordDialogRig& rig, int structure) {
    rig.Runner.on("RecStructure", [structure](QDialog& d) {
        click(d, QStringLiteral("RecStrucSel_%1").arg(structure));
        click(d, "OKButton");
    });
}

void close(RecordDialogRig& rig, const QString& dialog, const QString& button) {
    rig.Runner.on(dialog, [button](QDialog& d) { click(d, button); });
}

struct DigitCase {
    int EndOption;
    int Structure; // -1: no structure dialog before the digit box's dialog
    const char* Dialog;
    const char* Box;
    const char* Continue;
    const char* Cancel;
    const char* Text;
    bool Accepted;
    const char* Message;
    MessageIcon Icon;
};

class ChainDigitBox : public testing::TestWithParam<DigitCase> {};

TEST_P(ChainDigitBox, StoresTheAcceptedValueAndRefusesTheOthersWithTheirMessage) {
    const DigitCase& c = GetParam();
    RecordDialogRig rig;
    chooseEnd(rig, c.EndOption);
    if (c.Structure >= 0)
        chooseStructure(rig, c.Structure);
    rig.Runner.on(c.Dialog, [&](QDialog& d) {
        retype(d, c.Box, "7x"); // a letter beeps and is dropped
        EXPECT_EQ(control<QLineEdit>(d, c.Box)->text(), "7");
        EXPECT_EQ(rig.Prompts.Beeps, 1);
        retype(d, c.Box, c.Text);
        // Enter in the box presses the default button, Continue.
        EXPECT_TRUE(control<QPushButton>(d, c.Continue)->isDefault());
        QTest::keyClick(control<QLineEdit>(d, c.Box), Qt::Key_Return);
        if (!c.Accepted) {
            ASSERT_EQ(rig.Prompts.Messages.size(), 1u);
            EXPECT_EQ(rig.Prompts.Messages[0].Text, c.Message);
            EXPECT_EQ(rig.Prompts.Messages[0].Title, "Invalid Input");
            EXPECT_EQ(rig.Prompts.Messages[0].Icon, c.Icon);
            EXPECT_EQ(rig.Prompts.Beeps, 2);
            EXPECT_TRUE(d.isVisible());
            click(d, c.Cancel);
        }
    });
    // What follows an accepted value: the structure dialog after Timed, the field editor otherwise.
    if (c.Accepted && std::string(c.Dialog) == "Timed")
        close(rig, "RecStructure", "CancelButton");
    else if (c.Accepted)
        close(rig, "RecDefs", "CancelButton");

    const Configuration before = rig.Config;
    rig.Dialogs.DefineRecordStructure();
    const std::string dialog = c.Dialog;
    const int stored = dialog == "Delim"   ? rig.Config.FieldCount
                       : dialog == "Fixed" ? rig.Config.RecordLength
                                           : rig.Config.TimeBetweenRecords;
    const int old = dialog == "Delim"   ? before.FieldCount
                    : dialog == "Fixed" ? before.RecordLength
                                        : before.TimeBetweenRecords;
    EXPECT_EQ(stored, c.Accepted ? std::stoi(c.Text) : old);
    EXPECT_EQ(rig.Runner.Shown.back(),
              c.Accepted ? (dialog == "Timed" ? "RecStructure" : "RecDefs") : c.Dialog);
}

constexpr const char* kDelimMessage = "Number of Fields Must Be Between 2 and 40";
constexpr const char* kFixedMessage = "Record Length Must Be Between 1 and 32766";
constexpr const char* kTimedMessage = "Time between records must range between 1 and 255";
constexpr auto kWarn = MessageIcon::Exclamation;

INSTANTIATE_TEST_SUITE_P(
    Boxes, ChainDigitBox,
    testing::Values(
        DigitCase{0, 1, "Delim", "Text1", "Command1", "Command2", "2", true, "", kWarn},
        DigitCase{0, 1, "Delim", "Text1", "Command1", "Command2", "40", true, "", kWarn},
        DigitCase{0, 1, "Delim", "Text1", "Command1", "Command2", "1", false, kDelimMessage, kWarn},
        DigitCase{0, 1, "Delim", "Text1", "Command1", "Command2", "41", false, kDelimMessage, kWarn},
        DigitCase{2, -1, "Fixed", "Text1", "Command1", "Command2", "32766", true, "", kWarn},
        DigitCase{2, -1, "Fixed", "Text1", "Command1", "Command2", "32767", false, kFixedMessage, kWarn},
        DigitCase{2, -1, "Fixed", "Text1", "Command1", "Command2", "0", false, kFixedMessage, kWarn},
        DigitCase{1, -1, "Timed", "ClockTicks", "OKButton", "CancelButton", "255", true, "", kWarn},
        DigitCase{1, -1, "Timed", "ClockTicks", "OKButton", "CancelButton", "256", false, kTimedMessage,
                  MessageIcon::None},
        DigitCase{1, -1, "Timed", "ClockTicks", "OKButton", "CancelButton", "0", false, kTimedMessage,
                  MessageIcon::None}),
    [](const auto& p) {
        return std::string(p.param.Dialog) + p.param.Text + (p.param.Accepted ? "Accepted" : "Refused");
    });

TEST(RecordChain, EndEventTwoForcesFortyFixedFieldsEvenWhenFixedIsCancelled) {
    RecordDialogRig rig;
    rig.Config.RecordStructure = 1;
    rig.Config.FieldCount = 3;
    chooseEnd(rig, 2);
    close(rig, "Fixed", "Command2");
    EXPECT_TRUE(rig.Dialogs.DefineRecordStructure());
    EXPECT_EQ(rig.Config.EndOfRecordEvent, 2);
    EXPECT_EQ(rig.Config.RecordStructure, 2);
    EXPECT_EQ(rig.Config.FieldCount, 40);
    EXPECT_EQ(rig.Runner.Shown, (std::vector<QString>{"RecType", "Fixed"}));
}

TEST(RecordChain, SingleFieldClearsLengthsAndHidesTheFieldButtons) {
    RecordDialogRig rig;
    rig.Config.FieldLength[3] = 9;
    rig.Config.FieldCount = 5;
    chooseEnd(rig, 0);
    chooseStructure(rig, 0);
    rig.Runner.on("RecDefs", [](QDialog& d) {
        EXPECT_TRUE(control(d, "PrevButton")->isHidden());
        EXPECT_TRUE(control(d, "NextButton")->isHidden());
        EXPECT_TRUE(control(d, "FieldLength")->isHidden());
        EXPECT_TRUE(control(d, "BytesDefined")->isHidden());
        click(d, "OkButton");
    });
    rig.Dialogs.DefineRecordStructure();
    EXPECT_EQ(rig.Config.FieldCount, 1);
    EXPECT_EQ(rig.Config.FieldLength[3], 0);
}

TEST(RecordChain, SpecialCharactersMustBeGivenAndANulAloneIsEnough) {
    RecordDialogRig rig;
    rig.Runner.on("RecType", [&](QDialog& d) {
        click(d, "StartOfRec_3");
        EXPECT_TRUE(control(d, "Text1")->hasFocus());
        EXPECT_TRUE(control(d, "Command1")->isEnabled());
        click(d, "RectypeOkButton");
        ASSERT_EQ(rig.Prompts.Messages.size(), 1u);
        EXPECT_EQ(rig.Prompts.Messages[0].Text, "Invalid Input - Special Character Must Be Specified!");
        EXPECT_EQ(rig.Prompts.Messages[0].Title, "Invalid Start of Record Event");
        EXPECT_TRUE(control(d, "Text1")->hasFocus());
        click(d, "Command1"); // the ASCII chart, on its first row: NUL
        EXPECT_EQ(control<QLineEdit>(d, "Text1")->text(), QString(QChar(0xFF)));
        // The up arrow in an entry box moves to option 2 of its group.
        QTest::keyClick(control(d, "Text2"), Qt::Key_Up);
        EXPECT_TRUE(control<QAbstractButton>(d, "RecTypeSel_2")->isChecked());
        click(d, "RecTypeSel_0");
        click(d, "RectypeOkButton");
    });
    rig.Runner.on("AsciiChart", [](QDialog& d) { click(d, "AsciiOkButton"); });
    chooseStructure(rig, 0);
    close(rig, "RecDefs", "CancelButton");
    rig.Dialogs.DefineRecordStructure();
    EXPECT_EQ(rig.Config.StartOfRecordEvent, 3);
    EXPECT_EQ(rig.Config.StartOfRecordChars, std::string(1, '\0'));
    EXPECT_EQ(rig.Config.EndOfRecordEvent, 0);
}

// The field editor of a fixed record of 10 bytes.
void fixedRecordOf10(RecordDialogRig& rig, test::ScriptedRunner::Script editor) {
    chooseEnd(rig, 2);
    rig.Runner.on("Fixed", [](QDialog& d) {
        retype(d, "Text1", "10");
        click(d, "Command1");
    });
    rig.Runner.on("RecDefs", std::move(editor));
}

TEST(FieldEditor, AFilledRecordDisablesNextAndAShortSumIsRefusedWithTheExactMessage) {
    RecordDialogRig rig;
    fixedRecordOf10(rig, [&](QDialog& d) {
        EXPECT_FALSE(control(d, "BytesDefined")->isHidden());
        EXPECT_EQ(control<QLabel>(d, "BytesOf")->text(), "10");
        retype(d, "FieldLength", "10");
        EXPECT_FALSE(control(d, "NextButton")->isEnabled());
        EXPECT_EQ(control<QLabel>(d, "BytesDefined")->text(), "10");
        retype(d, "FieldLength", "4");
        EXPECT_TRUE(control(d, "NextButton")->isEnabled());
        click(d, "NextButton");
        EXPECT_EQ(control<QLabel>(d, "FieldName")->text(), "2");
        retype(d, "FieldLength", "4");
        click(d, "OkButton");
        ASSERT_EQ(rig.Prompts.Messages.size(), 1u);
        EXPECT_EQ(rig.Prompts.Messages[0].Text,
                  "Total sum of field lengths is not equal to the total record length. ( 10).");
        EXPECT_EQ(rig.Prompts.Messages[0].Title, "Field Length Error");
        EXPECT_TRUE(d.isVisible());
        click(d, "CancelButton");
    });
    rig.Dialogs.DefineRecordStructure();
    EXPECT_EQ(rig.Config.FieldLength[1], 0);
    EXPECT_EQ(rig.Config.FieldLength[2], 0);
}

TEST(FieldEditor, FixedFieldsCountUpToTheFirstFieldWithoutALength) {
    RecordDialogRig rig;
    chooseEnd(rig, 0);
    chooseStructure(rig, 2);
    rig.Runner.on("RecDefs", [&](QDialog& d) {
        click(d, "NextButton"); // a fixed field needs a length first
        ASSERT_EQ(rig.Prompts.Messages.size(), 1u);
        EXPECT_EQ(rig.Prompts.Messages[0].Text, "Field length must be between 1 and 32766.");
        for (const char* length : {"5", "3", "1", "7"}) {
            retype(d, "FieldLength", length);
            click(d, "NextButton");
        }
        click(d, "PrevButton");
        click(d, "PrevButton");
        EXPECT_EQ(control<QLabel>(d, "FieldName")->text(), "3");
        retype(d, "FieldLength", "");
        click(d, "OkButton");
    });
    rig.Dialogs.DefineRecordStructure();
    EXPECT_EQ(rig.Config.FieldCount, 2);
    EXPECT_EQ(rig.Config.FieldLength[4], 7);
    EXPECT_TRUE(isSet(rig.Config.ConfigChanged));
}

TEST(FieldEditor, TheLengthBoxRefusesTheDigitThatPassesTheLimitAndKeepsTheLastLength) {
    RecordDialogRig rig;
    fixedRecordOf10(rig, [&](QDialog& d) {
        auto& editor = static_cast<RecDefs&>(d);
        auto* box = control<QLineEdit>(d, "FieldLength");
        box->setFocus(Qt::OtherFocusReason);
        box->selectAll();
        std::vector<int> stored;
        for (char digit : std::string("40000")) {
            QTest::keyClick(box, digit);
            stored.push_back(editor.workingCopy().Length[1]);
        }
        EXPECT_EQ(stored, (std::vector<int>{4, 40, 400, 4000, 4000}));
        ASSERT_EQ(rig.Prompts.Messages.size(), 1u);
        EXPECT_EQ(rig.Prompts.Messages[0].Text, "Field length must be between 1 and 32766.");
        EXPECT_EQ(box->text(), "4000");
        click(d, "CancelButton");
    });
    rig.Dialogs.DefineRecordStructure();
}

struct ModeCase {
    std::int16_t Mode;
    const char* Caption;
    bool Macros;
    bool KeyButton;
    bool AsciiButton;
    const char* Preamble;
};

class FieldEditorMode : public testing::TestWithParam<ModeCase> {};

TEST_P(FieldEditorMode, ShowsTheBoxesAndButtonsOfTheOutputMode) {
    const ModeCase& c = GetParam();
    RecordDialogRig rig;
    rig.Config.OutputMode = c.Mode;
    rig.Config.FieldFilter[1] = "H";
    rig.Config.FieldFilter[2] = "C";
    RecDefs& d = rig.Dialogs.fieldEditor();
    d.prepare(false, true);
    d.show();
    EXPECT_EQ(d.windowTitle(), c.Caption);
    for (const char* name : {"PreambleMacro", "PreambleLabel", "FieldMacro", "PostambleLabel"})
        EXPECT_EQ(!control(d, name)->isHidden(), c.Macros) << name;
    EXPECT_EQ(!control(d, "KeyButton")->isHidden(), c.KeyButton);
    EXPECT_EQ(!control(d, "AsciiButton")->isHidden(), c.AsciiButton);
    if (c.Macros) {
        EXPECT_EQ(control<QLabel>(d, "PreambleLabel")->text(), c.Preamble);
    }
    // A drop-down list; a code it does not offer is a fourth entry while its field is shown.
    auto* filter = control<QComboBox>(d, "FilterTypes");
    EXPECT_FALSE(filter->isEditable());
    EXPECT_EQ(filter->currentText(), "Hex To Decimal");
    EXPECT_EQ(filter->count(), 4);
    QApplication::sendPostedEvents();
    const int postambleY = control(d, "FieldMacro")->y();
    d.showField(2);
    QApplication::sendPostedEvents();
    EXPECT_EQ(filter->currentText(), "None (No Filter)");
    EXPECT_EQ(filter->count(), 3);
    filter->setCurrentIndex(1);
    d.showField(1);
    EXPECT_EQ(filter->currentText(), "Hex To Decimal");
    d.showField(2);
    EXPECT_EQ(filter->currentText(), "Ignore This Field");
    // In keystroke mode the preamble belongs to field 1 only; the rows below it stay in place.
    EXPECT_EQ(!control(d, "PreambleMacro")->isHidden(), c.Macros && c.Mode != 0);
    QApplication::sendPostedEvents();
    if (c.Macros) {
        EXPECT_EQ(control(d, "FieldMacro")->y(), postambleY);
    }
    d.hide();
}

INSTANTIATE_TEST_SUITE_P(Modes, FieldEditorMode,
                         testing::Values(ModeCase{0, "Input Record Definition Editor - Send Keystrokes Mode",
                                                  true, true, false, "Record Preamble Keystrokes"},
                                         ModeCase{1, "Input Record Definition Editor - DDE Server Mode",
                                                  false, false, false, ""},
                                         ModeCase{2, "Input Record Definition Editor - Log To Disk Mode",
                                                  true, false, true, "Record Preamble Characters"}),
                         [](const auto& p) { return "OutputMode" + std::to_string(p.param.Mode); });

TEST(FieldEditor, PickersInsertIntoTheLastMacroBoxAndTheKeystrokeListLosesNulMeanwhile) {
    RecordDialogRig rig;
    chooseEnd(rig, 0);
    chooseStructure(rig, 0);
    rig.Runner.on("RecDefs", [&](QDialog& d) {
        EXPECT_FALSE(control(d, "KeyButton")->isEnabled());
        control(d, "FieldMacro")->setFocus(Qt::OtherFocusReason);
        QApplication::processEvents();
        EXPECT_TRUE(control(d, "KeyButton")->isEnabled());
        click(d, "KeyButton");
        EXPECT_EQ(d.focusWidget(), control(d, "FieldMacro"));
        click(d, "OkButton");
    });
    rig.Runner.on("GetAKey", [](QDialog& d) {
        auto* list = control<QListWidget>(d, "KeyList");
        EXPECT_EQ(list->item(0)->text(), "SPACE");
        EXPECT_EQ(list->currentRow(), 0);
        list->setCurrentItem(list->findItems("F5", Qt::MatchExactly).front());
        click(d, "Shift");
        click(d, "OKButton");
    });
    rig.Dialogs.DefineRecordStructure();
    EXPECT_EQ(rig.Config.FieldPostamble[1], "+{F5}");
    rig.Runner.on("GetAKey", [](QDialog& d) {
        EXPECT_EQ(control<QListWidget>(d, "KeyList")->item(0)->text(), "NUL");
        EXPECT_FALSE(control<QAbstractButton>(d, "Shift")->isChecked());
        click(d, "CancelButton");
    });
    EXPECT_EQ(rig.Pickers.pickKeystroke(300), "");
}

} // namespace
} // namespace quorvane
