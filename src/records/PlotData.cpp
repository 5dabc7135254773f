#include "records/PlotData.h"

#include "records/IndexSearch.h"

#include "expr/ValRule.h"

#include <algorithm>
#include <ranges>

namespace quorvane {

void PlotData::add(const CompletedRecord& record) {
    const PlotPoint stamp{record.UnixMs, record.Sequence, 0};
    m_latest = stamp;
    for (int i = 1; i <= record.FieldCount; ++i) {
        const std::optional<double> y = NumberAtStart(record.field(i));
        if (!y)
            continue;
        auto at = std::ranges::lower_bound(m_series, i, {}, &PlotSeries::Field);
        if (at == m_series.end() || at->Field != i) {
            at = m_series.insert(at, PlotSeries{i, Ring<PlotPoint>(1), Ring<PointBlock>(1)});
            const std::size_t share = std::max<std::size_t>(m_budget / m_series.size(), 1);
            for (PlotSeries& series : m_series)
                series.setCapacity(share);
        }
        at->push({stamp.UnixMs, stamp.Sequence, *y});
    }
}

void ExtendBlock(PointBlock& block, const PlotPoint& point) {
    if (block.Count == 0) {
        block = {block.Start, 1, point, point, point.Y, point.Y, 0, 0};
        return;
    }
    ++block.Count;
    block.Last = point;
    block.Min = std::min(block.Min, point.Y);
    block.Max = std::max(block.Max, point.Y);
    const double delta = point.Y - block.First.Y;
    block.Sum += delta;
    block.Squares += delta * delta;
}

void MergeBlock(PointBlock& into, const PointBlock& part) {
    if (part.Count == 0)
        return;
    if (into.Count == 0) {
        into = part;
        return;
    }
    // Sums are of differences from First: move the part's onto this block's First.
    const auto n = static_cast<double>(part.Count);
    const double shift = part.First.Y - into.First.Y;
    into.Squares += part.Squares + 2 * shift * part.Sum + n * shift * shift;
    into.Sum += part.Sum + n * shift;
    into.Count += part.Count;
    into.Min = std::min(into.Min, part.Min);
    into.Max = std::max(into.Max, part.Max);
    into.Last = part.Last;
}

void PlotSeries::push(const PlotPoint& point) {
    const std::uint64_t index = Points.pushed();
    Points.push(point);
    if (index % kPointBlock == 0 || Blocks.empty())
        Blocks.push({index, 0, {}, {}, 0, 0, 0, 0});
    ExtendBlock(Blocks.back(), point);
}

const PointBlock* PlotSeries::fullBlockAt(std::uint64_t index) const {
    if (index % kPointBlock != 0 || Blocks.empty() || index < Points.firstIndex())
        return nullptr;
    const std::uint64_t newest = Blocks.back().Start;
    if (index > newest)
        return nullptr;
    const std::uint64_t back = (newest - index) / kPointBlock;
    if (back >= Blocks.size())
        return nullptr;
    const PointBlock& block = Blocks[Blocks.size() - 1 - static_cast<std::size_t>(back)];
    return block.Start == index && block.Count == kPointBlock ? &block : nullptr;
}

void PlotSeries::setCapacity(std::size_t points) {
    Points.setCapacity(points);
    Blocks.setCapacity(points / kPointBlock + 2);
}

const PlotSeries* PlotData::seriesOf(int field) const {
    const auto at = std::ranges::lower_bound(m_series, field, {}, &PlotSeries::Field);
    return at != m_series.end() && at->Field == field ? &*at : nullptr;
}

std::size_t PlotData::pointCount() const {
    std::size_t count = 0;
    for (const PlotSeries& series : m_series)
        count += series.Points.size();
    return count;
}

std::pair<std::size_t, std::size_t> SpanIndices(const Ring<PlotPoint>& points, PlotAxis axis, PlotSpan span) {
    const std::size_t a =
        PartitionIndex(0, points.size(), [&](std::size_t i) { return PlotX(points[i], axis) < span.From; });
    const std::size_t b =
        PartitionIndex(0, points.size(), [&](std::size_t i) { return PlotX(points[i], axis) <= span.To; });
    return {a, std::max(a, b)};
}

} // namespace quorvane
