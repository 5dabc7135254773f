#pragma once
// Line settings through termios2, which takes any baud rate (BOTHER). Kept apart from <termios.h>,
// whose definitions clash with the kernel's.

#include "platform/SerialDevice.h"
#include "platform/posix/SystemCalls.h"

namespace quorvane {

/// Whether the settings are read back after they were applied.
enum class ReadBack { Check, Skip };

/// Puts the terminal `fd` in raw mode with `settings`' speed, format and flow control (not DTR/RTS). With
/// ReadBack::Check, settings the driver did not take (it silently keeps what it cannot do) are refused.
/// `inputAltered` (when given) tells whether the terminal took its input in under other processing
/// before (a cooked terminal turns CR into LF, applies erase characters, swallows control bytes).
ConfigureResult ApplyTermiosSettings(SystemCalls& calls, int fd, const LineSettings& settings,
                                     ReadBack readBack, bool* inputAltered = nullptr);

/// Discards the input waiting in `fd`; the count discarded.
std::size_t DiscardWaitingInput(SystemCalls& calls, int fd);

/// Discards both the unread input and the unsent output of `fd`.
bool FlushTermios(SystemCalls& calls, int fd);

} // namespace quorvane
