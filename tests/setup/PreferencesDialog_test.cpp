// The Preferences dialog offscreen: its controls and captions, what it shows on opening, the enabled
// states while it is open, the 15-character topic box, the blank-topic refusal, OK and Cancel, and
// its opening from the Define menu; the keystroke group chosen by keyboard and written to the store,
// and the dialog's layout (screenshot with QUORVANE_SCREENSHOTS). The rules as plain functions are
// Preferences_test's and KeystrokePreferences_test's.

#include <gtest/gtest.h>

#include "fakes/FakeMqttClient.h"
#include "setup/DialogLayoutCheck.h"
#include "setup/PreferencesDialog.h"
#include "setup/SetupRig.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

namespace quorvane {
namespace {

struct PreferencesRig {
    PreferencesRig() { ResetConfiguration(Config); }
    PreferencesDialog& open() {
        Dialog = std::make_unique<PreferencesDialog>(Config, Prompts);
        Dialog->show();
        return *Dialog;
    }
    template <typename T>
    T* control(const char* name) {
        T* found = Dialog->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QCheckBox* check(int i) { return control<QCheckBox>(("Check" + std::to_string(i)).c_str()); }
    QLineEdit* text1() { return control<QLineEdit>("Text1"); }
    QLineEdit* text2() { return control<QLineEdit>("Text2"); }
    void ok() { control<QPushButton>("Command1")->click(); }

    Configuration Config;
    test::FakePrompts Prompts;
    std::unique_ptr<PreferencesDialog> Dialog;
};

TEST(PreferencesDialog, HasEveryControlWithItsCaption) {
    PreferencesRig rig;
    PreferencesDialog& d = rig.open();
    EXPECT_EQ(d.objectName(), "Preferences");
    EXPECT_EQ(d.windowTitle(), "Quorvane Preferences");
    EXPECT_EQ(rig.control<QGroupBox>("Frame1")->title(), "Quorvane DDE Topic");
    EXPECT_EQ(rig.control<QRadioButton>("Option1")->text(), "Use Com Port Name As DDE Topic (i.e.\"COM1\")");
    EXPECT_EQ(rig.control<QRadioButton>("Option2")->text(), "Specify Topic:");
    const char* checks[] = {"Beep on Input",
                            "Minimize on Activation",
                            "Activate Initially Suspended",
                            "Display Hoxel Window Always on Top",
                            "Display DTR Toggle Button in Hoxel Window",
                            "Display BREAK Button in Hoxel Window",
                            "Display Date/Time in Hoxel Window"};
    for (int i = 1; i <= 7; ++i)
        EXPECT_EQ(rig.check(i)->text(), checks[i - 1]);
    EXPECT_EQ(rig.control<QLabel>("Label1")->text(), "Date/Time Format:");
    EXPECT_EQ(rig.control<QPushButton>("Command1")->text(), "&OK");
    EXPECT_EQ(rig.control<QPushButton>("Command2")->text(), "&Cancel");
}

struct OpeningCase {
    const char* Topic;
    Flag Beep, Minimize, Suspended, OnTop;
    std::int16_t Buttons;
    Flag DateTime;
    std::array<bool, 8> Checked; // 1..7
};

class PreferencesOpening : public testing::TestWithParam<OpeningCase> {};

TEST_P(PreferencesOpening, ShowsTheSettingsAndEnablesTheBoxesThatApply) {
    const OpeningCase& c = GetParam();
    PreferencesRig rig;
    rig.Config.DdeTopic = c.Topic;
    rig.Config.BeepOnInput = c.Beep;
    rig.Config.MinimizeOnActivation = c.Minimize;
    rig.Config.StartSuspended = c.Suspended;
    rig.Config.AlwaysOnTop = c.OnTop;
    rig.Config.ButtonFlags = c.Buttons;
    rig.Config.ShowDateTime = c.DateTime;
    rig.Config.DateTimeFormat = "hh:mm";
    rig.open();
    const bool topic = *c.Topic != '\0';
    EXPECT_EQ(rig.control<QRadioButton>("Option2")->isChecked(), topic);
    EXPECT_EQ(rig.control<QRadioButton>("Option1")->isChecked(), !topic);
    EXPECT_EQ(rig.text1()->isEnabled(), topic);
    EXPECT_EQ(rig.text1()->text().toStdString(), c.Topic);
    for (int i = 1; i <= 7; ++i)
        EXPECT_EQ(rig.check(i)->isChecked(), c.Checked[std::size_t(i)]) << i;
    EXPECT_EQ(rig.text2()->text(), "hh:mm");
    EXPECT_EQ(rig.text2()->isEnabled(), c.Checked[7]);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, PreferencesOpening,
    testing::Values(
        OpeningCase{"", 0, 0, 0, 0, 0, 0, {}},
        OpeningCase{
            "Balance", kTrue, 0, kTrue, 0, 1, kTrue, {false, true, false, true, false, true, false, true}},
        // Bit 0 of a flag decides: 1 checks, 2 does not.
        OpeningCase{"X", 1, 2, 0, kTrue, 2, 2, {false, true, false, false, true, false, true, false}},
        OpeningCase{"", 0, kTrue, 0, 0, 3, 0, {false, false, true, false, false, true, true, false}}));

TEST(PreferencesDialog, EnablesTheTopicAndFormatBoxesWithTheirOptions) {
    PreferencesRig rig;
    rig.open();
    rig.control<QRadioButton>("Option2")->click();
    EXPECT_TRUE(rig.text1()->isEnabled());
    rig.control<QRadioButton>("Option1")->click();
    EXPECT_FALSE(rig.text1()->isEnabled());
    rig.check(7)->click();
    EXPECT_TRUE(rig.text2()->isEnabled());
    rig.check(7)->click();
    EXPECT_FALSE(rig.text2()->isEnabled());
}

TEST(PreferencesDialog, TakesAtMostFifteenTopicCharacters) {
    PreferencesRig rig;
    rig.open();
    rig.control<QRadioButton>("Option2")->click();
    QTest::keyClicks(rig.text1(), "ABCDEFGHIJKLMNOPQ");
    EXPECT_EQ(rig.text1()->text(), "ABCDEFGHIJKLMNO");
}

TEST(PreferencesDialog, RefusesABlankTopicAndKeepsEverything) {
    PreferencesRig rig;
    rig.Config.DdeTopic = "Old";
    rig.open();
    rig.text1()->setText("   ");
    rig.check(1)->click();
    rig.ok();
    ASSERT_EQ(rig.Prompts.Messages.size(), 1u);
    EXPECT_EQ(rig.Prompts.Messages[0].Text,
              "DDE Topic value cannot be blank.\rPlease enter the text that you want "
              "to use as the DDE Topic for Quorvane.");
    EXPECT_EQ(rig.Prompts.Messages[0].Title, "Invalid DDE Topic");
    EXPECT_EQ(rig.Prompts.Messages[0].Buttons, MessageButtons::Ok);
    EXPECT_EQ(rig.Prompts.Beeps, 1);
    EXPECT_TRUE(rig.Dialog->isVisible());
    EXPECT_EQ(QApplication::focusWidget() == rig.text1() || rig.text1()->hasFocus() ||
                  rig.Dialog->focusWidget() == rig.text1(),
              true);
    EXPECT_EQ(rig.Config.DdeTopic, "Old");
    EXPECT_FALSE(isSet(rig.Config.BeepOnInput));
    EXPECT_FALSE(isSet(rig.Config.ConfigChanged));
}

TEST(PreferencesDialog, OkStoresTheFormAndCancelNothing) {
    PreferencesRig rig;
    rig.Config.ShowDateTime = kTrue;
    rig.open();
    rig.control<QRadioButton>("Option2")->click();
    rig.text1()->setText("  Scale 1 ");
    rig.check(5)->click();
    rig.check(7)->click(); // off: the format is stored all the same
    rig.text2()->setText(" dd/mm ");
    rig.control<QPushButton>("Command2")->click();
    EXPECT_FALSE(rig.Dialog->isVisible());
    EXPECT_EQ(rig.Config.DdeTopic, "");
    EXPECT_FALSE(isSet(rig.Config.ConfigChanged));

    rig.open();
    rig.control<QRadioButton>("Option2")->click();
    rig.text1()->setText("  Scale 1 ");
    rig.check(5)->click();
    rig.check(6)->click();
    rig.check(7)->click();
    rig.text2()->setText(" dd/mm ");
    rig.ok();
    EXPECT_FALSE(rig.Dialog->isVisible());
    EXPECT_EQ(rig.Config.DdeTopic, "Scale 1");
    EXPECT_EQ(rig.Config.ButtonFlags, 3);
    EXPECT_EQ(rig.Config.ShowDateTime, kFalse);
    EXPECT_EQ(rig.Config.DateTimeFormat, " dd/mm ");
    EXPECT_TRUE(isSet(rig.Config.ConfigChanged));

    rig.Config.ConfigChanged = kFalse;
    rig.open();
    rig.ok(); // no change still marks the configuration changed
    EXPECT_TRUE(isSet(rig.Config.ConfigChanged));
}

TEST(PreferencesDialog, OpensModallyFromTheDefineMenu) {
    test::SetupRig rig;
    QString title;
    QTimer::singleShot(0, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        title = modal->windowTitle();
        modal->findChild<QCheckBox*>("Check4")->click();
        modal->findChild<QPushButton*>("Command1")->click();
    });
    rig.click("mnuPreferences");
    EXPECT_EQ(title, "Quorvane Preferences");
    EXPECT_TRUE(isSet(rig.Config.AlwaysOnTop));
}

TEST(PreferencesDialog, ChoosesHowKeystrokesAreTypedFromTheKeyboardAndStoresItOnOk) {
    test::SetupRig rig;
    rig.Store.SaveSetting("Quorvane", "Keystrokes", "Backend", "wayland");
    QString shown;
    bool layoutForWayland = true;
    bool backendFocused = false;
    int help = 0;
    QTimer::singleShot(0, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        QApplication::setActiveWindow(modal);
        auto* backend = modal->findChild<QComboBox*>("KeystrokeBackend");
        shown = backend->currentText();
        layoutForWayland = modal->findChild<QLineEdit*>("KeystrokeLayout")->isEnabled();
        QTest::keyClick(modal, Qt::Key_T, Qt::AltModifier);
        backendFocused = backend->hasFocus();
        QTest::keyClick(backend, Qt::Key_Down);
        help = ActiveHelpTopic(backend);
        QTest::keyClick(backend, Qt::Key_Tab);
        QTest::keyClicks(QApplication::focusWidget(), " de");
        QTest::keyClick(modal, Qt::Key_D, Qt::AltModifier);
        QTest::keyClicks(QApplication::focusWidget(), "15");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    });
    rig.click("mnuPreferences");
    EXPECT_EQ(shown, "Wayland virtual keyboard");
    EXPECT_FALSE(layoutForWayland);
    EXPECT_TRUE(backendFocused);
    EXPECT_EQ(help, PreferencesDialog::kHelpTopic);
    EXPECT_EQ(LoadKeystrokeSettings(rig.Store),
              (KeystrokeSettings{KeystrokeBackendKind::Uinput, "de", "", 15, 0}));
    EXPECT_TRUE(isSet(rig.Config.ConfigChanged));
}

TEST(PreferencesDialog, LaysOutEveryControlUnclipped) {
    PreferencesRig rig;
    rig.Dialog = std::make_unique<PreferencesDialog>(rig.Config, rig.Prompts);
    test::FakeSettingsStore store;
    rig.Dialog->enableMqtt(store, [] { return std::make_unique<test::FakeMqttClient>(); });
    rig.Dialog->enableKeystrokes(store);
    rig.Dialog->show();
    test::checkAndSave(*rig.Dialog, QStringLiteral("preferences.png"));
}

} // namespace
} // namespace quorvane
