#pragma once
// What the plot shows at a moment: the span of X, which series, on which Y range, with their
// statistics; and the readout of the point nearest the cursor.

#include "records/PlotColumns.h"

#include <optional>
#include <set>
#include <vector>

namespace quorvane {

/// How the Y axis is chosen.
enum class PlotYMode {
    Automatic, ///< one range around every shown series
    PerSeries, ///< each series on a range of its own
    Fixed,     ///< the user's range
};

/// The user's choices.
struct PlotSettings {
    PlotAxis Axis = PlotAxis::Time;
    /// Width of the span in the axis' unit: milliseconds or records.
    double SpanWidth = 60'000;
    PlotYMode YMode = PlotYMode::Automatic;
    double FixedLow = 0;
    double FixedHigh = 100;
    /// Fields the user hid.
    std::set<int> Hidden;
    /// While paused the span stays where it ended when the pause began; records are still kept.
    bool Paused = false;
    double PausedEnd = 0;
};

/// One shown series in the frame.
struct SeriesFrame {
    int Field = 0;
    std::size_t First = 0;
    std::size_t Last = 0;
    SeriesStatistics Stats;
    /// Its points binned into the frame's pixel columns.
    std::vector<ColumnExtent> Columns;
    /// Where column 0 begins, in columns from the span's start (see SpanSummary).
    double ColumnShift = 0;
    /// The range it is drawn on.
    AxisRange Y;
};

/// Everything one redraw needs.
struct PlotFrame {
    PlotSpan Span;
    /// The range of the axis labels: the common one, the first series' own, or the fixed one.
    AxisRange Y;
    std::vector<SeriesFrame> Series;
};

/// Where the span ends now: the newest record's X, or where it ended when the pause began.
double PlotSpanEnd(const PlotData& data, const PlotSettings& settings);

/// The frame for the data and choices: the span ending at PlotSpanEnd, every series not hidden,
/// its points, statistics and `columns` pixel columns in the span, and the Y ranges. With a cache,
/// the columns are those of its fixed grid, brought up to date from frame to frame.
PlotFrame ComputeFrame(const PlotData& data, const PlotSettings& settings, int columns = 0,
                       PlotColumnCache* cache = nullptr);

/// The record nearest to X among the frame's series, with each series' value in it.
struct PlotReadout {
    PlotPoint Stamp;
    /// Per series of the frame, its value in that record, or none.
    std::vector<std::optional<double>> Values;
};
std::optional<PlotReadout> ReadoutAt(const PlotData& data, const PlotFrame& frame, PlotAxis axis, double x);

} // namespace quorvane
