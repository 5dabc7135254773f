#include "expr/TextPicture.h"

#include <vector>

namespace quorvane {

namespace {

struct Piece {
    bool Placeholder;
    char Fill; // '@' or '&' for placeholders
    std::string_view Text;
};

std::size_t countPlaceholders(const std::vector<Piece>& pieces) {
    std::size_t n = 0;
    for (const Piece& p : pieces) {
        n += p.Placeholder ? 1 : 0;
    }
    return n;
}

} // namespace

char upperByte(char c) {
    const auto b = static_cast<unsigned char>(c);
    if ((b >= 'a' && b <= 'z') || (b >= 0xE0 && b <= 0xFE && b != 0xF7)) {
        return static_cast<char>(b - 0x20);
    }
    switch (b) {
    case 0x9A: // s caron
    case 0x9C: // oe
    case 0x9E: // z caron
        return static_cast<char>(b - 0x10);
    case 0xFF: // y diaeresis
        return static_cast<char>(0x9F);
    default:
        return c;
    }
}

char lowerByte(char c) {
    const auto b = static_cast<unsigned char>(c);
    if ((b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDE && b != 0xD7)) {
        return static_cast<char>(b + 0x20);
    }
    switch (b) {
    case 0x8A:
    case 0x8C:
    case 0x8E:
        return static_cast<char>(b + 0x10);
    case 0x9F:
        return static_cast<char>(0xFF);
    default:
        return c;
    }
}

std::string formatTextPicture(std::string_view text, std::string_view section) {
    std::vector<Piece> pieces;
    char caseMarker = '\0';
    bool fromLeft = false;
    for (std::size_t i = 0; i < section.size(); ++i) {
        const char c = section[i];
        if (c == '"') {
            const auto close = section.find('"', i + 1);
            const auto end = close == std::string_view::npos ? section.size() : close;
            pieces.push_back({false, '\0', section.substr(i + 1, end - i - 1)});
            i = end;
        } else if (c == '\\') {
            if (i + 1 < section.size()) {
                pieces.push_back({false, '\0', section.substr(++i, 1)});
            }
        } else if (c == '@' || c == '&') {
            pieces.push_back({true, c, {}});
        } else if (c == '<' || c == '>') {
            caseMarker = c;
        } else if (c == '!') {
            fromLeft = true;
        } else {
            pieces.push_back({false, '\0', section.substr(i, 1)});
        }
    }

    std::string source(text);
    if (caseMarker != '\0') {
        for (char& c : source) {
            c = caseMarker == '>' ? upperByte(c) : lowerByte(c);
        }
    }

    const std::size_t placeholders = countPlaceholders(pieces);
    const std::size_t length = source.size();
    const std::size_t extra = length > placeholders ? length - placeholders : 0;
    std::string out;
    out.reserve(section.size() + length);
    std::size_t seen = 0;
    for (const Piece& p : pieces) {
        if (!p.Placeholder) {
            out += p.Text;
            continue;
        }
        if (fromLeft) {
            if (seen < length) {
                out += source[seen];
            } else if (p.Fill == '@') {
                out += ' ';
            }
            if (++seen == placeholders && extra > 0) {
                out.append(source, placeholders);
            }
        } else {
            if (seen == 0) {
                out.append(source, 0, extra);
            }
            const std::size_t position = placeholders - 1 - seen++;
            if (position < length) {
                out += source[length - 1 - position];
            } else if (p.Fill == '@') {
                out += ' ';
            }
        }
    }
    if (placeholders == 0) {
        out += source;
    }
    return out;
}

} // namespace quorvane
