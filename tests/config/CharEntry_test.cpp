// The character entry box's editing rules as a function of stored text, selection and key, with
// both clipboards; the display form; the rows of the character lists and the ASCII chart's pick.
// The widget that routes keys to these rules is covered by the setup widget tests.

#include <gtest/gtest.h>

#include "config/CharEntry.h"

namespace quorvane {
namespace {

using namespace std::string_literals;
using namespace std::string_view_literals;

struct EditCase {
    const char* Name;
    EntryState Before;
    EntryKeyPress Press;
    EntryState After;
    std::optional<std::string> Both = std::nullopt;
    std::optional<std::string> Internal = std::nullopt;
};

EntryKeyPress key(EntryKey k, char byte = 0) {
    EntryKeyPress p;
    p.Key = k;
    p.Byte = byte;
    return p;
}

class EntryEditing : public testing::TestWithParam<EditCase> {};

TEST_P(EntryEditing, ChangesTheStoredTextAndClipboardsAsTheKeySays) {
    const EditCase& c = GetParam();
    const EntryEdit edit = EditEntry(c.Before, c.Press);
    EXPECT_EQ(edit.State, c.After);
    EXPECT_EQ(edit.CopyToBoth, c.Both);
    EXPECT_EQ(edit.CopyToInternal, c.Internal);
}

EntryKeyPress internalPaste(std::string_view clip) {
    EntryKeyPress p = key(EntryKey::InternalPaste);
    p.InternalClipboard = clip;
    return p;
}
EntryKeyPress systemPaste(std::optional<std::string> text) {
    EntryKeyPress p = key(EntryKey::SystemPaste);
    p.SystemClipboard = std::move(text);
    return p;
}

INSTANTIATE_TEST_SUITE_P(
    Keys, EntryEditing,
    testing::Values(
        EditCase{"PrintableReplacesSelection", {"abcd", 1, 2}, key(EntryKey::Character, 'X'), {"aXd", 2, 0}},
        EditCase{"HighCharacterIsPrintable", {"", 0, 0}, key(EntryKey::Character, '\xE9'), {"\xE9", 1, 0}},
        EditCase{"ControlCharacterIsDiscarded", {"ab", 1, 1}, key(EntryKey::Character, '\x01'), {"ab", 1, 1}},
        EditCase{"BackspaceRemovesSelection", {"abcd", 1, 2}, key(EntryKey::Backspace), {"ad", 1, 0}},
        EditCase{"BackspaceRemovesCharBeforeCaret", {"a\0c"s, 2, 0}, key(EntryKey::Backspace), {"ac", 1, 0}},
        EditCase{"BackspaceAtStartDoesNothing", {"ab", 0, 0}, key(EntryKey::Backspace), {"ab", 0, 0}},
        EditCase{"EnterInsertsCrLf", {"ab", 1, 1}, key(EntryKey::Enter), {"a\r\n", 3, 0}},
        EditCase{"DeleteRemovesCharAtCaret", {"abc", 1, 0}, key(EntryKey::Delete), {"ac", 1, 0}},
        EditCase{"DeleteAtEndDoesNothing", {"abc", 3, 0}, key(EntryKey::Delete), {"abc", 3, 0}},
        EditCase{"DeleteRemovesSelection", {"abc", 0, 2}, key(EntryKey::Delete), {"c", 0, 0}},
        EditCase{"CtrlDeleteRemovesToTheEnd", {"abcd", 1, 0}, key(EntryKey::CtrlDelete), {"a", 1, 0}},
        EditCase{
            "CtrlDeleteWithSelectionDoesNothing", {"abcd", 1, 1}, key(EntryKey::CtrlDelete), {"abcd", 1, 1}},
        EditCase{"ShiftDeleteCutsIntoInternalOnly",
                 {"a\0\x1b"s + "d", 1, 2},
                 key(EntryKey::ShiftDelete),
                 {"ad", 1, 0},
                 std::nullopt,
                 "\0\x1b"s},
        EditCase{"ShiftDeleteWithoutSelectionIsBackspace",
                 {"abc", 2, 0},
                 key(EntryKey::ShiftDelete),
                 {"ac", 1, 0}},
        EditCase{"CopyKeepsTextAndFillsBothClipboards",
                 {"x\0\ry"s, 1, 2},
                 key(EntryKey::Copy),
                 {"x\0\ry"s, 1, 2},
                 "\0\r"s},
        EditCase{"InternalPasteKeepsNulAndControls",
                 {"ab", 1, 0},
                 internalPaste("\0\x02"sv),
                 {"a\0\x02"s + "b", 3, 0}},
        EditCase{"SystemPasteReplacesSelection", {"abc", 0, 1}, systemPaste("XY"), {"XYbc", 2, 0}},
        EditCase{
            "SystemPasteWithoutTextDoesNothing", {"abc", 0, 1}, systemPaste(std::nullopt), {"abc", 0, 1}},
        EditCase{"AltBackspaceDoesNothing", {"abc", 2, 0}, key(EntryKey::AltBackspace), {"abc", 2, 0}},
        EditCase{"StaleSelectionIsCutBack", {"ab", 5, 3}, key(EntryKey::Character, 'c'), {"abc", 3, 0}}),
    [](const auto& p) { return std::string(p.param.Name); });

TEST(EntryDisplay, ShowsNulAsCode255AndEverythingElseAsItIs) {
    EXPECT_EQ(EntryDisplayForm("\0a\r\n\x1b"s), "\xFF"s + "a\r\n\x1b");
    // A picked NUL in an empty box: one NUL stored, one code 255 shown.
    const EntryState s = ReplaceSelection({}, "\0"s);
    EXPECT_EQ(s.Text, "\0"s);
    EXPECT_EQ(EntryDisplayForm(s.Text), "\xFF");
}

TEST(CharacterRows, NameControlsAndTheDelimiterListsBlankAndComma) {
    EXPECT_EQ(CharacterRow(0, false), "0\tNUL");
    EXPECT_EQ(CharacterRow(9, false), "9\tTAB\tHT");
    EXPECT_EQ(CharacterRow(27, false), "27\t\x1b\tESC");
    EXPECT_EQ(CharacterRow(65, false), "65\tA");
    EXPECT_EQ(CharacterRow(0, true), "0\tNUL\tNUL");
    EXPECT_EQ(CharacterRow(32, true), "32\tSPACE");
    EXPECT_EQ(CharacterRow(44, true), "44\t,\tCOMMA");
    EXPECT_EQ(CharacterRow(31, true), "31\t\x1f\tUS");
}

TEST(AsciiChartPick, ExtraRowsGiveTheirTextAndShiftTheCharacters) {
    const std::vector<std::string> extra = {" Ignore", " Void Record"};
    EXPECT_EQ(AsciiChartPick({}, 65), "A");
    EXPECT_EQ(AsciiChartPick({}, 0), "\0"s);
    EXPECT_EQ(AsciiChartPick(extra, 1), " Void Record");
    EXPECT_EQ(AsciiChartPick(extra, 2), "\0"s);
    EXPECT_EQ(AsciiChartPick(extra, 257), "\xFF");
    EXPECT_EQ(AsciiChartPick(extra, 258), "");
}

} // namespace
} // namespace quorvane
