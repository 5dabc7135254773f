#pragma once
// The line settings a configuration asks for: baud rate, byte format and the flow-control flag word.

#include <cstdint>

#include "config/Configuration.h"
#include "platform/SerialDevice.h"

namespace quorvane {

/// Bits of the flow-control flag word.
inline constexpr std::uint32_t kFlagBinary = 0x0001;
inline constexpr std::uint32_t kFlagOutxCtsFlow = 0x0004;
inline constexpr std::uint32_t kFlagDtrEnable = 0x0010;
inline constexpr std::uint32_t kFlagOutX = 0x0100;
inline constexpr std::uint32_t kFlagInX = 0x0200;
inline constexpr std::uint32_t kFlagRtsEnable = 0x1000;
inline constexpr std::uint32_t kFlagRtsHandshake = 0x2000;

/// The flag word of a FlowControl code: 0x1011 None, 0x1311 Xon/Xoff, 0x2015 Hardware, 0x0011 Opto-RS;
/// any other code as None.
std::uint32_t FlowControlFlagWord(std::int16_t flowControl);

/// The device-level meaning of a flag word.
void ApplyFlagWord(std::uint32_t flagWord, LineSettings& settings);

/// Baud rate, byte size, parity, stop bits and flow control of the port settings.
LineSettings LineSettingsFor(const Settings& settings);

} // namespace quorvane
