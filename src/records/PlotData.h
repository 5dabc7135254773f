#pragma once
// The plot's data: one series per field whose values read as numbers, each a bounded ring of
// points, and the span of X that the plot shows.

#include "engine/RecordObserver.h"
#include "records/Ring.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace quorvane {

/// One reading of a field.
struct PlotPoint {
    std::int64_t UnixMs = 0;
    std::int64_t Sequence = 0;
    double Y = 0;
};

/// What the X axis counts: received time (milliseconds since 1970, UTC) or records since start.
enum class PlotAxis { Time, Record };

/// X of a point on that axis.
inline double PlotX(const PlotPoint& point, PlotAxis axis) {
    return static_cast<double>(axis == PlotAxis::Time ? point.UnixMs : point.Sequence);
}

/// A closed interval of X.
struct PlotSpan {
    double From = 0;
    double To = 0;
};

/// Points a block summarizes.
inline constexpr std::size_t kPointBlock = 64;

/// kPointBlock consecutive points of a series (by push index), summarized so that a frame over a
/// long span reads one block where its points fall in one pixel column, not every point.
struct PointBlock {
    std::uint64_t Start = 0; ///< push index of its first point
    std::size_t Count = 0;
    PlotPoint First;
    PlotPoint Last;
    double Min = 0;
    double Max = 0;
    double Sum = 0;     ///< of the differences from First.Y
    double Squares = 0; ///< of the same differences, squared
};

/// Adds a point that comes after the block's points to it (an empty block starts with it).
void ExtendBlock(PointBlock& block, const PlotPoint& point);
/// Adds the points `part` summarizes, which come after those of `into`, to `into`.
void MergeBlock(PointBlock& into, const PointBlock& part);

/// A field's points, and their block summaries.
struct PlotSeries {
    int Field = 0;
    Ring<PlotPoint> Points;
    Ring<PointBlock> Blocks;

    void push(const PlotPoint& point);
    /// Keeps at most `points` points (the newest).
    void setCapacity(std::size_t points);
    /// The summary of the kPointBlock points from push index `index` on, or null when that is not
    /// the start of a full block still kept.
    const PointBlock* fullBlockAt(std::uint64_t index) const;
};

/// Every series, in field order. The points of all series together stay within a budget: a new
/// series shares it with the others, and each keeps its newest points.
class PlotData {
public:
    static constexpr std::size_t kDefaultBudget = 1'000'000;

    explicit PlotData(std::size_t pointBudget = kDefaultBudget) : m_budget(pointBudget) {}

    /// Adds each field of the record that reads as a number to its series; a field that reads as a
    /// number for the first time starts a series.
    void add(const CompletedRecord& record);

    const std::vector<PlotSeries>& series() const { return m_series; }
    /// The series of a field, or null.
    const PlotSeries* seriesOf(int field) const;
    /// The newest record seen, numeric fields or not; nullopt before the first.
    std::optional<PlotPoint> latest() const { return m_latest; }
    /// Points kept in all.
    std::size_t pointCount() const;

private:
    std::size_t m_budget;
    std::vector<PlotSeries> m_series;
    std::optional<PlotPoint> m_latest;
};

/// The index range [first, last) of a series' points whose X lies in the span. Points are kept in
/// arrival order; if the wall clock went back, the time axis finds a contiguous part.
std::pair<std::size_t, std::size_t> SpanIndices(const Ring<PlotPoint>& points, PlotAxis axis, PlotSpan span);

} // namespace quorvane
