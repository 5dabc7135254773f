#pragma once
// Configuration files whose CR LF line ends were converted (an editor, a copy in text mode, a git
// checkout with autocrlf): telling them apart, and restoring the byte strings at their end exactly
// where only one original file can have been converted into what is there.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace quorvane {

/// How the header line of a file ends: as written (CR LF), or converted to LF or to a lone CR.
enum class LineEndStyle { CrLf, Lf, Cr };

/// The line end after the first line of `bytes`; CrLf when there is none.
LineEndStyle HeaderLineEnd(std::string_view bytes);

/// What restoring the end of a converted current-layout file found.
struct RestoredTail {
    /// The raw block and the two last lines as they were before the conversion; empty on failure.
    std::optional<std::string> Bytes;
    /// Why the bytes could not be restored; empty when they were.
    std::string Problem;
};

/// Rebuilds the raw block of `rawLength` bytes and the DdeTopic and KeystrokeDelay lines from
/// `converted`, everything after the last length line of a file converted to `style`. Succeeds
/// only when exactly one original could have given those bytes; fails with the reason otherwise.
RestoredTail RestoreConvertedTail(std::string_view converted, std::size_t rawLength, LineEndStyle style);

/// The explanation of a refused converted file and how to repair it.
std::string ConvertedLineEndsProblem(LineEndStyle style, std::string_view what);

} // namespace quorvane
