#pragma once
// Numbers and values written as text, the way field texts and expressions show them.

#include "expr/Value.h"

#include <string>

namespace quorvane {

/// Shortest decimal form with up to 15 significant digits, no leading blank; exponent form
/// ("1E+15", "1E-05") below 0.0001 and from 10^15 on; "0" for negative zero. Always ".".
std::string NumberToText(double number);

/// As for a double, with up to 7 significant digits (single-precision results of rnd).
std::string NumberToText(float number);

/// Text form of any value: empty gives "", numbers as NumberToText, 16-bit integers in decimal,
/// truth values "True" or "False", texts unchanged.
std::string ValueToText(const Value& value);

} // namespace quorvane
