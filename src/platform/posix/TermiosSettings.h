#pragma once
// Line settings through termios2, which takes any baud rate (BOTHER). Kept apart from <termios.h>,
// whose definitions clash with the kernel's.

#include "platform/SerialDevice.h"
#include "platform/posix/SystemCalls.h"

namespace quorvane {

/// Puts the terminal `fd` in raw mode with `settings`' speed, format and flow control (not DTR/RTS).
ConfigureResult ApplyTermiosSettings(SystemCalls& calls, int fd, const LineSettings& settings);

/// Discards both the unread input and the unsent output of `fd`.
bool FlushTermios(SystemCalls& calls, int fd);

} // namespace quorvane
