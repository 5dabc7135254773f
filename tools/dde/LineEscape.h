#pragma once
// One-line forms of texts that may hold control characters: \r \n \t \\ and \xHH.

#include <string>
#include <string_view>

namespace quorvane::dde {

/// `text` with backslashes and control characters written as escapes.
std::string escapeLine(std::string_view text);

/// The text an escaped line stands for; an unknown or cut escape stands for itself.
std::string unescapeLine(std::string_view line);

} // namespace quorvane::dde
