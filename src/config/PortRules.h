#pragma once
// What the port dialog shows and stores: the line settings by option index, the two buffer sizes
// with their refusals, and the order OK stores them in.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "config/Configuration.h"

namespace quorvane {

/// The number of port names the dialog offers (COM1 to COM255).
inline constexpr int kPortCount = 255;
/// The caret position after a refused buffer size key.
inline constexpr int kBufferSizeCaret = 5;
inline constexpr std::string_view kBufferSizeTitle = "Invalid Input";

/// The port dialog's controls: the selected option of each group and the buffer size boxes as typed.
struct PortForm {
    std::int16_t PortIndex = 0;
    std::int16_t BaudIndex = 0;
    std::int16_t ParityIndex = 0;
    std::int16_t DataBitsIndex = 0;
    std::int16_t StopBitsIndex = 0;
    std::int16_t FlowControl = 0;
    std::string InputBufferSize;
    std::string OutputBufferSize;
};

/// The form as the dialog opens on `settings`.
PortForm LoadPortSettings(const Settings& settings);

/// The warning shown when a buffer size is refused.
std::string BufferSizeMessage();

/// True when a buffer size box's text is too large to keep while typing (its value above 131072).
bool BufferSizeTooLarge(std::string_view text);

/// Which buffer size box OK refused.
enum class RefusedBufferSize { Input, Output };

/// "&OK": the input size, the output size, then BaudIndex, ParityIndex, DataBitsIndex, FlowControl,
/// PortIndex and StopBitsIndex, each setting ConfigChanged when it differs. A size outside 128..131072
/// stops there (what was stored before it stays); which box, else nullopt. The message is
/// CheckBufferSize's.
std::optional<RefusedBufferSize> StorePortSettings(Configuration& config, const PortForm& form);

} // namespace quorvane
