#include "records/PlotMath.h"

#include <algorithm>
#include <cmath>

namespace quorvane {

namespace {

// A round step near `rough`: 1, 2 or 5 times a power of ten.
double roundStep(double rough) {
    if (!(rough > 0) || !std::isfinite(rough))
        return 1;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    const double scaled = rough / power;
    const double factor = scaled <= 1 ? 1 : scaled <= 2 ? 2 : scaled <= 5 ? 5 : 10;
    return factor * power;
}

} // namespace

namespace {

// Statistics and pixel columns, fed point by point or a block at a time. Sums are of the
// differences from the first value: no division per point, and no cancellation on large readings
// that differ in their last digits.
class SpanAccumulator {
public:
    SpanAccumulator(PlotAxis axis, PlotSpan span, int columns) : m_axis(axis), m_span(span) {
        m_summary.Columns.resize(static_cast<std::size_t>(std::max(columns, 0)));
        const double width = span.To - span.From;
        m_binned = !m_summary.Columns.empty() && width > 0;
        m_perColumn = m_binned ? static_cast<double>(columns) / width : 0;
    }

    // The column of X, or -1 outside the span (or without columns).
    std::ptrdiff_t columnOf(const PlotPoint& point) const {
        const double x = PlotX(point, m_axis);
        if (!m_binned || x < m_span.From || x > m_span.To)
            return -1;
        return static_cast<std::ptrdiff_t>(std::min(static_cast<std::size_t>((x - m_span.From) * m_perColumn),
                                                    m_summary.Columns.size() - 1));
    }

    void point(const PlotPoint& point) {
        const double y = point.Y;
        SeriesStatistics& stats = m_summary.Stats;
        if (stats.Count == 0)
            m_reference = stats.Min = stats.Max = y;
        stats.Min = std::min(stats.Min, y);
        stats.Max = std::max(stats.Max, y);
        ++stats.Count;
        const double delta = y - m_reference;
        m_sum += delta;
        m_squares += delta * delta;
        stats.Last = y;
        if (const std::ptrdiff_t column = columnOf(point); column >= 0)
            extend(static_cast<std::size_t>(column), y, y, y, y);
    }

    // A whole block whose points all fall in `column`.
    void block(const PointBlock& block, std::size_t column) {
        SeriesStatistics& stats = m_summary.Stats;
        if (stats.Count == 0)
            m_reference = stats.Min = stats.Max = block.First.Y;
        stats.Min = std::min(stats.Min, block.Min);
        stats.Max = std::max(stats.Max, block.Max);
        const auto n = static_cast<double>(block.Count);
        const double shift = block.First.Y - m_reference;
        m_sum += block.Sum + n * shift;
        m_squares += block.Squares + 2 * shift * block.Sum + n * shift * shift;
        stats.Count += block.Count;
        stats.Last = block.Last.Y;
        extend(column, block.Min, block.Max, block.First.Y, block.Last.Y);
    }

    SpanSummary finish() {
        SeriesStatistics& stats = m_summary.Stats;
        if (stats.Count > 0) {
            const auto n = static_cast<double>(stats.Count);
            stats.Mean = m_reference + m_sum / n;
            stats.StdDev =
                stats.Count > 1 ? std::sqrt(std::max(m_squares - m_sum * m_sum / n, 0.0) / (n - 1)) : 0;
        }
        return std::move(m_summary);
    }

private:
    void extend(std::size_t column, double low, double high, double first, double last) {
        ColumnExtent& extent = m_summary.Columns[column];
        if (!extent.Any) {
            extent = {true, low, high, first, last};
            return;
        }
        extent.Min = std::min(extent.Min, low);
        extent.Max = std::max(extent.Max, high);
        extent.Last = last;
    }

    PlotAxis m_axis;
    PlotSpan m_span;
    SpanSummary m_summary;
    bool m_binned = false;
    double m_perColumn = 0;
    double m_reference = 0;
    double m_sum = 0;
    double m_squares = 0;
};

} // namespace

SpanSummary SummarizeSpan(const Ring<PlotPoint>& points, std::size_t first, std::size_t last, PlotAxis axis,
                          PlotSpan span, int columns) {
    SpanAccumulator accumulator(axis, span, columns);
    points.forEach(first, last, [&](const PlotPoint& point) { accumulator.point(point); });
    return accumulator.finish();
}

SpanSummary SummarizeSeries(const PlotSeries& series, std::size_t first, std::size_t last, PlotAxis axis,
                            PlotSpan span, int columns) {
    SpanAccumulator accumulator(axis, span, columns);
    const Ring<PlotPoint>& points = series.Points;
    last = std::min(last, points.size());
    const std::uint64_t base = points.firstIndex();
    std::size_t i = first;
    while (i < last) {
        // A whole block inside the range whose first and last points share a column is read as one.
        if (last - i >= kPointBlock) {
            if (const PointBlock* block = series.fullBlockAt(base + i)) {
                const std::ptrdiff_t column = accumulator.columnOf(block->First);
                if (column >= 0 && column == accumulator.columnOf(block->Last)) {
                    accumulator.block(*block, static_cast<std::size_t>(column));
                    i += kPointBlock;
                    continue;
                }
            }
        }
        accumulator.point(points[i]);
        ++i;
    }
    return accumulator.finish();
}

SeriesStatistics StatisticsOf(const Ring<PlotPoint>& points, std::size_t first, std::size_t last) {
    return SummarizeSpan(points, first, last, PlotAxis::Record, {}, 0).Stats;
}

std::vector<ColumnExtent> DecimateColumns(const Ring<PlotPoint>& points, std::size_t first, std::size_t last,
                                          PlotAxis axis, PlotSpan span, int columns) {
    return SummarizeSpan(points, first, last, axis, span, columns).Columns;
}

AxisRange NiceRange(double low, double high, int ticks) {
    if (!std::isfinite(low) || !std::isfinite(high))
        return {};
    if (low > high)
        std::swap(low, high);
    if (high - low <= std::abs(high) * 1e-12) {
        // Flat data: a band around the value, one unit wide or a tenth of it.
        const double half = std::max(std::abs(low) * 0.05, 0.5);
        low -= half;
        high += half;
    }
    const double step = roundStep((high - low) / std::max(ticks, 1));
    // The tolerance keeps a bound that is a tick already (100.012 on 0.001) from moving a tick out.
    return {std::floor(low / step + 1e-9) * step, std::ceil(high / step - 1e-9) * step, step};
}

AxisRange FixedRange(double low, double high, int ticks) {
    if (!std::isfinite(low) || !std::isfinite(high))
        return {};
    if (low > high)
        std::swap(low, high);
    if (low == high)
        high = low + 1;
    return {low, high, roundStep((high - low) / std::max(ticks, 1))};
}

} // namespace quorvane
