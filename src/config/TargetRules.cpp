#include "config/TargetRules.h"

#include "config/ConfigLimits.h"
#include "config/RecordRules.h"

namespace quorvane {

TargetApplicationForm LoadTargetApplication(const Settings& settings) {
    return {settings.TargetAppTitle, settings.TargetAppCommand, std::to_string(settings.KeystrokeDelay)};
}

std::int32_t KeystrokeDelayValue(std::string_view text) {
    // LeadingNumber saturates at 1e9, inside the int32 setting.
    return static_cast<std::int32_t>(LeadingNumber(text));
}

void StoreTargetApplication(Configuration& config, const TargetApplicationForm& form) {
    // Compared as stored, so blanks typed around an unchanged text mark nothing as changed.
    std::string title = TrimBlanks(form.Title);
    std::string command = TrimBlanks(form.Command);
    const std::int32_t delay = KeystrokeDelayValue(form.Delay);
    const Flag activate = DerivedActivateTargetApp(title, command);
    if (title != config.TargetAppTitle || command != config.TargetAppCommand ||
        delay != config.KeystrokeDelay || activate != config.ActivateTargetApp)
        config.ConfigChanged = kTrue;
    config.TargetAppTitle = std::move(title);
    config.TargetAppCommand = std::move(command);
    config.KeystrokeDelay = delay;
    config.ActivateTargetApp = activate;
}

std::string CommandLineForProgram(std::string_view path) {
    constexpr std::string_view kPlain =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789/._-+,:@%";
    if (!path.empty() && path.find_first_not_of(kPlain) == std::string_view::npos)
        return std::string(path);
    // Inside single quotes only a single quote needs escaping: close, escaped quote, reopen.
    std::string quoted = "'";
    for (char c : path) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

DdeCommandForm LoadDdeCommand(const Settings& settings) {
    return {settings.DdeCommandApp, settings.DdeCommandTopic, settings.DdeCommand};
}

void StoreDdeCommand(Configuration& config, const DdeCommandForm& form) {
    if (form.App != config.DdeCommandApp || form.Topic != config.DdeCommandTopic ||
        form.Command != config.DdeCommand)
        config.ConfigChanged = kTrue;
    config.DdeCommandApp = form.App;
    config.DdeCommandTopic = form.Topic;
    config.DdeCommand = form.Command;
}

} // namespace quorvane
