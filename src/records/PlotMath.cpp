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

SeriesStatistics StatisticsOf(const Ring<PlotPoint>& points, std::size_t first, std::size_t last) {
    SeriesStatistics stats;
    last = std::min(last, points.size());
    // Welford's running mean and sum of squares: no cancellation on large, close readings.
    double mean = 0;
    double squares = 0;
    for (std::size_t i = first; i < last; ++i) {
        const double y = points[i].Y;
        if (stats.Count == 0) {
            stats.Min = stats.Max = y;
        } else {
            stats.Min = std::min(stats.Min, y);
            stats.Max = std::max(stats.Max, y);
        }
        ++stats.Count;
        const double delta = y - mean;
        mean += delta / static_cast<double>(stats.Count);
        squares += delta * (y - mean);
        stats.Last = y;
    }
    stats.Mean = mean;
    stats.StdDev = stats.Count > 1 ? std::sqrt(squares / static_cast<double>(stats.Count - 1)) : 0;
    return stats;
}

std::vector<ColumnExtent> DecimateColumns(const Ring<PlotPoint>& points, std::size_t first, std::size_t last,
                                          PlotAxis axis, PlotSpan span, int columns) {
    std::vector<ColumnExtent> extents(static_cast<std::size_t>(std::max(columns, 0)));
    const double width = span.To - span.From;
    if (extents.empty() || !(width > 0))
        return extents;
    const double perColumn = static_cast<double>(columns) / width;
    last = std::min(last, points.size());
    for (std::size_t i = first; i < last; ++i) {
        const double x = PlotX(points[i], axis);
        const double y = points[i].Y;
        if (!std::isfinite(y) || x < span.From || x > span.To)
            continue;
        const auto column =
            std::min(static_cast<std::size_t>((x - span.From) * perColumn), extents.size() - 1);
        ColumnExtent& extent = extents[column];
        if (!extent.Any) {
            extent = {true, y, y, y, y};
            continue;
        }
        extent.Min = std::min(extent.Min, y);
        extent.Max = std::max(extent.Max, y);
        extent.Last = y;
    }
    return extents;
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
