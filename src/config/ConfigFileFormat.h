#pragma once
// The configuration file: encoding the current layout and decoding every layout, without any I/O.

#include <optional>
#include <string>
#include <string_view>

#include "config/Configuration.h"

namespace quorvane {

/// The first line of a configuration file names its layout.
enum class ConfigLayout { None, V1_1, V2_00, V3_00, Generic };

inline constexpr std::string_view kHeader1_1 = "Quorvane Configuration File - Version 1.1";
inline constexpr std::string_view kHeader2_00 = "Quorvane Configuration File - Version 2.00";
inline constexpr std::string_view kHeader3_00 = "Quorvane Configuration File - Version 3.00";
inline constexpr std::string_view kHeaderGeneric = "Quorvane Configuration File";

/// The layout named by the first line of `bytes`; None when it is not one of the four headers.
ConfigLayout DetectLayout(std::string_view bytes);

/// Why the first line of `bytes` is not one of the four headers, in words for the user.
std::string HeaderProblem(std::string_view bytes);

/// The whole file in the current layout.
std::string EncodeConfigFile(const Settings& settings);

/// What decoding a file found.
struct ConfigDecodeResult {
    enum class Status { Ok, NotConfigFile, Damaged };
    Status Outcome = Status::NotConfigFile;
    ConfigLayout Layout = ConfigLayout::None;
    /// 1.1 layout: the line that followed the items, shown to the user as a note.
    std::optional<std::string> Note;
    /// For a damaged file: where and what, for diagnostics.
    std::string Problem;

    bool ok() const { return Outcome == Status::Ok; }
};

/// Reads a file of any layout over `settings`. Settings that an older layout does not hold keep their
/// values. On any failure `settings` is left exactly as it was.
ConfigDecodeResult DecodeConfigFile(std::string_view bytes, Settings& settings);

/// The stored PortIndex: the first number after a valid header; nullopt for a file that is not a
/// configuration file or whose first number cannot be read.
std::optional<std::int16_t> PeekPortIndex(std::string_view bytes);

} // namespace quorvane
