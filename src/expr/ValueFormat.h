#pragma once
// Field formats: named formats and pictures for numbers, texts and dates.

#include "expr/FormatLocale.h"
#include "expr/LocalDateTime.h"
#include "expr/Value.h"

#include <string>
#include <string_view>

namespace quorvane {

/// `value` formatted with a named format ("Fixed", "Short Date" ...) or a picture. A text holding
/// a number is formatted as that number; other texts pass number and date formats unchanged. An
/// empty format gives the value's plain text form.
std::string FormatValue(const Value& value, std::string_view format, const FormatLocale& locale);

/// A date and time formatted like a field value; number formats see its serial number, and an
/// empty format gives the "General Date" form.
std::string FormatDateTime(const LocalDateTime& when, std::string_view format, const FormatLocale& locale);

/// "." or ",": the text ".1" formatted with "0.0" under the locale, "," when the result has one.
char DecimalSeparator(const FormatLocale& locale);

} // namespace quorvane
