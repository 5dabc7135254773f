#pragma once
// Dates and times: the serial-number form and the date picture language.

#include "expr/FormatLocale.h"
#include "expr/LocalDateTime.h"

#include <optional>
#include <string>
#include <string_view>

namespace quorvane {

/// Days since 30 December 1899, the time of day as the fraction (negative days keep a positive
/// time: -1.25 is 29 December 1899, 06:00); whole seconds only.
double serialFromDateTime(const LocalDateTime& when);

/// The date and time a serial number stands for, to the nearest second; nullopt outside the
/// years 100 to 9999.
std::optional<LocalDateTime> dateTimeFromSerial(double serial);

/// Formats with one date picture section: c d dd ddd dddd ddddd dddddd w ww m mm mmm mmmm q y yy
/// yyyy h hh n nn s ss ttttt AM/PM am/pm A/P a/p AMPM, ":" and "/", literals; m after h is minutes.
std::string formatDatePicture(const LocalDateTime& when, std::string_view section,
                              const FormatLocale& locale);

} // namespace quorvane
