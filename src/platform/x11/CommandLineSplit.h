#pragma once
// A command line cut into words the way a POSIX shell quotes them, without expanding anything.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

/// The words of a command line: blanks, tabs and line ends separate words; '...' keeps everything
/// literally; "..." keeps everything but lets a backslash escape $ ` " \ and a line end; a backslash
/// outside quotes keeps the next character (a backslash before a line end joins the lines). No
/// variable, tilde or pattern is expanded. Nullopt when a quote is not closed.
std::optional<std::vector<std::string>> splitCommandLine(std::string_view line);

} // namespace quorvane
