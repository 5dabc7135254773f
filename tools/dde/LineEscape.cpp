#include "dde/LineEscape.h"

namespace quorvane::dde {

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

std::string escapeLine(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\')
            out += "\\\\";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else if (byte < 0x20 || byte == 0x7f)
            out += std::string("\\x") + kHex[byte >> 4] + kHex[byte & 0xF];
        else
            out += c;
    }
    return out;
}

std::string unescapeLine(std::string_view line) {
    std::string out;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] != '\\' || i + 1 == line.size()) {
            out += line[i];
            continue;
        }
        const char next = line[i + 1];
        if (next == 'r' || next == 'n' || next == 't' || next == '\\') {
            out += next == 'r' ? '\r' : next == 'n' ? '\n' : next == 't' ? '\t' : '\\';
            ++i;
        } else if (next == 'x' && i + 3 < line.size() && hexValue(line[i + 2]) >= 0 &&
                   hexValue(line[i + 3]) >= 0) {
            out += static_cast<char>(hexValue(line[i + 2]) * 16 + hexValue(line[i + 3]));
            i += 3;
        } else {
            out += line[i];
        }
    }
    return out;
}

} // namespace quorvane::dde
