// Loading, validating and saving through real files in a temporary folder, with the messages and
// dialogs of the file commands scripted by fakes.

#include <filesystem>
#include <fstream>
#include <functional>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "config/ConfigFiles.h"
#include "config/ConfigTestSupport.h"
#include "config/LegacyFileBuilder.h"
#include "fakes/FakeFileDialogs.h"
#include "fakes/FakePrompts.h"
#include "fakes/FakeSettingsStore.h"
#include "fakes/TempDir.h"
#include "platform/posix/PosixConfigFileAccess.h"

namespace quorvane {
namespace {

class CountingListener final : public ConfigFilesListener {
public:
    void captionChanged() override { ++Captions; }
    void configurationReset() override { ++Resets; }
    int Captions = 0;
    int Resets = 0;
};

class ConfigFilesTest : public testing::Test {
protected:
    ConfigFilesTest() { ResetConfiguration(config); }

    void writeFile(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    std::string readFile(const std::string& path) { return ReadWholeFile(path).value_or("<missing>"); }
    std::string savedSample(const std::string& name, std::int16_t port = 3) {
        Settings s = test::resetConfiguration();
        s.PortIndex = port;
        s.RecordPreamble = "PRE";
        const std::string path = dir.file(name);
        writeFile(path, EncodeConfigFile(s));
        return path;
    }

    test::TempDir dir;
    Configuration config;
    test::FakePrompts prompts;
    test::FakeFileDialogs dialogs;
    test::FakeSettingsStore store;
    RecentFiles recent{store};
    CountingListener listener;
    PosixConfigFileAccess access;
    ConfigFiles files{config, access, prompts, dialogs, recent, &listener};
};

TEST_F(ConfigFilesTest, MissingFileResetsSilentlyAndForgetsTheName) {
    config.ConfigFileName = dir.file("missing.QV3");
    config.PortIndex = 5;
    files.LoadConfiguration();
    EXPECT_TRUE(prompts.Messages.empty());
    EXPECT_TRUE(config.ConfigFileName.empty());
    EXPECT_EQ(config.PortIndex, 0);
    EXPECT_EQ(config.ConfigLoaded, kFalse);
    EXPECT_EQ(listener.Resets, 1);
    EXPECT_EQ(listener.Captions, 1);
    EXPECT_FALSE(prompts.WaitCursor);
}

TEST_F(ConfigFilesTest, UnknownHeaderIsReportedWithThePathAsGivenThenReset) {
    const std::string path = dir.file("Notes.txt");
    writeFile(path, "Shopping list\r\n 1 \r\n");
    config.ConfigFileName = path;
    config.PortIndex = 5;
    files.LoadConfiguration();
    ASSERT_EQ(prompts.Messages.size(), 1u);
    EXPECT_EQ(prompts.Messages[0].Text, "File: " + path + " is not a valid configuration file.");
    EXPECT_EQ(prompts.Messages[0].Title, "Quorvane File Error");
    EXPECT_EQ(prompts.Messages[0].Icon, MessageIcon::Question);
    EXPECT_EQ(prompts.Messages[0].Buttons, MessageButtons::Ok);
    EXPECT_TRUE(config.ConfigFileName.empty());
    EXPECT_EQ(config.PortIndex, 0);
}

TEST_F(ConfigFilesTest, DamagedFileGetsTheInvalidFileMessageAndLeavesOnlyDefaults) {
    Settings s = test::RandomSettings(3).make();
    s.PortIndex = 1; // passes validation; the damage is further on
    std::string bytes = EncodeConfigFile(s);
    bytes.resize(bytes.size() / 2);
    const std::string path = dir.file("half.QV3");
    writeFile(path, bytes);
    config.ConfigFileName = path;
    files.LoadConfiguration();
    ASSERT_EQ(prompts.Messages.size(), 1u);
    EXPECT_EQ(prompts.Messages[0].Text, InvalidConfigFileMessage(path));
    EXPECT_FALSE(files.lastProblem().empty());
    EXPECT_TRUE(config.ConfigFileName.empty());
    EXPECT_EQ(static_cast<const Settings&>(config), Settings(test::resetConfiguration()));
}

TEST_F(ConfigFilesTest, CurrentLayoutLoadsAsLoadedAndUnchanged) {
    config.ConfigFileName = savedSample("lab.QV3", 7);
    config.ConfigChanged = kTrue;
    files.LoadConfiguration();
    EXPECT_TRUE(prompts.Messages.empty());
    EXPECT_EQ(prompts.Beeps, 0);
    EXPECT_EQ(config.PortIndex, 7);
    EXPECT_EQ(config.RecordPreamble, "PRE");
    EXPECT_EQ(config.ConfigLoaded, kTrue);
    EXPECT_EQ(config.ConfigChanged, kFalse);
}

TEST_F(ConfigFilesTest, OlderLayoutsAskToBeSavedAgain) {
    for (const std::string& bytes :
         {test::make2_00File(test::resetConfiguration()), test::make1_1File(test::resetConfiguration())}) {
        prompts.Messages.clear();
        prompts.Beeps = 0;
        const std::string path = dir.file("old.QV1");
        writeFile(path, bytes);
        config.ConfigFileName = path;
        files.LoadConfiguration();
        ASSERT_EQ(prompts.Messages.size(), 1u);
        EXPECT_EQ(prompts.Messages[0].Text, kPreviousVersionMessage);
        EXPECT_EQ(prompts.Messages[0].Title, "Quorvane Version 3.0");
        EXPECT_EQ(prompts.Beeps, 1);
        EXPECT_EQ(config.ConfigLoaded, kTrue);
        EXPECT_EQ(config.ConfigChanged, kTrue);
        EXPECT_EQ(config.ConfigFileName, path);
    }
}

TEST_F(ConfigFilesTest, NoteOfAnOldFileIsShownExceptOnTheCommandLineLoad) {
    const std::string path = dir.file("note.QV1");
    writeFile(path, test::make1_1File(test::resetConfiguration(), "Use with balance 3"));
    config.ConfigFileName = path;
    files.setCommandLineLoad(true);
    files.LoadConfiguration();
    ASSERT_EQ(prompts.Messages.size(), 1u); // only the previous-version message
    EXPECT_EQ(prompts.Messages[0].Title, "Quorvane Version 3.0");

    prompts.Messages.clear();
    files.LoadConfiguration();
    ASSERT_EQ(prompts.Messages.size(), 2u);
    EXPECT_EQ(prompts.Messages[0].Text, "Use with balance 3");
    EXPECT_EQ(prompts.Messages[0].Title, "Quorvane");
    EXPECT_EQ(prompts.Messages[1].Title, "Quorvane Version 3.0");
}

TEST_F(ConfigFilesTest, ValidateReturnsCodesAndThePortIndex) {
    EXPECT_EQ(files.ValidateConfigFile(""), -2);
    EXPECT_EQ(files.ValidateConfigFile(dir.file("none.QV3")), -1);
    EXPECT_EQ(files.ValidateConfigFile(dir.path().string()), -1); // a folder cannot be read
    EXPECT_TRUE(prompts.Messages.empty());
    EXPECT_EQ(files.ValidateConfigFile(savedSample("p.QV3", 254)), 254);
    EXPECT_TRUE(prompts.Messages.empty());

    const std::string negative = dir.file("negative.QV3");
    writeFile(negative, "Quorvane Configuration File\r\n-4 \r\n");
    EXPECT_EQ(files.ValidateConfigFile(negative), -1);
    EXPECT_EQ(prompts.Messages.size(), 1u);
}

TEST_F(ConfigFilesTest, FailedWriteBeepsReportsAndKeepsTheChangeMark) {
    config.ConfigFileName = dir.file("no-such-folder/lab.QV3");
    config.ConfigChanged = kTrue;
    files.FileSave();
    EXPECT_EQ(prompts.Beeps, 1);
    ASSERT_EQ(prompts.Messages.size(), 1u);
    EXPECT_EQ(prompts.Messages[0].Text, "File I/O Error");
    EXPECT_EQ(prompts.Messages[0].Title, "Quorvane");
    EXPECT_EQ(config.ConfigChanged, kTrue);
    EXPECT_EQ(config.ConfigFileName, dir.file("no-such-folder/lab.QV3"));
}

TEST_F(ConfigFilesTest, WriteWithoutANameWritesNothing) {
    config.ConfigFileName.clear();
    EXPECT_FALSE(files.WriteConfigFile());
    EXPECT_TRUE(prompts.Messages.empty());
}

TEST_F(ConfigFilesTest, SavePromptWordingDependsOnWhereTheConfigurationCameFrom) {
    files.PromptSaveChanges();
    EXPECT_TRUE(prompts.Messages.empty()); // nothing changed: no question

    config.ConfigChanged = kTrue;
    prompts.Answers = {MessageAnswer::No};
    files.PromptSaveChanges();
    ASSERT_EQ(prompts.Messages.size(), 1u);
    EXPECT_EQ(prompts.Messages[0].Text, "Save Current Configuration?");
    EXPECT_EQ(prompts.Messages[0].Buttons, MessageButtons::YesNoCancel);
    EXPECT_EQ(prompts.Messages[0].Icon, MessageIcon::Question);
    EXPECT_EQ(config.PromptCancelled, kFalse);

    config.ConfigLoaded = kTrue;
    config.ConfigFileName = "/data/Lab Scale.QV3";
    prompts.Answers = {MessageAnswer::Cancel};
    files.PromptSaveChanges();
    EXPECT_EQ(prompts.Messages[1].Text, "File /data/Lab Scale.QV3 has changed. Save?");
    EXPECT_EQ(config.PromptCancelled, kTrue);
}

TEST_F(ConfigFilesTest, CancellingTheSaveDialogInsideThePromptAbandonsNew) {
    config.PortIndex = 7;
    config.ConfigChanged = kTrue;
    prompts.Answers = {MessageAnswer::Yes};
    dialogs.Answers = {std::nullopt};
    files.FileNew();
    EXPECT_EQ(config.PromptCancelled, kTrue);
    EXPECT_EQ(config.PortIndex, 7);
    EXPECT_EQ(listener.Resets, 0);
}

TEST_F(ConfigFilesTest, NewAfterAnsweringNoResetsToUntitledDefaults) {
    config.ConfigFileName = savedSample("lab.QV3");
    config.PortIndex = 7;
    config.ConfigChanged = kTrue;
    config.ConfigLoaded = kTrue;
    prompts.Answers = {MessageAnswer::No};
    files.FileNew();
    EXPECT_TRUE(config.ConfigFileName.empty());
    EXPECT_EQ(config.PortIndex, 0);
    EXPECT_EQ(config.ConfigLoaded, kFalse);
    EXPECT_EQ(config.ConfigChanged, kFalse);
}

TEST_F(ConfigFilesTest, OpenShowsTheDocumentedDialogAndRemembersTheFile) {
    const std::string path = savedSample("lab.QV3", 4);
    config.ConfigFileName = "/old/name.QV3";
    dialogs.Answers = {std::nullopt, path};
    files.FileLoad(); // cancelled
    EXPECT_EQ(config.ConfigFileName, "/old/name.QV3");
    EXPECT_EQ(recent.RecentCount(), -1);

    files.FileLoad();
    ASSERT_EQ(dialogs.Requests.size(), 2u);
    const FileDialogRequest& r = dialogs.Requests[0];
    EXPECT_EQ(r.Title, "Open Quorvane Configuration...");
    EXPECT_EQ(r.Filter,
              "Quorvane Config (*.QV3)|*.QV3|Quorvane 1.x Config (*.QV1)|*.QV1|All Files (*.*)|*.*");
    EXPECT_EQ(r.InitialName, "/old/name.QV3");
    EXPECT_TRUE(r.FileMustExist);
    EXPECT_EQ(config.PortIndex, 4);
    EXPECT_EQ(recent.caption(0), path);
}

TEST_F(ConfigFilesTest, SaveAsWritesAReadableFileAndMarksItLoaded) {
    const std::string path = dir.file("new.QV3");
    config.TimerString = "T\r\n";
    config.ConfigChanged = kTrue;
    dialogs.Answers = {path};
    files.FileSave(); // untitled: goes through Save As
    ASSERT_EQ(dialogs.Requests.size(), 1u);
    EXPECT_EQ(dialogs.Requests[0].Title, "Save Quorvane Configuration As...");
    EXPECT_EQ(dialogs.Requests[0].Filter, "Quorvane Config (*.QV3)|*.QV3|All Files (*.*)|*.*");
    EXPECT_EQ(dialogs.Requests[0].DefaultExtension, "QV3");
    EXPECT_EQ(readFile(path), EncodeConfigFile(config));
    EXPECT_EQ(config.ConfigFileName, path);
    EXPECT_EQ(config.ConfigLoaded, kTrue);
    EXPECT_EQ(config.ConfigChanged, kFalse);
    EXPECT_EQ(recent.caption(0), path);
    EXPECT_EQ(listener.Captions, 1);

    dialogs.Answers = {std::nullopt};
    files.FileSaveAs();
    EXPECT_EQ(config.PromptCancelled, kTrue);
}

TEST_F(ConfigFilesTest, RecentEntryAsksToSaveFirstAndAFailedOneStaysListed) {
    const std::string good = savedSample("good.QV3", 9);
    const std::string gone = dir.file("gone.QV3");
    recent.AddRecentFile(gone);
    recent.AddRecentFile(good);
    config.PortIndex = 5;
    config.ConfigChanged = kTrue;
    prompts.Answers = {MessageAnswer::Cancel};
    files.OpenRecentFile(1); // gone.QV3
    ASSERT_EQ(prompts.Messages.size(), 1u);
    EXPECT_EQ(prompts.Messages[0].Text, "Save Current Configuration?");
    EXPECT_EQ(config.PortIndex, 5);
    EXPECT_EQ(recent.caption(0), good);

    prompts.Answers = {MessageAnswer::No};
    files.OpenRecentFile(1);
    EXPECT_EQ(prompts.Messages.size(), 2u);
    EXPECT_TRUE(config.ConfigFileName.empty());
    EXPECT_EQ(recent.caption(0), gone);
    EXPECT_EQ(recent.caption(1), good);

    files.OpenRecentFile(1); // nothing changed since: no question
    EXPECT_EQ(prompts.Messages.size(), 2u);
    EXPECT_EQ(config.PortIndex, 9);
    EXPECT_EQ(config.ConfigFileName, good);
    EXPECT_EQ(recent.caption(0), good);
}

// Yes in the save prompt, then a save that fails: the command that asked must not go on and discard
// the changes.
enum class AskingCommand { New, Open, Recent };

class FailedSaveInThePrompt : public ConfigFilesTest, public testing::WithParamInterface<AskingCommand> {};

TEST_P(FailedSaveInThePrompt, AbandonsTheCommandAndKeepsTheChanges) {
    const std::string other = savedSample("other.QV3", 9);
    recent.AddRecentFile(other);
    config.ConfigFileName = dir.file("no-such-folder/lab.QV3");
    config.ConfigLoaded = kTrue;
    config.ConfigChanged = kTrue;
    config.PortIndex = 7;
    prompts.Answers = {MessageAnswer::Yes};
    dialogs.Answers = {other};
    switch (GetParam()) {
    case AskingCommand::New:
        files.FileNew();
        break;
    case AskingCommand::Open:
        files.FileLoad();
        break;
    case AskingCommand::Recent:
        files.OpenRecentFile(0);
        break;
    }
    ASSERT_EQ(prompts.Messages.size(), 2u);
    EXPECT_EQ(prompts.Messages[1].Text, "File I/O Error");
    EXPECT_EQ(config.PromptCancelled, kTrue);
    EXPECT_TRUE(dialogs.Requests.empty());
    EXPECT_EQ(config.PortIndex, 7);
    EXPECT_EQ(config.ConfigChanged, kTrue);
    EXPECT_EQ(config.ConfigFileName, dir.file("no-such-folder/lab.QV3"));
    EXPECT_EQ(listener.Resets, 0);
}

INSTANTIATE_TEST_SUITE_P(Commands, FailedSaveInThePrompt,
                         testing::Values(AskingCommand::New, AskingCommand::Open, AskingCommand::Recent));

TEST_F(ConfigFilesTest, SaveReplacesTheFileSoItsOldContentsStayWholeUntilTheNewOnesAre) {
    config.ConfigFileName = savedSample("lab.QV3", 3);
    const std::string before = readFile(config.ConfigFileName);
    std::ifstream reader(config.ConfigFileName, std::ios::binary); // opened before the save
    config.PortIndex = 8;
    config.FieldPostamble[1] = std::string(100000, 'x');
    config.ConfigChanged = kTrue;
    files.FileSave();
    EXPECT_EQ(config.ConfigChanged, kFalse);
    EXPECT_EQ(readFile(config.ConfigFileName), EncodeConfigFile(config));
    const std::string seenByTheOldReader{std::istreambuf_iterator<char>(reader), {}};
    EXPECT_EQ(seenByTheOldReader, before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1); // no temporary left
}

// Files that validation refuses without reading them whole, and whether the user is told.
struct Unloadable {
    const char* Name;
    std::function<std::string(const test::TempDir&)> Make;
    bool Reported;
};

class UnloadableFile : public ConfigFilesTest, public testing::WithParamInterface<Unloadable> {};

TEST_P(UnloadableFile, IsRefusedWithoutWaitingOrReadingItWhole) {
    const std::string path = GetParam().Make(dir);
    config.ConfigFileName = path;
    config.PortIndex = 5;
    files.LoadConfiguration();
    EXPECT_EQ(config.PortIndex, 0);
    EXPECT_TRUE(config.ConfigFileName.empty());
    EXPECT_EQ(config.ConfigLoaded, kFalse);
    EXPECT_FALSE(files.lastProblem().empty());
    if (GetParam().Reported) {
        ASSERT_EQ(prompts.Messages.size(), 1u);
        EXPECT_EQ(prompts.Messages[0].Text,
                  InvalidConfigFileMessage(path) +
                      "\rA configuration file is well under 1 MB; this file is larger.");
    } else {
        EXPECT_TRUE(prompts.Messages.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, UnloadableFile,
    testing::Values(Unloadable{"Empty",
                               [](const test::TempDir& d) {
                                   std::ofstream(d.file("empty.QV3"));
                                   return d.file("empty.QV3");
                               },
                               false},
                    Unloadable{"Fifo",
                               [](const test::TempDir& d) {
                                   EXPECT_EQ(mkfifo(d.file("fifo.QV3").c_str(), 0600), 0);
                                   return d.file("fifo.QV3");
                               },
                               false},
                    Unloadable{"Device", [](const test::TempDir&) { return std::string("/dev/zero"); },
                               false},
                    Unloadable{"OverTheSizeCap",
                               [](const test::TempDir& d) {
                                   const std::string path = d.file("huge.QV3");
                                   std::ofstream(path, std::ios::binary)
                                       << EncodeConfigFile(test::resetConfiguration());
                                   std::filesystem::resize_file(path, kMaxConfigFileBytes + 1);
                                   return path;
                               },
                               true}),
    [](const testing::TestParamInfo<Unloadable>& p) { return std::string(p.param.Name); });

TEST_F(ConfigFilesTest, NoteOfAnOldFileIsShownInUtf8AndAPathAsItsBytes) {
    const std::string path = dir.file("W\xC3\xA4ge.QV1"); // a UTF-8 file name
    writeFile(path, test::make1_1File(test::resetConfiguration(), "F\xFCr Waage \x80"));
    config.ConfigFileName = path;
    files.LoadConfiguration();
    ASSERT_EQ(prompts.Messages.size(), 2u);
    EXPECT_EQ(prompts.Messages[0].Text, "F\xC3\xBCr Waage \xE2\x82\xAC");

    config.ConfigChanged = kTrue;
    prompts.Answers = {MessageAnswer::No};
    files.PromptSaveChanges();
    EXPECT_EQ(prompts.Messages[2].Text, "File " + path + " has changed. Save?");
}

} // namespace
} // namespace quorvane
