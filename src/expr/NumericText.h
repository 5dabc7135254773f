#pragma once
// Whether a text holds a number, the way the user would write one under the locale.

#include "expr/FormatLocale.h"

#include <optional>
#include <string_view>

namespace quorvane {

/// The number a text holds: blanks around it, a sign before or after or parentheses, the currency
/// symbol, thousands separators in the whole part, the locale's decimal separator, an exponent
/// (E or D), or an &H/&O literal. nullopt when the text is anything else.
std::optional<double> numberFromText(std::string_view text, const FormatLocale& locale);

} // namespace quorvane
