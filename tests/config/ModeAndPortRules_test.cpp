// The rules the target application, DDE command and port dialogs store by: trimming, the derived
// ActivateTargetApp, the delay's value, what marks the configuration as changed, quoting a chosen
// program, the buffer size limits and the order in which the port dialog's OK stores and stops. The
// dialogs that call them are covered by the setup port dialog tests.

#include <gtest/gtest.h>

#include "config/PortRules.h"
#include "config/TargetRules.h"

namespace quorvane {
namespace {

Configuration fresh() {
    Configuration c;
    ResetConfiguration(c);
    return c;
}

struct TargetCase {
    const char* Name;
    const char* TitleBefore;
    Flag ActivateBefore;
    TargetApplicationForm Typed;
    const char* Title;
    const char* Command;
    std::int32_t Delay;
    Flag Activate;
    bool Changed;
};

class TargetApplicationStore : public testing::TestWithParam<TargetCase> {};

TEST_P(TargetApplicationStore, TrimsTextsDerivesActivationAndMarksOnlyRealChanges) {
    const TargetCase& c = GetParam();
    Configuration config = fresh();
    config.TargetAppTitle = c.TitleBefore;
    config.ActivateTargetApp = c.ActivateBefore;
    StoreTargetApplication(config, c.Typed);
    EXPECT_EQ(config.TargetAppTitle, c.Title);
    EXPECT_EQ(config.TargetAppCommand, c.Command);
    EXPECT_EQ(config.KeystrokeDelay, c.Delay);
    EXPECT_EQ(config.ActivateTargetApp, c.Activate);
    EXPECT_EQ(isSet(config.ConfigChanged), c.Changed);
}

constexpr std::int32_t kMaxDelay = 1'000'000'000;

INSTANTIATE_TEST_SUITE_P(
    Forms, TargetApplicationStore,
    testing::Values(
        TargetCase{"TitleTrimmed", "", kTrue, {"  Calc  ", "", "1"}, "Calc", "", 1, kTrue, true},
        TargetCase{"CommandTrimmed", "", kTrue, {"", " gedit ", "1"}, "", "gedit", 1, kTrue, true},
        TargetCase{
            "BlanksAroundAnUnchangedTitle", "Calc", kTrue, {" Calc ", "", "1"}, "Calc", "", 1, kTrue, false},
        TargetCase{"BothEmptyClearsActivation", "Calc", kTrue, {"", "", "1"}, "", "", 1, kFalse, true},
        TargetCase{"BlankTextsAreEmpty", "", kTrue, {"   ", " ", "1"}, "", "", 1, kFalse, true},
        TargetCase{"BothEmptyAlreadyCleared", "", kFalse, {"", "", "1"}, "", "", 1, kFalse, false},
        TargetCase{"DelayValue", "", kFalse, {"", "", "0250"}, "", "", 250, kFalse, true},
        TargetCase{"EmptyDelayIsZero", "", kFalse, {"", "", ""}, "", "", 0, kFalse, true},
        TargetCase{
            "HugeDelaySaturates", "", kFalse, {"", "", "99999999999"}, "", "", kMaxDelay, kFalse, true}),
    [](const auto& param) { return std::string(param.param.Name); });

struct QuoteCase {
    const char* Path;
    const char* CommandLine;
};

class ChosenProgram : public testing::TestWithParam<QuoteCase> {};

TEST_P(ChosenProgram, IsQuotedOnlyWhenShellSplittingWouldCutIt) {
    EXPECT_EQ(CommandLineForProgram(GetParam().Path), GetParam().CommandLine);
}

INSTANTIATE_TEST_SUITE_P(Paths, ChosenProgram,
                         testing::Values(QuoteCase{"/usr/bin/gnumeric", "/usr/bin/gnumeric"},
                                         QuoteCase{"/opt/My App/run", "'/opt/My App/run'"},
                                         QuoteCase{"/opt/it's/run", "'/opt/it'\\''s/run'"},
                                         QuoteCase{"/opt/$HOME/run", "'/opt/$HOME/run'"}));

TEST(DdeCommandStore, StoresTextsAsTypedAndMarksAChangeOnlyWhenOneDiffers) {
    for (const Flag before : {kFalse, kTrue}) {
        Configuration config = fresh();
        config.ConfigChanged = before;
        StoreDdeCommand(config, LoadDdeCommand(config));
        EXPECT_EQ(config.ConfigChanged, before) << "unchanged";
    }
    const DdeCommandForm typed[] = {
        {"Calc ", "System", ""}, {"Excel", " Sheet1", ""}, {"Excel", "System", "[x]"}};
    for (const DdeCommandForm& form : typed) {
        Configuration config = fresh();
        config.ConfigChanged = kFalse;
        StoreDdeCommand(config, form);
        EXPECT_TRUE(isSet(config.ConfigChanged)) << form.App << form.Topic << form.Command;
        EXPECT_EQ(LoadDdeCommand(config).App, form.App);
        EXPECT_EQ(LoadDdeCommand(config).Topic, form.Topic);
        EXPECT_EQ(LoadDdeCommand(config).Command, form.Command);
    }
}

struct BufferCase {
    const char* Input;
    const char* Output;
    std::optional<RefusedBufferSize> Refused;
    std::int32_t InputStored;
    std::int32_t OutputStored;
    bool Changed;
};

class PortDialogOk : public testing::TestWithParam<BufferCase> {};

TEST_P(PortDialogOk, StoresTheInputSizeThenTheOutputSizeThenTheLine) {
    const BufferCase& c = GetParam();
    Configuration config = fresh();
    config.ConfigChanged = kFalse;
    PortForm form = LoadPortSettings(config);
    form.InputBufferSize = c.Input;
    form.OutputBufferSize = c.Output;
    form.PortIndex = 254;
    form.BaudIndex = 11;
    form.ParityIndex = 0;
    form.DataBitsIndex = 3;
    form.StopBitsIndex = 2;
    form.FlowControl = 1;
    EXPECT_EQ(StorePortSettings(config, form), c.Refused);
    EXPECT_EQ(config.InputBufferSize, c.InputStored);
    EXPECT_EQ(config.OutputBufferSize, c.OutputStored);
    EXPECT_EQ(isSet(config.ConfigChanged), c.Changed);
    const bool lineStored = !c.Refused.has_value();
    EXPECT_EQ(config.PortIndex == 254 && config.BaudIndex == 11 && config.ParityIndex == 0 &&
                  config.DataBitsIndex == 3 && config.StopBitsIndex == 2 && config.FlowControl == 1,
              lineStored);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, PortDialogOk,
    testing::Values(BufferCase{"128", "131072", std::nullopt, 128, 131072, true},
                    BufferCase{"127", "512", RefusedBufferSize::Input, 1024, 512, false},
                    BufferCase{"", "512", RefusedBufferSize::Input, 1024, 512, false},
                    BufferCase{"131073", "512", RefusedBufferSize::Input, 1024, 512, false},
                    BufferCase{"2048", "127", RefusedBufferSize::Output, 2048, 512, true},
                    BufferCase{"1024", "131073", RefusedBufferSize::Output, 1024, 512, false}));

TEST(PortDialogOk, UnchangedSettingsLeaveTheConfigurationUnchanged) {
    Configuration config = fresh();
    config.ConfigChanged = kFalse;
    EXPECT_EQ(StorePortSettings(config, LoadPortSettings(config)), std::nullopt);
    EXPECT_FALSE(isSet(config.ConfigChanged));
    EXPECT_EQ(config, fresh());
}

TEST(BufferSizeTyping, RefusesATextWhoseValueExceedsTheLargestSize) {
    const std::pair<const char*, bool> cases[] = {{"", false},       {"13107", false}, {"131072", false},
                                                  {"131073", true},  {"999999", true}, {"0131072", false},
                                                  {"00131073", true}};
    for (auto [text, tooLarge] : cases)
        EXPECT_EQ(BufferSizeTooLarge(text), tooLarge) << text;
}

} // namespace
} // namespace quorvane
