// The rules the translation window, the output string editor and the hot key dialog store by: which
// table an opening edits, the rows' texts, picked translations and Reset All, the timed output, the
// captions and the hot keys' working copy. The dialogs that call them are covered offscreen in
// tests/setup/TableDialogs_test.cpp.

#include <gtest/gtest.h>

#include "config/SerialOutputRules.h"
#include "config/TranslationRules.h"

namespace quorvane {
namespace {

Configuration fresh(std::int16_t outputMode = 0) {
    Configuration c;
    ResetConfiguration(c);
    c.OutputMode = outputMode;
    return c;
}

std::string endOfRow(const Settings& s, TranslationKind kind, int code) {
    const std::string row = TranslationRow(s, kind, code);
    return row.substr(row.rfind('\t') + 1);
}

TEST(TranslationOpenings, ChooseKindAndCaptionByOutputMode) {
    const std::tuple<std::int16_t, TranslationKind, const char*> cases[] = {
        {0, TranslationKind::Keystroke, "Translation Table - Keystroke Mode"},
        {1, TranslationKind::Character, "Translation Table - DDE Server Mode"},
        {2, TranslationKind::Character, "Translation Table - Log To Disk Mode"},
        {7, TranslationKind::Character, "Translation Table - Log To Disk Mode"},
    };
    for (auto [mode, kind, caption] : cases) {
        const TranslationOpening opening = TransferTranslationOpening(mode);
        EXPECT_EQ(opening.Kind, kind) << mode;
        EXPECT_EQ(opening.Caption, caption) << mode;
    }
    EXPECT_EQ(PreInputTranslationOpening().Caption, "Pre-Input Character Translations");
}

TEST(TranslationRows, StartWithValueCharacterAndControlNameThenTheTranslation) {
    Configuration c = fresh(1);
    c.PreInputTranslation[7] = "Ignore";
    c.PreInputTranslation[8] = "A";
    const std::tuple<TranslationKind, int, std::string> cases[] = {
        {TranslationKind::Character, 13, "13\t\r\tCR\tASCII 0"},
        {TranslationKind::Character, 0, "0\tNUL\tNUL\tASCII 0"},
        {TranslationKind::Character, 65, "65\tA\t\tASCII 65"},
        {TranslationKind::Keystroke, 9, "9\tTAB\tHT\t{TAB}"},
        {TranslationKind::Keystroke, 32, "32\tSPACE\t\t "},
        {TranslationKind::PreInput, 7, "7\t\a\tBEL\tIgnore"},
        {TranslationKind::PreInput, 8, "8\t\b\tBS\tASCII 65"},
        {TranslationKind::PreInput, 255, "255\t\xff\t\tASCII 255"},
    };
    for (const auto& [kind, code, row] : cases)
        EXPECT_EQ(TranslationRow(c, kind, code), row) << code;
}

TEST(TranslationStore, WritesThePickedEntryOfTheTableInUse) {
    struct Case {
        std::int16_t Mode;
        TranslationKind Kind;
        int Code;
        std::string Picked;
        std::string Row;
    };
    const Case cases[] = {
        {0, TranslationKind::Keystroke, 13, "^{F1}", "^{F1}"},
        {1, TranslationKind::Character, 65, "B", "ASCII 66"},
        {2, TranslationKind::Character, 65, std::string(1, '\0'), "ASCII 0"},
        {2, TranslationKind::PreInput, 3, kVoidRecordRow, "Void Record"},
        {2, TranslationKind::PreInput, 4, kIgnoreRow, "Ignore"},
        {2, TranslationKind::PreInput, 5, " ", "ASCII 32"},
    };
    for (const Case& k : cases) {
        Configuration c = fresh(k.Mode);
        StoreTranslation(c, k.Kind, k.Code, k.Picked);
        EXPECT_EQ(endOfRow(c, k.Kind, k.Code), k.Row) << k.Picked;
        EXPECT_TRUE(isSet(c.ConfigChanged)) << k.Picked;
    }
    Configuration c = fresh(2);
    StoreTranslation(c, TranslationKind::Character, 65, "B");
    EXPECT_EQ(c.DdeTranslation, DefaultDdeTranslation()) << "log mode never edits the DDE table";
    EXPECT_EQ(c.LogTranslation[65], 'B');
    StoreTranslation(c, TranslationKind::PreInput, 3, kVoidRecordRow);
    EXPECT_EQ(c.PreInputTranslation[3], "Void Record");

    Configuration same = fresh(2);
    StoreTranslation(same, TranslationKind::Character, 65, "");
    StoreTranslation(same, TranslationKind::Character, 66, "B");
    EXPECT_EQ(same, fresh(2)) << "a cancel, or the entry it already has, changes nothing";

    Configuration shortTable = fresh(1);
    shortTable.DdeTranslation = "ab";
    StoreTranslation(shortTable, TranslationKind::Character, 200, "x");
    ASSERT_EQ(shortTable.DdeTranslation.size(), 256u);
    EXPECT_EQ(shortTable.DdeTranslation.substr(0, 2), "ab");
    EXPECT_EQ(shortTable.DdeTranslation[199], static_cast<char>(199));
    EXPECT_EQ(shortTable.DdeTranslation[200], 'x');
}

TEST(TranslationReset, RebuildsOnlyTheTableInUseAndMarksTheChange) {
    Configuration c = fresh(1);
    c.DdeTranslation[13] = 'x';
    c.LogTranslation[13] = 'y';
    c.KeystrokeTranslation[13] = "z";
    c.PreInputTranslation[13] = "Ignore";
    ResetTranslationTable(c, TranslationKind::Character);
    EXPECT_EQ(endOfRow(c, TranslationKind::Character, 13), "ASCII 0");
    EXPECT_EQ(endOfRow(c, TranslationKind::Character, 65), "ASCII 65");
    EXPECT_EQ(c.LogTranslation[13], 'y');
    EXPECT_TRUE(isSet(c.ConfigChanged));
    c.OutputMode = 2;
    ResetTranslationTable(c, TranslationKind::Character);
    EXPECT_EQ(c.LogTranslation, DefaultLogTranslation());
    EXPECT_EQ(c.KeystrokeTranslation[13], "z");
    ResetTranslationTable(c, TranslationKind::Keystroke);
    EXPECT_EQ(c.KeystrokeTranslation[13], "{ENTER}");
    EXPECT_EQ(c.PreInputTranslation[13], "Ignore");
    ResetTranslationTable(c, TranslationKind::PreInput);
    EXPECT_EQ(c.PreInputTranslation, DefaultPreInputTranslation());
}

struct TimedOutputCase {
    const char* Interval;
    bool TimerOn;
    int Action;
    bool Accepted;
    std::int32_t StoredInterval;
    std::int16_t Flags;
};

class TimedOutputStore : public testing::TestWithParam<TimedOutputCase> {};

TEST_P(TimedOutputStore, StoresIntervalAndFlagsOrRefusesTheInterval) {
    const TimedOutputCase& t = GetParam();
    Configuration c = fresh();
    c.TimerInterval = 500;
    c.TimerFlags = 2;
    const Configuration before = c;
    const auto refused = StoreTimedOutput(c, t.Interval, t.TimerOn, t.Action);
    ASSERT_EQ(!refused.has_value(), t.Accepted);
    if (!t.Accepted) {
        EXPECT_EQ(*refused, "Timer interval must be less than 100000000 milliseconds.");
        EXPECT_EQ(c, before);
        return;
    }
    EXPECT_EQ(c.TimerInterval, t.StoredInterval);
    EXPECT_EQ(c.TimerFlags, t.Flags);
    EXPECT_EQ(isSet(c.ConfigChanged), c.TimerInterval != 500 || c.TimerFlags != 2);
    EXPECT_EQ(TimerActionOfFlags(c.TimerFlags), t.Action);
}

INSTANTIATE_TEST_SUITE_P(Cases, TimedOutputStore,
                         testing::Values(TimedOutputCase{"99999999", false, 0, true, 99999999, 2},
                                         TimedOutputCase{"100000000", true, 2, false, 0, 0},
                                         TimedOutputCase{"500", true, 2, true, 500, 9},
                                         TimedOutputCase{"500", false, 0, true, 500, 2},
                                         TimedOutputCase{"500", false, 1, true, 500, 4},
                                         TimedOutputCase{"", true, 0, true, 0, 3}),
                         [](const auto& param) {
                             return "Interval" +
                                    std::string(*param.param.Interval ? param.param.Interval : "Empty") +
                                    "Action" + std::to_string(param.param.Action) +
                                    (param.param.TimerOn ? "On" : "Off");
                         });

TEST(TimerActionOfFlags, PrefersToggleDtrThenBreakThenTransmit) {
    const std::pair<std::int16_t, int> cases[] = {{0, 0}, {3, 0}, {5, 1}, {9, 2}, {12, 1}, {1, 0}};
    for (auto [flags, action] : cases)
        EXPECT_EQ(TimerActionOfFlags(flags), action) << flags;
}

TEST(OutputStringNames, StoreTheCaptionAndMarkOnlyAChange) {
    Configuration c = fresh();
    c.OutputStringName[3] = "Zero";
    StoreOutputStringName(c, 3, "Zero");
    EXPECT_FALSE(isSet(c.ConfigChanged));
    StoreOutputStringName(c, 3, " Tare ");
    EXPECT_EQ(c.OutputStringName[3], " Tare ");
    EXPECT_TRUE(isSet(c.ConfigChanged));
    const Configuration before = c;
    StoreOutputStringName(c, 21, "x");
    StoreOutputStringName(c, 0, "x");
    EXPECT_EQ(c, before);
}

TEST(HotKeyActions, AreTheFourteenCaptionsWithTheirTwoBlanks) {
    const auto& names = HotKeyActionNames();
    EXPECT_EQ(names[0], "None");
    EXPECT_EQ(names[3], "Toggle DTR for 100ms");
    EXPECT_EQ(names[4], "Enable  Timer");
    EXPECT_EQ(names[12], "Enable  Quorvane");
    EXPECT_EQ(names[13], "Enable For 1 Data Record");
}

TEST(HotKeyWorkingCopy, CommitsAndMarksAChangeOfKeyActionOrString) {
    for (int field = 0; field < 4; ++field) {
        Configuration c = fresh();
        HotKeyWorkingCopy copy = LoadHotKeyWorkingCopy(c);
        if (field == 1)
            copy.Key[49] = 3 * 256 + 65;
        else if (field == 2)
            copy.Action[0] = 2;
        else if (field == 3)
            copy.String[7] = std::string("a\0b", 3);
        StoreHotKeys(c, copy);
        EXPECT_EQ(isSet(c.ConfigChanged), field != 0) << field;
        EXPECT_EQ(LoadHotKeyWorkingCopy(c).String, copy.String);
        EXPECT_EQ(c.HotKey, copy.Key);
        EXPECT_EQ(c.HotKeyAction, copy.Action);
    }
}

TEST(HotKeyTaken, FindsAnotherHotKeyOnTheSameKeyButNeverForKeyCodeZero) {
    HotKeyWorkingCopy copy;
    copy.Key[4] = 3 * 256 + 65;
    copy.Key[9] = 2 * 256; // modifiers without a key: never registered
    EXPECT_EQ(HotKeyTakenBy(copy, 0, 3 * 256 + 65), 4);
    EXPECT_EQ(HotKeyTakenBy(copy, 4, 3 * 256 + 65), std::nullopt) << "its own key";
    EXPECT_EQ(HotKeyTakenBy(copy, 0, 2 * 256 + 65), std::nullopt) << "other modifiers";
    EXPECT_EQ(HotKeyTakenBy(copy, 0, 2 * 256), std::nullopt);
    EXPECT_EQ(HotKeyTakenMessage("CTRL+SHIFT+A", 4),
              "CTRL+SHIFT+A is already hot key 5. Two hot keys on one key cannot both work; choose another "
              "key or change hot key 5 first.");
}

} // namespace
} // namespace quorvane
