#pragma once
// Received bytes made readable on a terminal.

#include <string>
#include <string_view>

namespace quorvane::sim {

/// bytes with C escapes for control bytes, backslash and bytes above 0x7E (`\r`, `\n`, `\xNN`).
std::string escapeBytes(std::string_view bytes);

} // namespace quorvane::sim
