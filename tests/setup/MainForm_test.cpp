// The setup window offscreen, found by object names: the menu tree and its captions, the Mode
// menu's check marks and the mode commands, the hidden toggles, the caption, the recent-file
// entries, the save prompt in front of New, Open, Exit and Normal Mode, activation through a
// recording runtime host, and the note of commands whose dialogs this build lacks. The file rules
// themselves are ConfigFiles_test's; a real port and runtime window are SetupActivation_test's.

#include <gtest/gtest.h>

#include "setup/SetupRig.h"

#include <QMenuBar>
#include <QTest>

namespace quorvane {
namespace {

using test::SetupRig;

struct MenuItem {
    const char* Menu;
    const char* Name;
    const char* Caption; // null for a separator
    bool Visible;
};

// Every named item in menu order; separators between visible items carry no name.
const MenuItem kMenuTree[] = {
    {"FilePullDown", "FileNew", "&New", true},
    {"FilePullDown", "FileLoad", "&Open...", true},
    {"FilePullDown", "FileSave", "&Save", true},
    {"FilePullDown", "FileSaveAs", "Save &As...", true},
    {"FilePullDown", "mnuMRUSsep1", nullptr, false},
    {"FilePullDown", "mnuMRU_0", "", false},
    {"FilePullDown", "mnuMRUsep2", nullptr, false},
    {"FilePullDown", "FileExit", "E&xit", true},
    {"XferMethod", "SendKeystrokes", "&Send Keystrokes To...", true},
    {"XferMethod", "UseDDE", "&DDE Server...", true},
    {"XferMethod", "SaveToFile", "&Log To Disk...", true},
    {"PortPullDown", "PortSettings", "&Settings...", true},
    {"PortPullDown", "PortTest", "&Analyze...", true},
    {"PortPullDown", "PortControl", "&Beep On Input", false},
    {"DefinePullDown", "DefineRecords", "Input Data Record &Structure...", true},
    {"DefinePullDown", "PreInTrans", "Pre-&Input Character Translations...", true},
    {"DefinePullDown", "DefineTranslate", "Pre-&Transfer Character Translations...", true},
    {"DefinePullDown", "GetOutStrings", "Serial &Output Strings...", true},
    {"DefinePullDown", "MHKActions", "&Hot Keys and Hot Key Actions...", true},
    {"DefinePullDown", "", nullptr, true},
    {"DefinePullDown", "mnuPreferences", "&Preferences...", true},
    {"DefinePullDown", "DDESource", "&Command Source DDE Link...", false},
    {"DefinePullDown", "DDEBuffer", "Output &Buffer DDE Link...", false},
    {"Run", "RunTest", "&Test Mode", true},
    {"Run", "RunNormal", "&Normal Mode", true},
    {"Run", "", nullptr, true},
    {"Run", "RunVirtual", "&Virtual Instrument Mode", true},
    {"Run", "ActDisable", "Activate Initially &Suspended", false},
    {"Run", "MiniHoxel", "&Minimize On Activation", false},
    {"Run", "OnTop", "Always &On Top", false},
    {"Run", "DisplayDTR", "Display DT&R Toggle Button", false},
    {"Run", "DisplayBrk", "Display &Break Button", false},
    {"Run", "DateTime", "&Display Date/Time...", false},
    {"Run", "mSetTopic", "Set Quorvane DDE Topic...", false},
    {"Help", "HelpIndex", "&Index", true},
    {"Help", "", nullptr, true},
    {"Help", "Tutor", "Quorvane On-Line Support", true},
    {"Help", "", nullptr, true},
    {"Help", "HelpAbout", "&About...", true},
};

TEST(SetupMenus, HoldEveryItemWithItsCaptionAndVisibilityInOrderWithoutShortcuts) {
    SetupRig rig;
    const std::pair<const char*, const char*> menus[] = {
        {"FilePullDown", "&File"},     {"XferMethod", "&Mode"}, {"PortPullDown", "&Port"},
        {"DefinePullDown", "&Define"}, {"Run", "&Activate"},    {"Help", "&Help"}};
    const QList<QAction*> bar = rig.Form->menuBar()->actions();
    ASSERT_EQ(bar.size(), std::size(menus));
    for (std::size_t m = 0; m < std::size(menus); ++m) {
        QMenu* menu = bar[static_cast<qsizetype>(m)]->menu();
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(menu->objectName(), menus[m].first);
        EXPECT_EQ(menu->title(), menus[m].second);
        std::vector<const MenuItem*> expected;
        for (const MenuItem& item : kMenuTree)
            if (std::string_view(item.Menu) == menus[m].first)
                expected.push_back(&item);
        const QList<QAction*> items = menu->actions();
        ASSERT_EQ(items.size(), expected.size()) << menus[m].first;
        for (std::size_t i = 0; i < expected.size(); ++i) {
            QAction* a = items[static_cast<qsizetype>(i)];
            const MenuItem& e = *expected[i];
            EXPECT_EQ(a->objectName(), e.Name) << e.Menu << " item " << i;
            EXPECT_EQ(a->isSeparator(), e.Caption == nullptr) << e.Name;
            if (e.Caption) {
                EXPECT_EQ(a->text(), e.Caption) << e.Name;
            }
            EXPECT_EQ(a->isVisible(), e.Visible) << e.Name;
            EXPECT_TRUE(a->shortcut().isEmpty()) << e.Name;
        }
    }
}

struct ModeChecks {
    std::int16_t Mode;
    bool Keystrokes, Dde, Log;
};

class SetupModeMenu : public testing::TestWithParam<ModeChecks> {};

TEST_P(SetupModeMenu, ChecksTheCurrentModeEachTimeItOpens) {
    SetupRig rig;
    rig.action("UseDDE")->setChecked(true); // a stale mark from before
    rig.Config.OutputMode = GetParam().Mode;
    emit rig.menu("XferMethod")->aboutToShow();
    EXPECT_EQ(rig.action("SendKeystrokes")->isChecked(), GetParam().Keystrokes);
    EXPECT_EQ(rig.action("UseDDE")->isChecked(), GetParam().Dde);
    EXPECT_EQ(rig.action("SaveToFile")->isChecked(), GetParam().Log);
}

INSTANTIATE_TEST_SUITE_P(Modes, SetupModeMenu,
                         testing::Values(ModeChecks{0, true, false, false}, ModeChecks{1, false, true, false},
                                         ModeChecks{2, false, false, true}, ModeChecks{3, true, false, false},
                                         ModeChecks{-1, true, false, false}));

struct ModeCommand {
    const char* Item;
    std::int16_t ModeBefore;
    std::int16_t ModeAfter;
    bool Changed;                         // ConfigChanged afterwards (false before)
    const char* Dialog;                   // the dialog it opens, or null
    std::optional<std::string> LogAnswer; // the log file dialog's answer
};

class SetupModeCommands : public testing::TestWithParam<ModeCommand> {};

TEST_P(SetupModeCommands, SetTheModeBeforeTheDialogAndMarkChangesOnlyForANewMode) {
    const ModeCommand& c = GetParam();
    SetupRig rig;
    std::vector<std::string> opened;
    for (auto [command, name] :
         {std::pair{SetupCommand::TargetApplication, "target"}, std::pair{SetupCommand::DdeCommand, "dde"}})
        rig.Commands.set(command, [&opened, name = std::string(name), &rig](const SetupDialogContext& ctx) {
            // The mode has changed when the dialog opens; cancelling it keeps the change.
            opened.push_back(name + " mode " + std::to_string(ctx.Config.OutputMode));
            EXPECT_EQ(&ctx.Config, &rig.Config);
        });
    rig.Config.OutputMode = c.ModeBefore;
    rig.Config.LogFileName = "/tmp/old.log";
    rig.Dialogs.Answers.push_back(c.LogAnswer);
    emit rig.menu("XferMethod")->aboutToShow();
    rig.click(c.Item);
    EXPECT_EQ(rig.Config.OutputMode, c.ModeAfter);
    EXPECT_EQ(isSet(rig.Config.ConfigChanged), c.Changed);
    if (c.Dialog)
        EXPECT_EQ(opened,
                  std::vector<std::string>{std::string(c.Dialog) + " mode " + std::to_string(c.ModeAfter)});
    else
        EXPECT_TRUE(opened.empty());
    const std::int16_t itemMode = std::string_view(c.Item) == "SendKeystrokes" ? 0
                                  : std::string_view(c.Item) == "UseDDE"       ? 1
                                                                               : 2;
    EXPECT_EQ(rig.action(c.Item)->isChecked(), c.ModeAfter == itemMode);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, SetupModeCommands,
    testing::Values(ModeCommand{"SendKeystrokes", 1, 0, true, "target", {}},
                    ModeCommand{"SendKeystrokes", 0, 0, false, "target", {}},
                    ModeCommand{"UseDDE", 0, 1, true, "dde", {}},
                    ModeCommand{"UseDDE", 1, 1, false, "dde", {}},
                    // The log file dialog: cancel changes nothing; a new name or a new mode marks a change.
                    ModeCommand{"SaveToFile", 0, 0, false, nullptr, std::nullopt},
                    ModeCommand{"SaveToFile", 0, 2, true, nullptr, "/tmp/old.log"},
                    ModeCommand{"SaveToFile", 2, 2, false, nullptr, "/tmp/old.log"},
                    ModeCommand{"SaveToFile", 2, 2, true, nullptr, "/tmp/new.log"}));

TEST(SetupModeCommands, LogToDiskAsksWithItsTitleFilterAndTheCurrentName) {
    SetupRig rig;
    rig.Config.LogFileName = "/tmp/old.log";
    rig.Dialogs.Answers.push_back("/tmp/new.log");
    rig.click("SaveToFile");
    ASSERT_EQ(rig.Dialogs.Requests.size(), 1u);
    EXPECT_EQ(rig.Dialogs.Requests[0].Title, "Log Incoming Serial Data To File...");
    EXPECT_EQ(rig.Dialogs.Requests[0].Filter, "Quorvane Log (*.log)|*.log|All Files (*.*)|*.*");
    EXPECT_EQ(rig.Dialogs.Requests[0].InitialName, "/tmp/old.log");
    EXPECT_FALSE(rig.Dialogs.Requests[0].FileMustExist);
    EXPECT_EQ(rig.Config.LogFileName, "/tmp/new.log");
}

TEST(SetupHiddenItems, ToggleTheirSettingsAndMarkTheConfigurationChanged) {
    SetupRig rig;
    struct Toggle {
        const char* Item;
        std::function<int()> Value;
        int After;
    };
    Configuration& c = rig.Config;
    const Toggle toggles[] = {
        {"MiniHoxel", [&] { return int(c.MinimizeOnActivation); }, kTrue},
        {"OnTop", [&] { return int(c.AlwaysOnTop); }, kTrue},
        {"DisplayDTR", [&] { return int(c.ButtonFlags); }, 1},
        {"DisplayBrk", [&] { return int(c.ButtonFlags); }, 3},
        {"DisplayDTR", [&] { return int(c.ButtonFlags); }, 2},
        {"PortControl", [&] { return int(c.BeepOnInput); }, kTrue},
        {"PortControl", [&] { return int(c.BeepOnInput); }, kFalse},
        {"OnTop", [&] { return int(c.AlwaysOnTop); }, kFalse},
    };
    for (const Toggle& t : toggles) {
        c.ConfigChanged = kFalse;
        rig.click(t.Item);
        EXPECT_EQ(t.Value(), t.After) << t.Item;
        EXPECT_TRUE(isSet(c.ConfigChanged)) << t.Item;
    }
}

TEST(SetupHiddenItems, DateTimeAsksForTheFormatOnlyWhenTurnedOnAndTheDefineMenuShowsItsMark) {
    SetupRig rig;
    rig.Config.DateTimeFormat = "hh:mm";
    rig.Prompts.InputAnswers = {"", "dd.mm.yyyy"};
    rig.click("DateTime"); // on, empty answer keeps the format
    EXPECT_TRUE(isSet(rig.Config.ShowDateTime));
    EXPECT_EQ(rig.Config.DateTimeFormat, "hh:mm");
    rig.click("DateTime"); // off, no question
    EXPECT_FALSE(isSet(rig.Config.ShowDateTime));
    EXPECT_EQ(rig.Prompts.Inputs, std::vector<std::string>{"Enter Format Expression for Date/Time Display"});
    rig.click("DateTime");
    EXPECT_EQ(rig.Config.DateTimeFormat, "dd.mm.yyyy");
    emit rig.menu("DefinePullDown")->aboutToShow();
    EXPECT_TRUE(rig.action("DateTime")->isChecked());
    rig.Config.ShowDateTime = kFalse;
    emit rig.menu("DefinePullDown")->aboutToShow();
    EXPECT_FALSE(rig.action("DateTime")->isChecked());
}

TEST(SetupDialogCommands, OpenTheirDialogOrSayItIsNotAvailableYet) {
    const std::pair<const char*, SetupCommand> commands[] = {
        {"PortSettings", SetupCommand::PortSettings},
        {"DefineRecords", SetupCommand::RecordStructure},
        {"PreInTrans", SetupCommand::PreInputTranslations},
        {"DefineTranslate", SetupCommand::TransferTranslations},
        {"GetOutStrings", SetupCommand::OutputStrings},
        {"MHKActions", SetupCommand::HotKeys},
        {"mnuPreferences", SetupCommand::Preferences},
        {"ActDisable", SetupCommand::Preferences},
    };
    for (auto [item, command] : commands) {
        SetupRig rig;
        rig.Commands.set(command, {});
        rig.click(item);
        ASSERT_EQ(rig.Prompts.Messages.size(), 1u) << item;
        EXPECT_EQ(rig.Prompts.Messages[0].Text,
                  std::string(SetupCommandName(command)) + " is not available yet.");
        int opened = 0;
        rig.Commands.set(command, [&](const SetupDialogContext& c) {
            EXPECT_EQ(c.Parent, rig.Form.get());
            ++opened;
        });
        rig.click(item);
        EXPECT_EQ(opened, 1) << item;
        EXPECT_EQ(rig.Prompts.Messages.size(), 1u) << item;
    }
}

// The pickers and the internal clipboard are the process's: a picker opened from a setup dialog is
// the one the analyzer opens after the setup window has gone (Normal Mode discards it).
TEST(SetupOwnership, PickersOpenedFromTheSetupWindowOutliveIt) {
    SetupRig rig;
    const auto cancelChart = [](QDialog& d) { test::click(d, "AsciiCancelButton"); };
    rig.Runner.on("RecType", [](QDialog& d) {
        test::click(d, "StartOfRec_3");
        test::click(d, "Command1");
        test::click(d, "RectypeCancelButton");
    });
    rig.Runner.on("AsciiChart", cancelChart);
    rig.click("DefineRecords");
    rig.Runner.on("GetAKey2", [](QDialog& d) { test::click(d, "CancelButton"); });
    EXPECT_EQ(rig.Pickers.pickHotKey(150), "");
    rig.Form.reset();

    rig.Runner.on("AsciiChart", cancelChart);
    EXPECT_EQ(rig.Pickers.pickAscii(130), "");
    EXPECT_EQ(rig.Runner.Shown, (std::vector<QString>{"RecType", "AsciiChart", "GetAKey2", "AsciiChart"}));
}

struct CaptionCase {
    const char* File;
    const char* Caption;
};

class SetupCaptionRules : public testing::TestWithParam<CaptionCase> {};

TEST_P(SetupCaptionRules, NameTheFileWithoutItsFolder) {
    EXPECT_EQ(SetupCaption(GetParam().File), GetParam().Caption);
}

INSTANTIATE_TEST_SUITE_P(Names, SetupCaptionRules,
                         testing::Values(CaptionCase{"", "Quorvane Setup (Untitled)"},
                                         CaptionCase{"/data/scale.QV3", "Quorvane Setup(scale.QV3)"},
                                         CaptionCase{"C:\\data\\scale.QV3", "Quorvane Setup(scale.QV3)"},
                                         CaptionCase{"scale.qv3", "Quorvane Setup(scale.qv3)"}));

TEST(SetupCaption, FollowsStartUpOpenSaveAsAndNew) {
    SetupRig rig;
    const std::string scale = rig.saveFile("scale.QV3");
    rig.Form->Form_Load();
    EXPECT_EQ(rig.caption(), "Quorvane Setup (Untitled)");
    EXPECT_TRUE(rig.Form->isVisible());
    rig.Dialogs.Answers = {scale, rig.Dir.file("copy.QV3")};
    rig.click("FileLoad");
    EXPECT_EQ(rig.caption(), "Quorvane Setup(scale.QV3)");
    rig.click("FileSaveAs");
    EXPECT_EQ(rig.caption(), "Quorvane Setup(copy.QV3)");
    rig.click("FileNew");
    EXPECT_EQ(rig.caption(), "Quorvane Setup (Untitled)");
}

std::vector<std::string> shownEntries(const SetupRig& rig) {
    std::vector<std::string> shown;
    for (int k = 0;; ++k) {
        QAction* entry = rig.action(QStringLiteral("mnuMRU_%1").arg(k));
        if (entry == nullptr)
            return shown;
        if (entry->isVisible())
            shown.push_back(entry->text().toStdString());
    }
}

TEST(SetupRecentFiles, KeepTheLastFourMoveReopenedOnesUpAndAreStoredAtClose) {
    SetupRig rig;
    rig.Form->Form_Load();
    EXPECT_TRUE(shownEntries(rig).empty());
    EXPECT_FALSE(rig.action("mnuMRUSsep1")->isVisible());
    EXPECT_FALSE(rig.action("mnuMRUsep2")->isVisible());
    std::vector<std::string> paths;
    for (const char* name : {"a.QV3", "b.QV3", "c.QV3", "d.QV3", "R&D.QV3"}) {
        paths.push_back(rig.saveFile(name));
        rig.Dialogs.Answers.push_back(paths.back());
        rig.click("FileLoad");
        EXPECT_TRUE(rig.action("mnuMRUSsep1")->isVisible());
        EXPECT_TRUE(rig.action("mnuMRUsep2")->isVisible());
    }
    // An ampersand in a path is shown, not taken as an access key.
    const std::string rd = rig.Dir.file("R&&D.QV3");
    EXPECT_EQ(shownEntries(rig), (std::vector<std::string>{rd, paths[3], paths[2], paths[1]}));
    rig.Dialogs.Answers.push_back(paths[2]);
    rig.click("FileLoad");
    EXPECT_EQ(shownEntries(rig), (std::vector<std::string>{paths[2], rd, paths[3], paths[1]}));
    rig.click("mnuMRU_3"); // a recent entry loads its file and moves up
    EXPECT_EQ(rig.Config.ConfigFileName, paths[1]);
    EXPECT_EQ(rig.caption(), "Quorvane Setup(b.QV3)");
    EXPECT_EQ(shownEntries(rig), (std::vector<std::string>{paths[1], paths[2], rd, paths[3]}));
    EXPECT_TRUE(rig.Store.Entries.empty());

    rig.click("FileExit");
    EXPECT_EQ(rig.Ends, 1);
    const std::vector<std::string> stored = {paths[1], paths[2], paths[4], paths[3]};
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(rig.Store.GetSetting("Quorvane", "MRUFiles", std::to_string(k), "?"),
                  stored[std::size_t(k)]);
    EXPECT_EQ(rig.Store.Entries.size(), 4u);

    SetupRig again;
    again.Store = rig.Store;
    again.Form->Form_Load();
    EXPECT_EQ(shownEntries(again), (std::vector<std::string>{paths[1], paths[2], rd, paths[3]}));
    EXPECT_TRUE(again.action("mnuMRUSsep1")->isVisible());
}

enum class Guarded { New, Open, Exit, Normal };

class SetupSavePrompt : public testing::TestWithParam<std::tuple<Guarded, MessageAnswer>> {};

void runGuarded(SetupRig& rig, Guarded command) {
    const char* items[] = {"FileNew", "FileLoad", "FileExit", "RunNormal"};
    rig.click(items[int(command)]);
}

TEST_P(SetupSavePrompt, GuardsTheCommandYesSavesNoDiscardsCancelAbandons) {
    const auto [command, answer] = GetParam();
    SetupRig rig;
    const std::string path = rig.saveFile("scale.QV3");
    rig.Form->Form_Load();
    rig.Dialogs.Answers.push_back(path);
    rig.click("FileLoad");
    rig.Dialogs.Requests.clear();
    rig.Config.FieldCount = 7;
    rig.Config.ConfigChanged = kTrue;
    rig.Prompts.Answers.push_back(answer);
    rig.Dialogs.Answers.push_back(rig.saveFile("other.QV3"));

    runGuarded(rig, command);
    ASSERT_EQ(rig.Prompts.Messages.size(), 1u);
    EXPECT_EQ(rig.Prompts.Messages[0].Text, "File " + path + " has changed. Save?");
    EXPECT_EQ(rig.Prompts.Messages[0].Title, "Quorvane");
    EXPECT_EQ(rig.Prompts.Messages[0].Buttons, MessageButtons::YesNoCancel);
    EXPECT_EQ(rig.Prompts.Messages[0].Icon, MessageIcon::Question);

    const bool goesOn = answer != MessageAnswer::Cancel;
    const bool saved = answer == MessageAnswer::Yes;
    Configuration onDisk;
    ResetConfiguration(onDisk);
    onDisk.ConfigFileName = path;
    EXPECT_EQ(DecodeConfigFile(*ReadWholeFile(path), onDisk).ok(), true);
    EXPECT_EQ(onDisk.FieldCount == 7, saved);
    switch (command) {
    case Guarded::New:
        EXPECT_EQ(rig.Config.ConfigFileName.empty(), goesOn);
        break;
    case Guarded::Open:
        EXPECT_EQ(rig.Dialogs.Requests.size(), goesOn ? 1u : 0u);
        break;
    case Guarded::Exit:
        EXPECT_EQ(rig.Ends, goesOn ? 1 : 0);
        break;
    case Guarded::Normal:
        EXPECT_EQ(rig.Runtime.Calls, goesOn
                                         ? (std::vector<std::string>{"close analyzer", "open 1", "show"})
                                         : (std::vector<std::string>{"close analyzer", "open 1", "abandon"}));
        EXPECT_EQ(rig.Form->ActivationKind, goesOn ? 1 : 0);
        EXPECT_EQ(rig.Form->EndOnClose, !goesOn);
        EXPECT_EQ(rig.Ends, 0);
        break;
    }
    EXPECT_EQ(rig.Form->isVisible(), !goesOn || command == Guarded::New || command == Guarded::Open);
}

std::string promptCaseName(const testing::TestParamInfo<std::tuple<Guarded, MessageAnswer>>& info) {
    const char* commands[] = {"New", "Open", "Exit", "Normal"};
    const char* answers[] = {"Ok", "Cancel", "Yes", "No"};
    return std::string(commands[int(std::get<0>(info.param))]) + answers[int(std::get<1>(info.param))];
}

INSTANTIATE_TEST_SUITE_P(
    Commands, SetupSavePrompt,
    testing::Combine(testing::Values(Guarded::New, Guarded::Open, Guarded::Exit, Guarded::Normal),
                     testing::Values(MessageAnswer::Yes, MessageAnswer::No, MessageAnswer::Cancel)),
    promptCaseName);

TEST(SetupSavePrompt, AFailedSaveAbandonsTheCommandAndKeepsTheChanges) {
    for (Guarded command : {Guarded::New, Guarded::Open, Guarded::Exit, Guarded::Normal}) {
        SetupRig rig;
        rig.Form->Form_Load();
        rig.Config.ConfigFileName = rig.Dir.file("gone/scale.QV3");
        rig.Config.ConfigLoaded = kTrue;
        rig.Config.ConfigChanged = kTrue;
        rig.Prompts.Answers.push_back(MessageAnswer::Yes);
        runGuarded(rig, command);
        ASSERT_EQ(rig.Prompts.Messages.size(), 2u) << int(command);
        EXPECT_EQ(rig.Prompts.Messages[1].Text, "File I/O Error");
        EXPECT_EQ(rig.Prompts.Beeps, 1);
        EXPECT_TRUE(isSet(rig.Config.ConfigChanged));
        EXPECT_EQ(rig.Config.ConfigFileName, rig.Dir.file("gone/scale.QV3"));
        EXPECT_TRUE(rig.Dialogs.Requests.empty());
        EXPECT_EQ(rig.Ends, 0);
        EXPECT_TRUE(rig.Form->isVisible());
        EXPECT_EQ(rig.Form->ActivationKind, 0);
        EXPECT_TRUE(rig.Form->EndOnClose);
    }
}

TEST(SetupActivation, TestModeHidesTheWindowUntilTheRuntimeWindowCloses) {
    SetupRig rig;
    rig.Form->Form_Load();
    rig.Config.ConfigChanged = kTrue;
    rig.click("RunTest");
    EXPECT_TRUE(rig.Prompts.Messages.empty()); // no save prompt
    EXPECT_EQ(rig.Runtime.Calls, (std::vector<std::string>{"close analyzer", "open 3", "show"}));
    EXPECT_FALSE(rig.Form->isVisible());
    EXPECT_EQ(rig.Form->ActivationKind, 3);
    rig.Runtime.Ended();
    EXPECT_TRUE(rig.Form->isVisible());
    EXPECT_EQ(rig.Form->ActivationKind, 0);
    EXPECT_TRUE(isSet(rig.Config.ConfigChanged));
    EXPECT_EQ(rig.Ends, 0);
}

TEST(SetupActivation, NormalModeClosesTheWindowWithoutEndingAndEndsWithTheRuntimeWindow) {
    SetupRig rig;
    rig.Form->Form_Load();
    rig.click("RunNormal");
    EXPECT_FALSE(rig.Form->isVisible());
    EXPECT_EQ(rig.Ends, 0);
    EXPECT_TRUE(rig.Prompts.Messages.empty()); // neither before nor at the close
    rig.Form.reset();                          // discarded; the runtime window lives on
    rig.Runtime.Ended();
    EXPECT_EQ(rig.Ends, 1);
}

TEST(SetupActivation, APortThatCannotBeOpenedLeavesTheWindowAsItWas) {
    for (const char* item : {"RunTest", "RunNormal"}) {
        SetupRig rig;
        rig.Form->Form_Load();
        rig.Config.ConfigChanged = kTrue;
        rig.Runtime.PortOpens = false;
        rig.click(item);
        EXPECT_EQ(rig.Runtime.Calls.size(), 2u) << item; // close analyzer, open
        EXPECT_TRUE(rig.Prompts.Messages.empty()) << item;
        EXPECT_TRUE(rig.Form->isVisible()) << item;
        EXPECT_EQ(rig.Form->ActivationKind, 0) << item;
        EXPECT_TRUE(rig.Form->EndOnClose) << item;
    }
}

TEST(SetupActivation, TheAnalyzerOpensOnThePortAndVirtualModeOpensNone) {
    SetupRig rig;
    rig.Form->Form_Load();
    rig.Config.BaudIndex = 11;
    rig.Config.PortIndex = 2;
    rig.click("PortTest");
    EXPECT_EQ(rig.Runtime.Calls, (std::vector<std::string>{
                                     "close analyzer", "analyzer Port Analyze - COM3:115200,Even,Seven,1"}));
    EXPECT_TRUE(rig.Form->isVisible());

    rig.Runtime.Calls.clear();
    rig.Runtime.PortOpens = false; // a port is never asked for
    rig.click("RunVirtual");
    EXPECT_EQ(rig.Runtime.Calls, (std::vector<std::string>{"close analyzer", "open 2", "show"}));
    EXPECT_FALSE(rig.Form->isVisible());
    EXPECT_EQ(rig.Form->ActivationKind, 2);
    rig.Runtime.Ended();
    EXPECT_TRUE(rig.Form->isVisible());
    EXPECT_EQ(rig.Form->ActivationKind, 0);

    rig.Runtime.Calls.clear();
    rig.Commands.set(SetupCommand::PortSettings, [](const SetupDialogContext&) {});
    rig.click("PortSettings");
    EXPECT_EQ(rig.Runtime.Calls, (std::vector<std::string>{"close analyzer"}));
}

TEST(SetupStartUp, ActivatesAFileNamedOnTheCommandLineOrEndsWhenItCannotBeLoaded) {
    SetupRig rig;
    rig.Form->Form_Load(" " + rig.saveFile("scale.QV3") + " ");
    EXPECT_EQ(rig.Runtime.Calls, (std::vector<std::string>{"close analyzer", "open 1", "show"}));
    EXPECT_EQ(rig.Ends, 0);

    SetupRig missing;
    missing.Form->Form_Load(missing.Dir.file("missing.QV3"));
    EXPECT_TRUE(missing.Runtime.Calls.empty());
    EXPECT_EQ(missing.Ends, 1);
    EXPECT_TRUE(missing.Prompts.Messages.empty());
    EXPECT_FALSE(missing.Form->isVisible());
}

} // namespace
} // namespace quorvane
