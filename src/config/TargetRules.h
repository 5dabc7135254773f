#pragma once
// What the target application dialog (send-keystrokes mode) and the DDE command dialog (DDE server
// mode) show and store.

#include <cstdint>
#include <string>
#include <string_view>

#include "config/Configuration.h"

namespace quorvane {

/// The boxes of the target application dialog, as typed.
struct TargetApplicationForm {
    std::string Title;   ///< AppName: title-bar text (code-page text)
    std::string Command; ///< AppCmd: command line (the operating system's bytes)
    std::string Delay;   ///< InterCharDelay: digits
};

/// The form as the dialog opens: the settings, the delay as a whole number.
TargetApplicationForm LoadTargetApplication(const Settings& settings);

/// "&OK": stores the trimmed texts and the delay's value, setting ConfigChanged when one of them (or
/// the derived ActivateTargetApp) differs from its setting; ActivateTargetApp is recomputed each time.
void StoreTargetApplication(Configuration& config, const TargetApplicationForm& form);

/// The delay a digit box holds, in milliseconds: its leading digits, at most 1000000000.
std::int32_t KeystrokeDelayValue(std::string_view text);

/// A program chosen in the file dialog as a command line: quoted when shell splitting would cut it.
std::string CommandLineForProgram(std::string_view path);

/// The boxes of the DDE command dialog, as typed.
struct DdeCommandForm {
    std::string App;
    std::string Topic;
    std::string Command;
};

/// The form as the dialog opens.
DdeCommandForm LoadDdeCommand(const Settings& settings);

/// "&OK": stores the three texts as typed; ConfigChanged only when one of them differs.
void StoreDdeCommand(Configuration& config, const DdeCommandForm& form);

} // namespace quorvane
