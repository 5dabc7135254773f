#pragma once
// The date and time codes of record preambles and field postambles.

#include "expr/LocalDateTime.h"

#include <string>
#include <string_view>

namespace quorvane {

/// Replaces the first {CENTURY}, {YEAR}, {MONTH}, {DAY}, {HOUR}, {MINUTE} and {SECOND} (any case),
/// in that order, by two digits of the current date and time; each code reads the clock afresh and
/// later occurrences stay as written.
std::string ExpandDateCodes(std::string_view text, const DateTimeSource& clock);

} // namespace quorvane
