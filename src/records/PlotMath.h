#pragma once
// What the plot computes from a series' points in the visible span: statistics, one vertical extent
// per pixel column, and the Y range and its ticks.

#include "records/PlotData.h"

#include <cstddef>
#include <vector>

namespace quorvane {

/// Statistics of a series over the visible span.
struct SeriesStatistics {
    std::size_t Count = 0;
    double Last = 0;
    double Min = 0;
    double Max = 0;
    double Mean = 0;
    /// Sample standard deviation (n - 1 in the denominator); 0 below two points.
    double StdDev = 0;
};

/// Statistics of points [first, last) of a series.
SeriesStatistics StatisticsOf(const Ring<PlotPoint>& points, std::size_t first, std::size_t last);

/// The points of one pixel column: the lowest and highest Y, and the first and last Y in arrival
/// order (for the lines to the neighbouring columns).
struct ColumnExtent {
    bool Any = false;
    double Min = 0;
    double Max = 0;
    double First = 0;
    double Last = 0;
};

/// Points [first, last) binned into `columns` columns across the span: every point counts in the
/// column its X falls in, so a single sample among any number still shows as its column's extent.
std::vector<ColumnExtent> DecimateColumns(const Ring<PlotPoint>& points, std::size_t first, std::size_t last,
                                          PlotAxis axis, PlotSpan span, int columns);

/// Statistics and pixel columns of a series' points in the span, in one pass over them.
struct SpanSummary {
    SeriesStatistics Stats;
    std::vector<ColumnExtent> Columns;
    /// Where column 0 begins, in columns from the span's start (0, or up to one column before it).
    double ColumnShift = 0;
};

/// Points [first, last): their statistics, and binned into `columns` columns across the span (none
/// when `columns` is 0) as DecimateColumns does.
SpanSummary SummarizeSpan(const Ring<PlotPoint>& points, std::size_t first, std::size_t last, PlotAxis axis,
                          PlotSpan span, int columns);

/// SummarizeSpan over a series, reading a block summary in place of its points wherever a whole
/// block lies in the range and in one column: the same result, most points unread on long spans.
SpanSummary SummarizeSeries(const PlotSeries& series, std::size_t first, std::size_t last, PlotAxis axis,
                            PlotSpan span, int columns);

/// A Y range with its tick step.
struct AxisRange {
    double Low = 0;
    double High = 1;
    double Step = 0.2;
};

/// A range around [low, high] on round ticks (1, 2 or 5 times a power of ten), at most about
/// `ticks` of them; a flat or empty range is widened so it has height.
AxisRange NiceRange(double low, double high, int ticks = 5);

/// A fixed range as the user gave it, ticks chosen the same way; low and high swapped if needed.
AxisRange FixedRange(double low, double high, int ticks = 5);

} // namespace quorvane
