#include "expr/PictureSections.h"

namespace quorvane {

namespace {

constexpr std::size_t kMaxSections = 4;

bool isDateLetter(char c) {
    switch (c | 0x20) {
    case 'c':
    case 'd':
    case 'w':
    case 'm':
    case 'q':
    case 'y':
    case 'h':
    case 'n':
    case 's':
        return true;
    default:
        return false;
    }
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if ((text[i] | 0x20) != prefix[i]) {
            return false;
        }
    }
    return true;
}

} // namespace

std::vector<std::string_view> splitSections(std::string_view format) {
    std::vector<std::string_view> sections;
    std::size_t start = 0;
    forEachPictureChar(format, [&](std::size_t i, char c) {
        if (c == ';' && sections.size() < kMaxSections) {
            sections.push_back(format.substr(start, i - start));
            start = i + 1;
        }
    });
    if (sections.size() < kMaxSections) {
        sections.push_back(format.substr(start));
    }
    return sections;
}

PictureKind pictureKind(std::string_view section) {
    bool digits = false;
    bool text = false;
    bool date = false;
    forEachPictureChar(section, [&](std::size_t i, char c) {
        switch (c) {
        case '0':
        case '#':
            digits = true;
            break;
        case '@':
        case '&':
        case '<':
        case '>':
        case '!':
            text = true;
            break;
        default:
            if (isDateLetter(c) || startsWithNoCase(section.substr(i), "ttttt") ||
                startsWithNoCase(section.substr(i), "a/p") || startsWithNoCase(section.substr(i), "am/pm") ||
                startsWithNoCase(section.substr(i), "ampm")) {
                date = true;
            }
        }
    });
    if (digits) {
        return PictureKind::Number;
    }
    if (text) {
        return PictureKind::Text;
    }
    return date ? PictureKind::Date : PictureKind::Number;
}

} // namespace quorvane
