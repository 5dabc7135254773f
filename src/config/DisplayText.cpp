#include "config/DisplayText.h"

#include "config/CodePage.h"

namespace quorvane {

namespace {

constexpr char32_t kControlPictures = 0x2400;
constexpr char32_t kDeletePicture = 0x2421;
constexpr std::uint8_t kDelete = 0x7F;

// The five bytes the code page leaves unassigned, shown as the circled digits 1 to 5 in code order.
constexpr std::uint8_t kUnassigned[] = {0x81, 0x8D, 0x8F, 0x90, 0x9D};
constexpr char32_t kCircledOne = 0x2460;

int unassignedIndex(std::uint8_t b) {
    for (int i = 0; i < 5; ++i)
        if (kUnassigned[i] == b)
            return i;
    return -1;
}

bool hasSign(std::uint8_t b) {
    return b < 0x20 || b == kDelete || unassignedIndex(b) >= 0;
}

} // namespace

char32_t DisplayCodePoint(std::uint8_t b) {
    if (b == 0)
        return 0xFF;
    if (b < 0x20)
        return kControlPictures + b;
    if (b == kDelete)
        return kDeletePicture;
    if (const int i = unassignedIndex(b); i >= 0)
        return kCircledOne + static_cast<char32_t>(i);
    return CodePointOfByte(b);
}

std::string BytesToDisplayUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    std::size_t run = 0; // start of the bytes not yet written that need no sign
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<std::uint8_t>(bytes[i]);
        if (!hasSign(b))
            continue;
        out += BytesToUtf8(bytes.substr(run, i - run));
        run = i + 1;
        if (b == 0) {
            out += "\xC3\xBF"; // U+00FF
        } else if (const int n = unassignedIndex(b); n >= 0) {
            // U+2460..U+2464 in UTF-8: E2 91 A0..A4.
            out += "\xE2\x91";
            out += static_cast<char>(0xA0 + n);
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
        } else if (i + 2 < utf8.size() && next(0) == 0xE2 && next(1) == 0x91 && next(2) >= 0xA0 &&
                   next(2) <= 0xA4) {
            // A circled digit 1 to 5 is its unassigned byte, written as the code point that reads
            // back to it.
            plain += BytesToUtf8(std::string(1, static_cast<char>(kUnassigned[next(2) - 0xA0])));
            i += 2;
        } else {
            plain += utf8[i];
        }
    }
    return Utf8ToBytes(plain, replacement);
}

} // namespace quorvane
