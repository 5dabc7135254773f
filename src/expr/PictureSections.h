#pragma once
// How a picture format splits into sections and which kind of value it describes.

#include <string_view>
#include <vector>

namespace quorvane {

/// The three picture languages.
enum class PictureKind { Number, Date, Text };

/// The sections of a picture, split at ";" outside quotes and escapes; at most four are kept.
std::vector<std::string_view> splitSections(std::string_view format);

/// Digit placeholders make a number picture, otherwise @ & < > ! a text picture, otherwise date
/// or time codes a date picture; a picture of literals alone is a number picture.
PictureKind pictureKind(std::string_view section);

/// Calls `visit(index, c)` for each character outside quotes and escapes.
template <typename Visit>
void forEachPictureChar(std::string_view section, Visit visit) {
    for (std::size_t i = 0; i < section.size(); ++i) {
        const char c = section[i];
        if (c == '"') {
            const auto close = section.find('"', i + 1);
            if (close == std::string_view::npos) {
                return;
            }
            i = close;
        } else if (c == '\\') {
            ++i;
        } else {
            visit(i, c);
        }
    }
}

} // namespace quorvane
