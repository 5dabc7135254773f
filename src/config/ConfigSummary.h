#pragma once
// The configuration at a glance: what a technician needs to see of it without opening its dialogs.

#include <cstdint>
#include <functional>
#include <string>

#include "config/Configuration.h"

namespace quorvane {

/// What the summary tells beyond the configuration itself.
struct SummaryContext {
    /// The device path the configured port stands for now; empty when not known.
    std::string DevicePath;
    /// True when DevicePath is bound for this session only (--device), not in the settings store.
    bool SessionDevice = false;
    /// The text of a hot key word ("CTRL+SHIFT+A"); without it the word is written in hex.
    std::function<std::string(std::int16_t)> HotKeyName;
};

/// The configuration as lines of UTF-8 text: file, port and line settings with the device, output
/// mode and its target, record start and end, structure, each field, the output strings, the
/// acknowledgement, the timed output and the hot keys. Device text is quoted with its control bytes
/// and backslashes as C escapes, so every byte shows.
std::string ConfigSummary(const Configuration& config, const SummaryContext& context = {});

/// The full path records are appended to in log mode (made absolute from the working directory);
/// empty in the other modes.
std::string LogFilePath(const Settings& settings);

/// Device text in double quotes: control bytes, DEL and the backslash as C escapes (\r \n \t \x1B),
/// every other byte as its character in UTF-8.
std::string QuotedDeviceText(std::string_view bytes);

} // namespace quorvane
