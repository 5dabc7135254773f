#pragma once
// The program's command line: what to do, and loading the configuration it names.

#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "config/ConfigFiles.h"
#include "config/KeystrokeSettings.h"

#include <optional>

namespace quorvane {

/// What the command line asks for.
struct CommandLine {
    enum class Action {
        Setup,    ///< no file: the setup window
        Activate, ///< FILE: load it and activate it in Normal Mode
        Headless, ///< --headless FILE: the engine without windows
        Dump,     ///< --dump FILE: every setting as Name=value lines
        Convert,  ///< --convert IN OUT: rewrite a file in the current layout
        Help,
        Version,
    };
    Action Kind = Action::Setup;
    std::string File;
    std::string Output;
    /// --device PATH: the device used for the configured port in this run.
    std::string Device;
    /// --wait-for-device: a headless run starts without its device and waits for it.
    bool WaitForDevice = false;
    /// --trace-dde: the DDE client's diagnostic lines on standard error.
    bool TraceDde = false;
    /// --quiet: no record lines on standard output in a headless run.
    bool Quiet = false;
    /// --keystrokes NAME: the keystroke back end of this run, over the per-user setting.
    std::optional<KeystrokeBackendKind> Keystrokes;
    /// --mqtt URL: the broker records are published to, over the settings store's.
    std::string MqttUrl;
    /// --instrument NAME: the instrument's name in the topics, over the settings store's.
    std::string Instrument;
};

/// Parses the arguments after the program name; a text is the usage error to report.
std::variant<CommandLine, std::string> ParseCommandLine(const std::vector<std::string>& args);

/// The usage text printed by --help.
std::string UsageText();

/// Start-up: `fileArgument` (blanks around it removed; its case kept, as Linux paths are
/// case-sensitive) becomes ConfigFileName and is loaded, or the configuration is reset when it is
/// empty. Returns true when the program was started with a file.
bool ReadCommandLine(std::string_view fileArgument, Configuration& config, ConfigFiles& files);

} // namespace quorvane
