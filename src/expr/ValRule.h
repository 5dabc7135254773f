#pragma once
// Reading numbers from texts: the lenient val rule and the strict whole-text conversion.

#include <optional>
#include <string_view>

namespace quorvane {

/// The leading number of a text by the val rule: blanks (space, tab, line feed) anywhere are
/// skipped; optional sign; "&H"/"&O" literals (16-bit signed when they fit in 16 bits and carry
/// no "&" suffix, else 32-bit signed) or decimal digits with one "." and an E/e/D/d exponent.
/// Gives 0 when the text holds no readable number, std::nullopt when the number does not fit
/// (beyond the double range, or a hexadecimal or octal literal beyond 32 bits).
std::optional<double> TryVal(std::string_view text);

/// TryVal, with 0 for a number that does not fit.
double Val(std::string_view text);

/// The number a text starts with by the val rule, where it starts with one: after the blanks the
/// rule skips and a sign, a digit, a "." and a digit, or an "&H"/"&O" literal's first digit. So
/// "  12.5 g" gives 12.5, while "ST", "-" and "" (which the rule reads as 0) give std::nullopt, as
/// does a number that does not fit.
std::optional<double> NumberAtStart(std::string_view text);

/// The whole text as a number: blanks (space, tab, CR, LF) around it; an optionally signed
/// decimal with "." and an E/e exponent, or an "&H"/"&O" literal with an optional "&" suffix.
/// std::nullopt when the text is anything else (the empty text included) or does not fit.
std::optional<double> StrictNumber(std::string_view text);

} // namespace quorvane
