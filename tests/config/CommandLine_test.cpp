// Parsing the program's arguments, and the start-up load of the file they name.

#include <gtest/gtest.h>

#include "config/CommandLine.h"
#include "config/ConfigTestSupport.h"
#include "fakes/FakeFileDialogs.h"
#include "fakes/FakePrompts.h"
#include "fakes/FakeSettingsStore.h"
#include "fakes/TempDir.h"
#include "platform/posix/PosixConfigFileAccess.h"

namespace quorvane {
namespace {

using Action = CommandLine::Action;

CommandLine parsed(std::vector<std::string> args) {
    auto result = ParseCommandLine(args);
    EXPECT_TRUE(std::holds_alternative<CommandLine>(result)) << std::get<std::string>(result);
    return std::holds_alternative<CommandLine>(result) ? std::get<CommandLine>(result) : CommandLine{};
}

TEST(ParseCommandLine, RecognisesEveryForm) {
    EXPECT_EQ(parsed({}).Kind, Action::Setup);
    EXPECT_EQ(parsed({"Lab.QV3"}).Kind, Action::Activate);
    EXPECT_EQ(parsed({"Lab.QV3"}).File, "Lab.QV3");
    const CommandLine headless = parsed({"--headless", "a.QV3", "--device", "/dev/pts/3"});
    EXPECT_EQ(headless.Kind, Action::Headless);
    EXPECT_EQ(headless.File, "a.QV3");
    EXPECT_EQ(headless.Device, "/dev/pts/3");
    EXPECT_FALSE(headless.TraceDde);
    EXPECT_TRUE(parsed({"--headless", "a.QV3", "--trace-dde"}).TraceDde);
    EXPECT_FALSE(headless.Quiet);
    EXPECT_TRUE(parsed({"--headless", "a.QV3", "--quiet"}).Quiet);
    EXPECT_EQ(headless.Keystrokes, std::nullopt);
    EXPECT_EQ(parsed({"--headless", "a.QV3", "--keystrokes", "uinput"}).Keystrokes,
              KeystrokeBackendKind::Uinput);
    EXPECT_EQ(parsed({"--keystrokes", "Wayland", "a.QV3"}).Keystrokes, KeystrokeBackendKind::Wayland);
    EXPECT_EQ(parsed({"--dump", "a.QV3"}).Kind, Action::Dump);
    const CommandLine convert = parsed({"--convert", "old.QV1", "new.QV3"});
    EXPECT_EQ(convert.Kind, Action::Convert);
    EXPECT_EQ(convert.Output, "new.QV3");
    EXPECT_EQ(parsed({"--help"}).Kind, Action::Help);
    EXPECT_EQ(parsed({"--dump", "x", "--version"}).Kind, Action::Version);
    EXPECT_EQ(parsed({"--", "-odd name.QV3"}).File, "-odd name.QV3");
    const CommandLine setup = parsed({"--device", "/dev/pts/3"});
    EXPECT_EQ(setup.Kind, Action::Setup);
    EXPECT_EQ(setup.Device, "/dev/pts/3");
}

TEST(ParseCommandLine, RefusesWhatItCannotDo) {
    for (const auto& args : std::vector<std::vector<std::string>>{{"--dump"},
                                                                  {"--convert", "in"},
                                                                  {"--headless"},
                                                                  {"--device"},
                                                                  {"--frobnicate"},
                                                                  {"a.QV3", "b.QV3"},
                                                                  {"--dump", "a", "--convert", "b", "c"},
                                                                  {"--dump", "a", "--device", "/dev/x"},
                                                                  {"--dump", "a", "--trace-dde"},
                                                                  {"a.QV3", "--quiet"},
                                                                  {"a.QV3", "--keystrokes"},
                                                                  {"a.QV3", "--keystrokes", "xtest"},
                                                                  {"--keystrokes", "x11"},
                                                                  {"--dump", "a", "--keystrokes", "x11"}}) {
        EXPECT_TRUE(std::holds_alternative<std::string>(ParseCommandLine(args))) << args[0];
    }
}

class ReadCommandLineTest : public testing::Test {
protected:
    ReadCommandLineTest() { ResetConfiguration(config); }
    test::TempDir dir;
    Configuration config;
    test::FakePrompts prompts;
    test::FakeFileDialogs dialogs;
    test::FakeSettingsStore store;
    RecentFiles recent{store};
    PosixConfigFileAccess access;
    ConfigFiles files{config, access, prompts, dialogs, recent};
};

TEST_F(ReadCommandLineTest, LoadsTheNamedFileTrimmedWithItsCaseKept) {
    Settings s = test::resetConfiguration();
    s.PortIndex = 2;
    const std::string path = dir.file("Mixed Case.QV3");
    ASSERT_TRUE(WriteWholeFile(path, EncodeConfigFile(s)));
    EXPECT_TRUE(ReadCommandLine("  " + path + "  ", config, files));
    EXPECT_EQ(config.ConfigFileName, path);
    EXPECT_EQ(config.ConfigLoaded, kTrue);
    EXPECT_EQ(config.PortIndex, 2);
}

TEST_F(ReadCommandLineTest, QuotesStayPartOfThePathSoTheFileIsNotFound) {
    const std::string path = dir.file("lab.QV3");
    ASSERT_TRUE(WriteWholeFile(path, EncodeConfigFile(test::resetConfiguration())));
    EXPECT_TRUE(ReadCommandLine("\"" + path + "\"", config, files));
    EXPECT_EQ(config.ConfigLoaded, kFalse); // the caller ends the program
    EXPECT_TRUE(prompts.Messages.empty());
}

TEST_F(ReadCommandLineTest, NoFileResetsToDefaults) {
    config.PortIndex = 6;
    EXPECT_FALSE(ReadCommandLine("   ", config, files));
    EXPECT_EQ(config.PortIndex, 0);
    EXPECT_EQ(config.ConfigLoaded, kFalse);
}

} // namespace
} // namespace quorvane
