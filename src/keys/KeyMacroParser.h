#pragma once
// Keystroke macro texts ("Total{TAB}+(ab)~") turned into a list of key items.

#include "platform/Keyboard.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace quorvane {

/// Virtual-key codes: 16, 17 and 18 toggle Shift, Control and Alt; any other code is one press and
/// release of that key.
using KeyItems = std::vector<std::uint16_t>;

/// The most items one macro text may produce.
inline constexpr std::size_t kMaxKeyItems = 4096;

/// The result codes of SendKeyMacro: 0 success, 1..5 parse errors.
namespace keymacro {
inline constexpr std::int16_t kOk = 0;
/// A "{" without a closing "}".
inline constexpr std::int16_t kUnclosedBrace = 1;
/// A name in braces that is not a key name.
inline constexpr std::int16_t kUnknownKeyName = 2;
/// A "(" without a closing ")".
inline constexpr std::int16_t kUnclosedGroup = 3;
/// A repeat count in braces that is 0 or not a number.
inline constexpr std::int16_t kZeroRepeatCount = 4;
/// More than kMaxKeyItems items.
inline constexpr std::int16_t kTooManyKeyItems = 5;
} // namespace keymacro

/// A parsed macro text: its items, or the parse error (and whatever items came before it).
struct ParsedKeyMacro {
    std::int16_t Error = keymacro::kOk;
    KeyItems Items;
    /// The first character of the text that shows a glyph and that no key of the layout types (it
    /// is typed as "no key", so nothing); nothing when every one has a key.
    std::optional<unsigned char> Untypeable;
};

/// Parses a whole macro text; characters are looked up in layout.
ParsedKeyMacro parseKeyMacro(std::string_view text, const KeyLayout& layout);

/// The most items a text cut into pieces may produce in all (2 MB of items).
inline constexpr std::size_t kMaxSplitKeyItems = std::size_t{1} << 20;

/// A macro text cut between top-level elements into pieces of at most kMaxKeyItems items each, or
/// the text's parse error with no pieces.
struct KeyMacroPieces {
    std::int16_t Error = keymacro::kOk;
    std::vector<std::string_view> Pieces;
    /// As ParsedKeyMacro::Untypeable, for the whole text.
    std::optional<unsigned char> Untypeable;
};

/// Parses a whole macro text and cuts it into pieces that each parse and type on their own; the
/// error is kTooManyKeyItems when one element alone, or the whole text beyond kMaxSplitKeyItems,
/// needs too many items. The pieces point into text.
KeyMacroPieces splitKeyMacro(std::string_view text, const KeyLayout& layout);

} // namespace quorvane
