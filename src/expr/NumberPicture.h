#pragma once
// One section of a number picture applied to a magnitude.

#include "expr/DecimalDigits.h"

#include <string>
#include <string_view>

namespace quorvane {

/// What a number section produced.
struct NumberPictureResult {
    /// The formatted text, without any sign the caller adds.
    std::string Text;
    /// True when every digit shown is zero (a negative number rounded away keeps no minus).
    bool ShowsZero = false;
};

/// Formats the magnitude of `number` with one section: 0 # . , % E+ E- e+ e-, quoted and escaped
/// literals; `point` and `thousands` are written for "." and ",".
NumberPictureResult formatNumberPicture(DecimalDigits number, std::string_view section, char point,
                                        char thousands);

} // namespace quorvane
