#pragma once
// The character entry box's editing rules over a byte string, its display form, and the names of
// the control characters that the character lists show.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

/// The byte that stands for a NUL on screen.
inline constexpr char kNulShownAs = static_cast<char>(255);

/// `bytes` as an entry box shows them: every NUL as the character of code 255.
std::string EntryDisplayForm(std::string_view bytes);

/// Name of a control character 0..31 ("NUL" .. "US"); empty for any other code.
std::string_view ControlCharName(int code);

/// The stored text of an entry box and the box's selection (start and length in characters).
struct EntryState {
    std::string Text;
    std::size_t Start = 0;
    std::size_t Length = 0;
    bool operator==(const EntryState&) const = default;
};

/// A key as the entry box's rules know it.
enum class EntryKey {
    Character, ///< a typed character, any code
    Backspace,
    Enter,
    Delete,
    CtrlDelete,
    ShiftDelete,
    Copy,          ///< Ctrl+C or Ctrl+Insert
    Cut,           ///< Ctrl+X: copy, then remove the selection
    SystemPaste,   ///< Shift+Insert
    InternalPaste, ///< Ctrl+V
    AltBackspace,
};

/// One key press with what it may need: the typed byte, and the texts of both clipboards.
struct EntryKeyPress {
    EntryKey Key = EntryKey::Character;
    char Byte = 0;
    /// The internal clipboard, shared by every entry box of the process.
    std::string_view InternalClipboard;
    /// The system clipboard's text, when it holds text.
    std::optional<std::string> SystemClipboard;
};

/// What a key press does: the new state, and text that goes to the clipboards.
struct EntryEdit {
    EntryState State;
    /// Put on the system clipboard and into the internal one.
    std::optional<std::string> CopyToBoth;
    /// Put into the internal clipboard only.
    std::optional<std::string> CopyToInternal;
};

/// Applies one key press to the stored text at the selection. After an edit the selection is empty
/// and the caret stands after what was inserted, or where text was removed.
EntryEdit EditEntry(const EntryState& state, const EntryKeyPress& press);

/// Rows of a character list (the ASCII chart, the delimiter list): the decimal value, a tab, the
/// character, and the control name of codes 1..31; NUL and TAB by name. `delimiterList` also names
/// code 0's control name, the blank and the comma, as the delimiter list does.
std::string CharacterRow(int code, bool delimiterList);

/// The ASCII chart's result for a selected row, when `extraRows` stand above its 256 characters: an
/// extra row gives its text, any other row the character of (row - extra rows). Empty when none.
std::string AsciiChartPick(const std::vector<std::string>& extraRows, int row);

/// The stored text with `inserted` in place of the selection; the caret after it.
EntryState ReplaceSelection(const EntryState& state, std::string_view inserted);

} // namespace quorvane
