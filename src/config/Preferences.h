#pragma once
// What the Preferences dialog shows and stores; the dialog class only mirrors this form.

#include <optional>
#include <string>

#include "config/Configuration.h"

namespace quorvane {

/// The state of the Preferences dialog's controls.
struct PreferencesForm {
    bool Option2 = false; ///< "Specify Topic:" selected (else "Use Com Port Name As DDE Topic")
    std::string Text1;    ///< the topic text box
    bool Check1 = false;  ///< Beep on Input
    bool Check2 = false;  ///< Minimize on Activation
    bool Check3 = false;  ///< Activate Initially Suspended
    bool Check4 = false;  ///< Display Hoxel Window Always on Top
    bool Check5 = false;  ///< Display DTR Toggle Button
    bool Check6 = false;  ///< Display BREAK Button
    bool Check7 = false;  ///< Display Date/Time
    std::string Text2;    ///< Date/Time format

    /// Text1 is enabled exactly when Option2 is selected.
    bool text1Enabled() const { return Option2; }
    /// Text2 is enabled exactly when Check7 is checked.
    bool text2Enabled() const { return Check7; }
};

/// The form as the dialog opens on `settings`.
PreferencesForm LoadPreferences(const Settings& settings);

/// "&OK": stores the form and sets ConfigChanged, or returns the refusal message (nothing changed).
std::optional<std::string> ApplyPreferences(const PreferencesForm& form, Configuration& config);

inline constexpr std::string_view kInvalidDdeTopicTitle = "Invalid DDE Topic";

} // namespace quorvane
