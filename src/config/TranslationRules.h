#pragma once
// What the translation table window shows and stores: which table an opening edits, the rows'
// texts, a picked translation, and Reset All.

#include <string>

#include "config/Configuration.h"

namespace quorvane {

/// The table kind the translation window edits.
enum class TranslationKind {
    Keystroke = 0, ///< KeystrokeTranslation: one keystroke macro per byte
    Character = 1, ///< DdeTranslation in DDE server mode, LogTranslation otherwise
    PreInput = 2,  ///< PreInputTranslation: a character, "Ignore" or "Void Record"
};

/// Which table the window edits and its caption.
struct TranslationOpening {
    TranslationKind Kind = TranslationKind::Keystroke;
    std::string Caption;
};

/// The pre-transfer table of an output mode: keystrokes in mode 0, the DDE table in mode 1, the log
/// table in any other mode.
TranslationOpening TransferTranslationOpening(std::int16_t outputMode);
/// The pre-input table.
TranslationOpening PreInputTranslationOpening();

/// The rows the ASCII chart puts above its characters while the pre-input window is open.
inline constexpr const char* kIgnoreRow = " Ignore";
inline constexpr const char* kVoidRecordRow = " Void Record";

/// The start of row `code`: value, character (NUL, TAB and SPACE by name) and control name, each
/// followed by a tab; the translation column comes next.
std::string TranslationRowPrefix(int code);
/// The translation column of row `code`: the keystroke text; "ASCII" and the translated code with a
/// leading blank for a character; "Ignore" and "Void Record" as themselves.
std::string TranslationColumn(const Settings& settings, TranslationKind kind, int code);
/// The whole row.
std::string TranslationRow(const Settings& settings, TranslationKind kind, int code);

/// Stores a picker's result as the translation of byte `code` (an empty result is a cancel). The
/// character table is chosen by the output mode; a pre-input extra row is stored without its blank.
/// ConfigChanged when the entry changes.
void StoreTranslation(Configuration& config, TranslationKind kind, int code, const std::string& picked);

/// Reset All: rebuilds the table of `kind` (the character table by output mode) and sets ConfigChanged.
void ResetTranslationTable(Configuration& config, TranslationKind kind);

} // namespace quorvane
