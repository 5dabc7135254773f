#include "records/PlotView.h"

#include "records/IndexSearch.h"

#include <algorithm>
#include <cmath>
#include <ranges>

namespace quorvane {

double PlotSpanEnd(const PlotData& data, const PlotSettings& settings) {
    if (settings.Paused)
        return settings.PausedEnd;
    const std::optional<PlotPoint> latest = data.latest();
    return latest ? PlotX(*latest, settings.Axis) : 0;
}

PlotFrame ComputeFrame(const PlotData& data, const PlotSettings& settings, int columns,
                       PlotColumnCache* cache) {
    PlotFrame frame;
    const double end = PlotSpanEnd(data, settings);
    frame.Span = {end - std::max(settings.SpanWidth, 1.0), end};
    double low = INFINITY;
    double high = -INFINITY;
    for (const PlotSeries& series : data.series()) {
        if (settings.Hidden.contains(series.Field))
            continue;
        SeriesFrame shown;
        shown.Field = series.Field;
        std::tie(shown.First, shown.Last) = SpanIndices(series.Points, settings.Axis, frame.Span);
        SpanSummary summary =
            cache != nullptr && columns > 0
                ? cache->of(series.Field).summarize(series, settings.Axis, frame.Span, columns)
                : SummarizeSeries(series, shown.First, shown.Last, settings.Axis, frame.Span, columns);
        shown.Stats = summary.Stats;
        shown.Columns = std::move(summary.Columns);
        shown.ColumnShift = summary.ColumnShift;
        if (shown.Stats.Count > 0) {
            low = std::min(low, shown.Stats.Min);
            high = std::max(high, shown.Stats.Max);
            shown.Y = NiceRange(shown.Stats.Min, shown.Stats.Max);
        }
        frame.Series.push_back(shown);
    }
    if (settings.YMode == PlotYMode::Fixed) {
        frame.Y = FixedRange(settings.FixedLow, settings.FixedHigh);
        for (SeriesFrame& shown : frame.Series)
            shown.Y = frame.Y;
    } else if (settings.YMode == PlotYMode::Automatic) {
        frame.Y = low <= high ? NiceRange(low, high) : AxisRange{};
        for (SeriesFrame& shown : frame.Series)
            shown.Y = frame.Y;
    } else {
        const auto first =
            std::ranges::find_if(frame.Series, [](const SeriesFrame& s) { return s.Stats.Count > 0; });
        frame.Y = first != frame.Series.end() ? first->Y : AxisRange{};
    }
    return frame;
}

std::optional<PlotReadout> ReadoutAt(const PlotData& data, const PlotFrame& frame, PlotAxis axis, double x) {
    std::optional<PlotPoint> nearest;
    double distance = INFINITY;
    for (const SeriesFrame& shown : frame.Series) {
        const PlotSeries* series = data.seriesOf(shown.Field);
        if (!series)
            continue;
        // The span's points are looked up again: the indices the frame kept move on as new points
        // push the oldest out, and a paused frame stays shown while they do.
        const auto [first, end] = SpanIndices(series->Points, axis, frame.Span);
        if (first >= end)
            continue;
        const std::size_t after =
            PartitionIndex(first, end, [&](std::size_t i) { return PlotX(series->Points[i], axis) < x; });
        for (const std::size_t candidate : {after, after == first ? after : after - 1}) {
            if (candidate >= end)
                continue;
            const PlotPoint& point = series->Points[candidate];
            const double d = std::abs(PlotX(point, axis) - x);
            if (d < distance) {
                distance = d;
                nearest = point;
            }
        }
    }
    if (!nearest)
        return std::nullopt;
    PlotReadout readout{*nearest, {}};
    for (const SeriesFrame& shown : frame.Series) {
        const PlotSeries* series = data.seriesOf(shown.Field);
        std::optional<double> value;
        if (series) {
            const Ring<PlotPoint>& points = series->Points;
            const std::size_t at = PartitionIndex(
                0, points.size(), [&](std::size_t i) { return points[i].Sequence < nearest->Sequence; });
            if (at != points.size() && points[at].Sequence == nearest->Sequence)
                value = points[at].Y;
        }
        readout.Values.push_back(value);
    }
    return readout;
}

} // namespace quorvane
