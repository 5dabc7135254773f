#pragma once
// The plot's pixel columns kept from frame to frame. Each series' points are binned on a grid fixed
// in X (column k holds the points whose X lies in [k * width, (k + 1) * width)), so a frame reads
// only the points that arrived since the frame before and the two columns at the span's edges, not
// every point of the span.

#include "records/PlotMath.h"

#include <cstdint>
#include <deque>
#include <map>

namespace quorvane {

/// The summary of points [first, last) of a series as one block, reading whole block summaries where
/// they lie inside the range.
PointBlock SummarizeRange(const PlotSeries& series, std::size_t first, std::size_t last);

/// Statistics of the points a block summarizes.
SeriesStatistics BlockStatistics(const PointBlock& block);

/// One series' columns on the grid of the last span and pixel width it was asked for.
class SeriesColumns {
public:
    /// The series' points in `span`, `columns` pixel columns across it: their statistics as
    /// SummarizeSeries gives them, and the columns of the grid from the one holding span.From to
    /// the one holding span.To, with ColumnShift saying where the first begins. Reads the points
    /// added since the last call; starts over when the axis or the column width changed, when the
    /// span reaches back before what it kept, or when points it had not read yet were dropped.
    SpanSummary summarize(const PlotSeries& series, PlotAxis axis, PlotSpan span, int columns);

private:
    struct Column {
        std::int64_t K = 0;
        PointBlock Points;
    };

    std::int64_t cell(double x) const;
    void startOver(const PlotSeries& series, PlotAxis axis, double width, PlotSpan span);
    void add(const PlotPoint& point);

    std::deque<Column> m_columns;
    PlotAxis m_axis = PlotAxis::Time;
    double m_width = 0;
    std::uint64_t m_next = 0;        // push index of the next point to read
    std::int64_t m_completeFrom = 0; // columns from this one on hold every point read
};

/// The columns of every series, by field, for ComputeFrame.
class PlotColumnCache {
public:
    SeriesColumns& of(int field) { return m_series[field]; }
    void clear() { m_series.clear(); }

private:
    std::map<int, SeriesColumns> m_series;
};

} // namespace quorvane
