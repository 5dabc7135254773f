#pragma once
// The visible span of the plot as CSV.

#include "records/PlotData.h"

#include <string>
#include <vector>

namespace quorvane {

/// "2026-12-08T14:05:09.042Z": a received time in UTC, to the millisecond.
std::string UtcTimeText(std::int64_t unixMs);

/// One line per record that has a point of the given fields in the span, in record order: its UTC
/// time, its record count since start, and each field's value (empty where the field held no number).
std::string PlotCsv(const PlotData& data, const std::vector<int>& fields, PlotAxis axis, PlotSpan span);

} // namespace quorvane
