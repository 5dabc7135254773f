// The mode and port dialogs offscreen on the fake platform: their captions, the target application's
// trimming, digit box, derived activation and program browsing, the DDE command's change rule, the port
// dialog's buffer size refusals (while typing and at OK, in their order), its port rows with their bound
// devices and the binding of a listed device, their opening from the menus and their layout. The
// storing rules as plain functions are ModeAndPortRules_test's; a binding used by a real run is
// PortDialogsCapture_test's.

#include <gtest/gtest.h>

#include "setup/DialogLayoutCheck.h"
#include "setup/SetupDialogRig.h"
#include "setup/SetupRig.h"
#include "serial/PtyPair.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "setup/ports/AppSelect.h"
#include "setup/ports/DDEParms.h"
#include "setup/ports/PortSetup.h"

namespace quorvane {
namespace {

using test::click;
using test::control;
using test::retype;

const std::vector<SerialDeviceInfo> kFakeDevices = {
    {"ttyS0", "/dev/ttyS0", "", "", "", "", "", ""},
    {"ttyUSB0", "/dev/ttyUSB0", "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A12345-if00-port0", "0403",
     "6001", "FTDI", "FT232R USB UART", "A12345"},
};

struct PortRig {
    PortRig() {
        ResetConfiguration(Config);
        Config.ConfigChanged = kFalse;
    }
    PortSetup& open() {
        Dialog = std::make_unique<PortSetup>(Config, Prompts, Bindings, [this] { return Devices; });
        Dialog->load();
        Dialog->show();
        QApplication::processEvents();
        return *Dialog;
    }
    QString portRow(int n) { return control<QTreeWidget>(*Dialog, "PortList")->topLevelItem(n)->text(1); }

    Configuration Config;
    test::FakePrompts Prompts;
    test::FakeSettingsStore Store;
    PortBindings Bindings{Store};
    std::vector<SerialDeviceInfo> Devices = kFakeDevices;
    std::unique_ptr<PortSetup> Dialog;
};

struct CaptionCase {
    const char* Dialog;
    const char* Control;
    const char* Caption;
};

class ModeAndPortCaptions : public testing::TestWithParam<CaptionCase> {};

TEST_P(ModeAndPortCaptions, AreTheDocumentedTexts) {
    const CaptionCase& c = GetParam();
    PortRig rig;
    test::FakeFileDialogs files;
    std::unique_ptr<QDialog> dialog;
    const std::string name = c.Dialog;
    if (name == "AppSelect")
        dialog = std::make_unique<AppSelect>(rig.Config, rig.Prompts, files);
    else if (name == "DDEParms")
        dialog = std::make_unique<DDEParms>(rig.Config);
    else
        dialog =
            std::make_unique<PortSetup>(rig.Config, rig.Prompts, rig.Bindings, [] { return kFakeDevices; });
    QWidget* w = c.Control[0] ? control(*dialog, c.Control) : dialog.get();
    ASSERT_NE(w, nullptr);
    QString text = w->windowTitle();
    if (auto* label = qobject_cast<QLabel*>(w))
        text = label->text();
    else if (auto* button = qobject_cast<QAbstractButton*>(w))
        text = button->text();
    else if (auto* frame = qobject_cast<QGroupBox*>(w))
        text = frame->title();
    else if (auto* list = qobject_cast<QTreeWidget*>(w))
        text = QString::number(list->topLevelItemCount()) + " " + list->topLevelItem(0)->text(0) + " " +
               list->topLevelItem(254)->text(0);
    EXPECT_EQ(text.toStdString(), c.Caption);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ModeAndPortCaptions,
    testing::Values(
        CaptionCase{"AppSelect", "", "Send Keystrokes To:"},
        CaptionCase{"AppSelect", "Command1", "Browse..."},
        CaptionCase{
            "AppSelect", "Label6",
            "The Time Delay Between Keystrokes is the amount of time Quorvane will wait between each "
            "keystroke sent to the target application program.\nSet to 0 for the fastest possible data "
            "transfer.\nSet to higher values for applications that have trouble receiving keystrokes "
            "from Quorvane."},
        CaptionCase{"AppSelect", "OkButton", "&OK"},
        CaptionCase{"DDEParms", "", "Target Application DDE Command"},
        CaptionCase{"DDEParms", "DDECancelButton", "&Cancel"},
        CaptionCase{"PortSetup", "", "Quorvane Serial Port Settings"},
        CaptionCase{"PortSetup", "PortList", "255 COM1 COM255"},
        CaptionCase{"PortSetup", "BaudFrame", "&Baud  Rate"}, CaptionCase{"PortSetup", "Baud_13", "256000"},
        CaptionCase{"PortSetup", "ParityFrame", "&Parity"}, CaptionCase{"PortSetup", "Parity_4", "Space"},
        CaptionCase{"PortSetup", "DatabitsFrame", "&Data Bits"},
        CaptionCase{"PortSetup", "Databits_3", "Eight"},
        CaptionCase{"PortSetup", "StopBitsFrame", "&Stop Bits"},
        CaptionCase{"PortSetup", "StopBits_1", "1.5"},
        CaptionCase{"PortSetup", "FlowCtrlFrame", "&Flow Control"},
        CaptionCase{"PortSetup", "FlowCtrl_3", "Opto-RS"}, CaptionCase{"PortSetup", "OK_Button", "&OK"}));

struct BufferCase {
    const char* Name;
    const char* Input;
    const char* Output;
    const char* InputShown; // after typing
    int TypingRefusals;
    bool Accepted;
    std::int32_t InputStored;
    std::int32_t OutputStored;
    const char* Focus; // the box refused at OK
};

class PortSetupBufferSizes : public testing::TestWithParam<BufferCase> {};

TEST_P(PortSetupBufferSizes, AreRefusedWhileTypingAndAtOkInTheirOrder) {
    const BufferCase& c = GetParam();
    PortRig rig;
    PortSetup& d = rig.open();
    retype(d, "BuffSize", c.Input);
    EXPECT_EQ(control<QLineEdit>(d, "BuffSize")->text(), c.InputShown);
    EXPECT_EQ(rig.Prompts.Messages.size(), static_cast<std::size_t>(c.TypingRefusals));
    if (c.TypingRefusals > 0) {
        EXPECT_EQ(control<QLineEdit>(d, "BuffSize")->cursorPosition(), 5);
    }
    retype(d, "OutBuffSize", c.Output);
    click(d, "OK_Button");
    EXPECT_EQ(d.isVisible(), !c.Accepted);
    EXPECT_EQ(rig.Config.InputBufferSize, c.InputStored);
    EXPECT_EQ(rig.Config.OutputBufferSize, c.OutputStored);
    const std::size_t refusals = static_cast<std::size_t>(c.TypingRefusals) + (c.Accepted ? 0 : 1);
    ASSERT_EQ(rig.Prompts.Messages.size(), refusals);
    EXPECT_EQ(rig.Prompts.Beeps, static_cast<int>(refusals));
    for (const auto& m : rig.Prompts.Messages) {
        EXPECT_EQ(m.Text, "Buffer Size Must Be Between 128 and 131072");
        EXPECT_EQ(m.Title, "Invalid Input");
    }
    if (!c.Accepted) {
        EXPECT_EQ(QApplication::focusWidget(), control(d, c.Focus));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, PortSetupBufferSizes,
    testing::Values(BufferCase{"Smallest", "128", "512", "128", 0, true, 128, 512, ""},
                    BufferCase{"Largest", "131072", "131072", "131072", 0, true, 131072, 131072, ""},
                    BufferCase{"TooSmallAtOk", "127", "512", "127", 0, false, 1024, 512, "BuffSize"},
                    BufferCase{"SixthDigitRefused", "131073", "512", "13107", 1, true, 13107, 512, ""},
                    BufferCase{"OutputRefusedKeepsInput", "2048", "127", "2048", 0, false, 2048, 512,
                               "OutBuffSize"}),
    [](const auto& param) { return std::string(param.param.Name); });

TEST(PortSetup, ShowsSettingsAndStoresTheChosenOptions) {
    PortRig rig;
    rig.Config.PortIndex = 11;
    rig.Config.BaudIndex = 13;
    for (const bool ok : {false, true}) {
        PortSetup& d = rig.open();
        EXPECT_EQ(control<QTreeWidget>(d, "PortList")->currentItem()->text(0), "COM12");
        EXPECT_TRUE(control<QAbstractButton>(d, "Baud_13")->isChecked());
        EXPECT_TRUE(control<QAbstractButton>(d, "Parity_2")->isChecked());
        EXPECT_TRUE(control<QAbstractButton>(d, "Databits_2")->isChecked());
        EXPECT_TRUE(control<QAbstractButton>(d, "StopBits_0")->isChecked());
        EXPECT_TRUE(control<QAbstractButton>(d, "FlowCtrl_0")->isChecked());
        // The options as a user picks them (a mouse click would have to land on a caption's text).
        for (const char* option : {"Baud_11", "Parity_0", "Databits_3", "StopBits_2", "FlowCtrl_2"})
            control<QAbstractButton>(d, option)->click();
        auto* ports = control<QTreeWidget>(d, "PortList");
        ports->setCurrentItem(ports->topLevelItem(254));
        click(d, ok ? "OK_Button" : "Cancel_Button");
        EXPECT_FALSE(d.isVisible());
    }
    EXPECT_EQ(rig.Config.PortIndex, 254);
    EXPECT_EQ(rig.Config.BaudIndex, 11);
    EXPECT_EQ(rig.Config.ParityIndex, 0);
    EXPECT_EQ(rig.Config.DataBitsIndex, 3);
    EXPECT_EQ(rig.Config.StopBitsIndex, 2);
    EXPECT_EQ(rig.Config.FlowControl, 2);
    EXPECT_TRUE(isSet(rig.Config.ConfigChanged));
}

TEST(PortSetup, ShowsEachPortsDeviceAndBindsTheSelectedOneToTheStablePath) {
    PortRig rig;
    rig.Bindings.bind("COM3", kFakeDevices[1].ByIdPath);
    rig.Bindings.bind("COM4", "/dev/serial/by-id/usb-Unplugged_Adapter-if00-port0");
    PortSetup& d = rig.open();
    EXPECT_EQ(rig.portRow(0), "/dev/ttyS0");
    EXPECT_EQ(rig.portRow(254), "/dev/ttyS254 (absent)") << "unbound ports are marked too";
    EXPECT_EQ(rig.portRow(2).toStdString(), kFakeDevices[1].ByIdPath);
    EXPECT_EQ(rig.portRow(3), "/dev/serial/by-id/usb-Unplugged_Adapter-if00-port0 (absent)");
    auto* devices = control<QTreeWidget>(d, "DeviceList");
    ASSERT_EQ(devices->topLevelItemCount(), 2);
    const QStringList usb = {devices->topLevelItem(1)->text(0), devices->topLevelItem(1)->text(1),
                             devices->topLevelItem(1)->text(2), devices->topLevelItem(1)->text(3),
                             devices->topLevelItem(1)->text(4)};
    EXPECT_EQ(usb, QStringList({"/dev/ttyUSB0", "FTDI (0403)", "FT232R USB UART (6001)", "A12345",
                                QString::fromStdString(kFakeDevices[1].ByIdPath)}));

    auto* ports = control<QTreeWidget>(d, "PortList");
    ports->setCurrentItem(ports->topLevelItem(4));
    devices->setCurrentItem(devices->topLevelItem(1));
    click(d, "BindDevice");
    EXPECT_EQ(rig.Bindings.boundPath("COM5"), kFakeDevices[1].ByIdPath);
    EXPECT_EQ(rig.portRow(4).toStdString(), kFakeDevices[1].ByIdPath);
    devices->setCurrentItem(devices->topLevelItem(0));
    click(d, "BindDevice");
    EXPECT_EQ(rig.Bindings.boundPath("COM5"), "/dev/ttyS0")
        << "a device without a by-id link binds by its path";
    // The binding belongs to the user, not to the configuration.
    EXPECT_FALSE(isSet(rig.Config.ConfigChanged));

    rig.Devices.clear();
    click(d, "RescanDevices");
    EXPECT_EQ(devices->topLevelItemCount(), 0);
    EXPECT_EQ(rig.portRow(2).toStdString(), kFakeDevices[1].ByIdPath + " (absent)");
}

TEST(PortSetup, BindsATypedOrChosenTerminalPathAndUnbinds) {
    PortRig rig;
    test::FakeFileDialogs files;
    test::PtyPair pty;
    ASSERT_TRUE(pty.ok());
    PortSetup& d = rig.open();
    d.setFileDialogs(&files);
    auto* ports = control<QTreeWidget>(d, "PortList");
    auto* path = control<QLineEdit>(d, "DevicePath");
    ports->setCurrentItem(ports->topLevelItem(2));
    EXPECT_FALSE(control<QPushButton>(d, "UnbindPort")->isEnabled());

    // Enter in the path box binds it; the dialog stays open.
    path->setText(QString::fromStdString(pty.slavePath()));
    QTest::keyClick(path, Qt::Key_Return);
    EXPECT_EQ(rig.Bindings.boundPath("COM3"), pty.slavePath());
    EXPECT_EQ(rig.portRow(2).toStdString(), pty.slavePath());
    EXPECT_TRUE(d.isVisible());
    EXPECT_TRUE(rig.Prompts.Messages.empty());

    // A path that is no terminal is refused with the reason; the binding stays.
    files.Answers.push_back("/dev/null");
    click(d, "BrowseDevice");
    ASSERT_EQ(files.Requests.size(), 1u);
    EXPECT_TRUE(files.Requests[0].Devices);
    EXPECT_EQ(files.Requests[0].InitialName, pty.slavePath());
    EXPECT_EQ(path->text(), "/dev/null");
    click(d, "BindPath");
    ASSERT_EQ(rig.Prompts.Messages.size(), 1u);
    EXPECT_EQ(rig.Prompts.Messages[0].Title, "Invalid Device");
    EXPECT_NE(rig.Prompts.Messages[0].Text.find("not a terminal device"), std::string::npos);
    EXPECT_EQ(rig.Bindings.boundPath("COM3"), pty.slavePath());

    // Choosing another port shows its own binding; unbinding returns it to its default device.
    ports->setCurrentItem(ports->topLevelItem(0));
    EXPECT_EQ(path->text(), "");
    ports->setCurrentItem(ports->topLevelItem(2));
    EXPECT_EQ(path->text().toStdString(), pty.slavePath());
    click(d, "UnbindPort");
    EXPECT_EQ(rig.Bindings.boundPath("COM3"), "");
    EXPECT_TRUE(rig.portRow(2).startsWith("/dev/ttyS2"));
    EXPECT_FALSE(control<QPushButton>(d, "UnbindPort")->isEnabled());
    EXPECT_FALSE(isSet(rig.Config.ConfigChanged));
}

TEST(PortSetup, SaysWhichDeviceTheSessionUsesOnlyWhenOneWasGiven) {
    PortRig rig;
    PortSetup& d = rig.open();
    auto* session = control<QLabel>(d, "SessionDevice");
    EXPECT_FALSE(session->isVisible());
    EXPECT_FALSE(control<QPushButton>(d, "BrowseDevice")->isVisible()) << "no file dialogs to browse with";
    d.setSessionDevice("/dev/pts/4");
    EXPECT_TRUE(session->isVisible());
    EXPECT_TRUE(session->text().contains(QStringLiteral("/dev/pts/4")));
}

struct AppSelectRig {
    AppSelectRig() {
        ResetConfiguration(Config);
        Config.ConfigChanged = kFalse;
    }
    AppSelect& open() {
        Dialog = std::make_unique<AppSelect>(Config, Prompts, Files);
        Dialog->load();
        Dialog->show();
        QApplication::processEvents();
        return *Dialog;
    }
    Configuration Config;
    test::FakePrompts Prompts;
    test::FakeFileDialogs Files;
    std::unique_ptr<AppSelect> Dialog;
};

TEST(AppSelect, TrimsTheTitleOnLeavingItAndClearsActivationWhenBothTargetsAreEmpty) {
    AppSelectRig rig;
    AppSelect& d = rig.open();
    retype(d, "AppName", "  Untitled 1 - LibreOffice Calc  ");
    control(d, "AppCmd")->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    EXPECT_EQ(control<QLineEdit>(d, "AppName")->text(), "Untitled 1 - LibreOffice Calc");
    retype(d, "InterCharDelay", "2x5");
    EXPECT_EQ(control<QLineEdit>(d, "InterCharDelay")->text(), "25");
    EXPECT_EQ(rig.Prompts.Beeps, 1);
    click(d, "OkButton");
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(rig.Config.TargetAppTitle, "Untitled 1 - LibreOffice Calc");
    EXPECT_EQ(rig.Config.KeystrokeDelay, 25);
    EXPECT_EQ(rig.Config.ActivateTargetApp, kTrue);

    AppSelect& again = rig.open();
    EXPECT_EQ(control<QLineEdit>(again, "AppName")->text(), "Untitled 1 - LibreOffice Calc");
    retype(again, "AppName", "");
    click(again, "OkButton");
    EXPECT_EQ(rig.Config.TargetAppTitle, "");
    EXPECT_EQ(rig.Config.ActivateTargetApp, kFalse);

    rig.Config.ConfigChanged = kFalse;
    AppSelect& cancelled = rig.open();
    retype(cancelled, "AppName", "Other");
    click(cancelled, "CancelButton");
    EXPECT_EQ(rig.Config.TargetAppTitle, "");
    EXPECT_FALSE(isSet(rig.Config.ConfigChanged));
}

TEST(AppSelect, BrowseAsksForAnExecutableProgramAndQuotesItsPath) {
    AppSelectRig rig;
    rig.Config.TargetAppCommand = "gedit";
    AppSelect& d = rig.open();
    rig.Files.Answers = {std::nullopt, std::string("/opt/My App/run")};
    click(d, "Command1");
    EXPECT_EQ(control<QLineEdit>(d, "AppCmd")->text(), "gedit");
    click(d, "Command1");
    EXPECT_EQ(control<QLineEdit>(d, "AppCmd")->text(), "'/opt/My App/run'");
    ASSERT_EQ(rig.Files.Requests.size(), 2u);
    EXPECT_EQ(rig.Files.Requests[0].Filter, "Programs (*)|*");
    EXPECT_TRUE(rig.Files.Requests[0].ExecutablesOnly);
    EXPECT_TRUE(rig.Files.Requests[0].FileMustExist);
}

TEST(DDEParms, OkStoresTheTextsAsTypedAndMarksOnlyAChange) {
    Configuration config;
    ResetConfiguration(config);
    config.ConfigChanged = kFalse;
    DDEParms d(config);
    d.load();
    d.show();
    EXPECT_EQ(control<QLineEdit>(d, "DDEApp")->text(), "Excel");
    click(d, "DDEOkButton");
    EXPECT_FALSE(isSet(config.ConfigChanged));
    d.load();
    d.show();
    retype(d, "DDETop", " Sheet1");
    retype(d, "DDEItm", "[SELECT(\"R1C1\")]");
    click(d, "DDEOkButton");
    EXPECT_EQ(config.DdeCommandTopic, " Sheet1");
    EXPECT_EQ(config.DdeCommand, "[SELECT(\"R1C1\")]");
    EXPECT_TRUE(isSet(config.ConfigChanged));
}

TEST(ModeAndPortDialogs, OpenFromTheirMenuItemsWithTheirHelpTopics) {
    const std::tuple<const char*, const char*, const char*, int> items[] = {
        {"SendKeystrokes", "AppSelect", "CancelButton", 60},
        {"UseDDE", "DDEParms", "DDECancelButton", 70},
        {"PortSettings", "PortSetup", "Cancel_Button", 100}};
    for (auto [item, dialog, cancel, topic] : items) {
        test::SetupRig rig;
        QString shown;
        int shownTopic = 0;
        QTimer::singleShot(0, [&, cancel = cancel] {
            QWidget* modal = QApplication::activeModalWidget();
            ASSERT_NE(modal, nullptr);
            shown = modal->objectName();
            shownTopic = HelpTopicOf(modal);
            modal->findChild<QAbstractButton*>(cancel)->click();
        });
        rig.click(item);
        EXPECT_EQ(shown, dialog);
        EXPECT_EQ(shownTopic, topic) << dialog;
        EXPECT_TRUE(rig.Prompts.Messages.empty()) << item;
    }
}

TEST(ModeAndPortDialogsLayout, NothingIsClippedOrOverlaps) {
    AppSelectRig app;
    app.Config.TargetAppTitle = "Untitled 1 - LibreOffice Calc";
    app.Config.TargetAppCommand = "libreoffice --calc";
    test::checkAndSave(app.open(), "mode-appselect.png");
    Configuration config;
    ResetConfiguration(config);
    DDEParms dde(config);
    dde.load();
    dde.show();
    test::checkAndSave(dde, "mode-ddeparms.png");
    PortRig port;
    port.Bindings.bind("COM1", kFakeDevices[1].ByIdPath);
    port.Bindings.bind("COM2", "/dev/serial/by-id/usb-Unplugged_Adapter-if00-port0");
    PortSetup& d = port.open();
    control<QTreeWidget>(d, "DeviceList")
        ->setCurrentItem(control<QTreeWidget>(d, "DeviceList")->topLevelItem(1));
    test::checkAndSave(d, "port-portsetup.png");
}

} // namespace
} // namespace quorvane
