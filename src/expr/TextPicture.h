#pragma once
// One section of a text picture applied to a text.

#include <string>
#include <string_view>

namespace quorvane {

/// Formats `text` with @ (character or blank), & (character or nothing), < (lower case),
/// > (upper case), ! (fill from the left) and literals; characters beyond the placeholders are
/// kept, before the first placeholder (or after the last one when filling from the left).
std::string formatTextPicture(std::string_view text, std::string_view section);

/// The upper-case form of a Windows-1252 byte.
char upperByte(char c);

/// The lower-case form of a Windows-1252 byte.
char lowerByte(char c);

} // namespace quorvane
