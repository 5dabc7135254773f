#pragma once
// Character lists of the {SENDOUT(...)} and {TIMERSTRING=...} commands.

#include <string>
#include <string_view>

namespace quorvane {

/// Decodes a character list: text between single quotes is copied as it stands; outside quotes each
/// run of decimal digits is one character (the number modulo 256) and every other character only
/// ends a number. 'AB'13,10 gives A, B, CR, LF.
std::string DecodeCharList(std::string_view text);

} // namespace quorvane
