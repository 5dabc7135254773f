#pragma once
// The output translation table of the active output mode.

#include "config/Configuration.h"

#include <array>
#include <string>

namespace quorvane {

/// What each character code becomes on output: keystroke macro text, or one character in DDE and
/// log modes. An entry that is the single character of code 0 means "drop this character".
class OutputTranslation {
public:
    /// The identity table (log mode with its default table).
    OutputTranslation();
    /// The table of settings.OutputMode (any mode other than 1 and 2 is keystrokes).
    static OutputTranslation ForMode(const Settings& settings);

    /// Entry for code c.
    const std::string& entry(unsigned char c) const { return m_entries[c]; }
    /// True when the entry of c is the code-0 character.
    bool drops(unsigned char c) const { return m_drops[c]; }
    /// Replaces every character of text by its entry.
    void translate(std::string& text) const;

private:
    void setEntry(unsigned char c, std::string text);

    std::array<std::string, kCharCodes> m_entries;
    std::array<bool, kCharCodes> m_drops{};
    std::array<bool, kCharCodes> m_identity{};
    int m_changed = kCharCodes; // entries that are not their own code
};

} // namespace quorvane
