#pragma once
// The one display form of bytes on screen: in the character entry boxes, the character lists and the
// port analyzer, every byte is a visible character and no two bytes look alike but NUL and 255.

#include <cstdint>
#include <string>
#include <string_view>

namespace quorvane {

/// The character that shows byte `b`: a control byte (1 to 31, and 127) as its sign of the Unicode
/// Control Pictures block (U+2401 to U+241F, U+2421), the five bytes the code page leaves unassigned
/// (0x81, 0x8D, 0x8F, 0x90, 0x9D) as the circled digits 1 to 5 (U+2460 to U+2464), NUL as the
/// character of code 255, every other byte as its code page character.
char32_t DisplayCodePoint(std::uint8_t b);

/// `bytes` in display form, as UTF-8.
std::string BytesToDisplayUtf8(std::string_view bytes);

/// Text that arrives in a box showing bytes in display form (pasted, dropped): a Control Pictures
/// sign or circled digit 1 to 5 is the byte it stands for (U+2400 the NUL), everything else reads as
/// Utf8ToBytes reads it.
std::string DisplayUtf8ToBytes(std::string_view utf8, char replacement = '?');

} // namespace quorvane
