#pragma once
// The one place where byte strings meet Unicode: Windows-1252 with its five holes kept as C1 codes.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quorvane {

/// The Unicode code point that shows byte `b`; every byte has one, and no two share it.
char32_t CodePointOfByte(std::uint8_t b);

/// The byte for a code point, or nullopt when the code page has none.
std::optional<std::uint8_t> ByteOfCodePoint(char32_t codePoint);

/// UTF-8 text of a byte string.
std::string BytesToUtf8(std::string_view bytes);

/// Bytes of a UTF-8 text; characters outside the code page (and malformed UTF-8) become `replacement`.
std::string Utf8ToBytes(std::string_view utf8, char replacement = '?');

} // namespace quorvane
