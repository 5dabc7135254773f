#include "sim/ByteEscape.h"

namespace quorvane::sim {

std::string escapeBytes(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size());
    for (const char byte : bytes) {
        const auto code = static_cast<unsigned char>(byte);
        switch (byte) {
        case '\r':
            text += "\\r";
            break;
        case '\n':
            text += "\\n";
            break;
        case '\t':
            text += "\\t";
            break;
        case '\\':
            text += "\\\\";
            break;
        default:
            if (code < 0x20 || code > 0x7E) {
                text += "\\x";
                text.push_back(kHex[code >> 4]);
                text.push_back(kHex[code & 0x0F]);
            } else {
                text.push_back(byte);
            }
        }
    }
    return text;
}

} // namespace quorvane::sim
