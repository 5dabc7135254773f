#include "config/DisplayText.h"

#include "config/CodePage.h"

namespace quorvane {

namespace {

constexpr char32_t kControlPictures = 0x2400;
constexpr char32_t kDeletePicture = 0x2421;
constexpr std::uint8_t kDelete = 0x7F;

} // namespace

char32_t DisplayCodePoint(std::uint8_t b) {
    if (b == 0)
        return 0xFF;
    if (b < 0x20)
        return kControlPictures + b;
    if (b == kDelete)
        return kDeletePicture;
    return CodePointOfByte(b);
}

std::string BytesToDisplayUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    std::size_t run = 0; // start of the bytes not yet written that need no sign
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<std::uint8_t>(bytes[i]);
        if (b >= 0x20 && b != kDelete)
            continue;
        out += BytesToUtf8(bytes.substr(run, i - run));
        run = i + 1;
        if (b == 0) {
            out += "\xC3\xBF"; // U+00FF
        } else {
            // U+2401..U+2421 in UTF-8: E2 90 81..A1.
            out += "\xE2\x90";
            out += static_cast<char>(0x80 + (DisplayCodePoint(b) - kControlPictures));
        }
    }
    out += BytesToUtf8(bytes.substr(run));
    return out;
}

std::string DisplayUtf8ToBytes(std::string_view utf8, char replacement) {
    // The signs become their control bytes first: a control byte is a valid one-byte UTF-8 sequence.
    std::string plain;
    plain.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto next = [&](std::size_t k) { return static_cast<unsigned char>(utf8[i + k]); };
        if (i + 2 < utf8.size() && next(0) == 0xE2 && next(1) == 0x90 &&
            (next(2) <= 0x9F || next(2) == 0xA1) && next(2) >= 0x80) {
            plain += next(2) == 0xA1 ? static_cast<char>(kDelete) : static_cast<char>(next(2) - 0x80);
            i += 2;
        } else {
            plain += utf8[i];
        }
    }
    return Utf8ToBytes(plain, replacement);
}

} // namespace quorvane
