#pragma once
// The port analyzer's best guess of a device's record structure from the bytes it sent, and the
// analyzer window's caption.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "config/Configuration.h"

namespace quorvane {

/// Title of the question that offers the guess.
inline constexpr std::string_view kInputAnalysisTitle = "Input Analysis Best Guess";

/// What the analysis found and the settings it offers.
struct InputAnalysis {
    /// The sentence describing the guess, without the question.
    std::string Message;
    std::int16_t EndOfRecordEvent = 0;
    std::int16_t RecordStructure = 0;
    std::int16_t FieldCount = 1;
    /// Position of the first carriage return, or the whole length without one.
    std::int16_t RecordLength = 0;
    /// Set for delimited records only; the other kinds keep the configured delimiter.
    std::optional<std::string> FieldDelimiter;
    bool operator==(const InputAnalysis&) const = default;
};

/// The guess for `received` (display form); nullopt when nothing was received. A record length
/// beyond the configuration's limit of 32766 is held at it.
std::optional<InputAnalysis> AnalyzeInput(std::string_view received);
/// The message box text: the message, two carriage returns and the question.
std::string InputAnalysisQuestion(const InputAnalysis& analysis);
/// Writes the guessed settings into `config` and sets ConfigChanged; field widths stay as they are.
void ApplyInputAnalysis(const InputAnalysis& analysis, Configuration& config);

/// "Port Analyze - COM1:9600,Even,Seven,1": the port and its settings as the port dialog names them.
std::string PortAnalyzeCaption(const Settings& settings);

} // namespace quorvane
