#include "records/PlotColumns.h"

#include "records/IndexSearch.h"

#include <algorithm>
#include <cmath>

namespace quorvane {

PointBlock SummarizeRange(const PlotSeries& series, std::size_t first, std::size_t last) {
    const Ring<PlotPoint>& points = series.Points;
    last = std::min(last, points.size());
    const std::uint64_t base = points.firstIndex();
    PointBlock summary;
    summary.Start = base + first;
    std::size_t i = first;
    while (i < last) {
        if (last - i >= kPointBlock) {
            if (const PointBlock* block = series.fullBlockAt(base + i)) {
                MergeBlock(summary, *block);
                i += kPointBlock;
                continue;
            }
        }
        ExtendBlock(summary, points[i]);
        ++i;
    }
    return summary;
}

SeriesStatistics BlockStatistics(const PointBlock& block) {
    SeriesStatistics stats;
    if (block.Count == 0)
        return stats;
    const auto n = static_cast<double>(block.Count);
    stats.Count = block.Count;
    stats.Last = block.Last.Y;
    stats.Min = block.Min;
    stats.Max = block.Max;
    stats.Mean = block.First.Y + block.Sum / n;
    stats.StdDev =
        block.Count > 1 ? std::sqrt(std::max(block.Squares - block.Sum * block.Sum / n, 0.0) / (n - 1)) : 0;
    return stats;
}

std::int64_t SeriesColumns::cell(double x) const {
    return static_cast<std::int64_t>(std::floor(x / m_width));
}

void SeriesColumns::startOver(const PlotSeries& series, PlotAxis axis, double width, PlotSpan span) {
    m_axis = axis;
    m_width = width;
    m_columns.clear();
    m_completeFrom = cell(span.From);
    const Ring<PlotPoint>& points = series.Points;
    m_next = points.firstIndex() + PartitionIndex(0, points.size(), [&](std::size_t i) {
                 return cell(PlotX(points[i], axis)) < m_completeFrom;
             });
}

void SeriesColumns::add(const PlotPoint& point) {
    const std::int64_t k = cell(PlotX(point, m_axis));
    if (m_columns.empty() || k > m_columns.back().K) {
        Column& column = m_columns.emplace_back();
        column.K = k;
        ExtendBlock(column.Points, point);
        return;
    }
    if (k == m_columns.back().K) {
        ExtendBlock(m_columns.back().Points, point);
        return;
    }
    // The wall clock went back: the point joins an earlier column.
    auto at = std::ranges::lower_bound(m_columns, k, {}, &Column::K);
    if (at == m_columns.end() || at->K != k)
        at = m_columns.insert(at, Column{k, {}});
    ExtendBlock(at->Points, point);
}

SpanSummary SeriesColumns::summarize(const PlotSeries& series, PlotAxis axis, PlotSpan span, int columns) {
    const Ring<PlotPoint>& points = series.Points;
    const double width = (span.To - span.From) / columns;
    if (columns <= 0 || !(width > 0) || !std::isfinite(width)) {
        const auto [first, last] = SpanIndices(points, axis, span);
        return SummarizeSeries(series, first, last, axis, span, columns);
    }
    if (axis != m_axis || width != m_width || m_next < points.firstIndex() || m_next > points.pushed() ||
        cell(span.From) < m_completeFrom)
        startOver(series, axis, width, span);

    // Whole blocks that fall in one column are read as one: starting over on a long span reads
    // a block summary per column, not every point.
    while (m_next < points.pushed()) {
        const PointBlock* block =
            points.pushed() - m_next >= kPointBlock ? series.fullBlockAt(m_next) : nullptr;
        const std::int64_t k = block != nullptr ? cell(PlotX(block->First, axis)) : 0;
        if (block != nullptr && k == cell(PlotX(block->Last, axis)) && !m_columns.empty() &&
            k >= m_columns.back().K) {
            if (k > m_columns.back().K)
                m_columns.push_back(Column{k, {}});
            MergeBlock(m_columns.back().Points, *block);
            m_next += kPointBlock;
            continue;
        }
        add(points[static_cast<std::size_t>(m_next - points.firstIndex())]);
        ++m_next;
    }

    const std::int64_t k0 = cell(span.From);
    const std::int64_t kTo = cell(span.To);
    std::int64_t kLeft = k0;
    if (!points.empty())
        kLeft = std::max(kLeft, cell(PlotX(points[0], axis)));
    // Columns left of the span, or of points no longer kept, are done with.
    while (!m_columns.empty() && m_columns.front().K < kLeft)
        m_columns.pop_front();
    m_completeFrom = std::max(m_completeFrom, k0);

    SpanSummary summary;
    summary.Columns.resize(static_cast<std::size_t>(std::max<std::int64_t>(kTo - k0 + 1, 0)));
    summary.ColumnShift = static_cast<double>(k0) - span.From / width;
    if (points.empty() || kLeft > kTo)
        return summary;
    PointBlock total;
    const auto place = [&](std::int64_t k, const PointBlock& block) {
        if (block.Count == 0)
            return;
        summary.Columns[static_cast<std::size_t>(k - k0)] = {true, block.Min, block.Max, block.First.Y,
                                                             block.Last.Y};
        MergeBlock(total, block);
    };
    const auto x = [&](std::size_t i) { return PlotX(points[i], axis); };
    // The edge columns hold points outside the span, or dropped ones: read from the kept points.
    const std::size_t spanFirst =
        PartitionIndex(0, points.size(), [&](std::size_t i) { return x(i) < span.From; });
    const std::size_t leftEnd =
        PartitionIndex(spanFirst, points.size(), [&](std::size_t i) { return cell(x(i)) <= kLeft; });
    const std::size_t spanLast =
        PartitionIndex(spanFirst, points.size(), [&](std::size_t i) { return x(i) <= span.To; });
    if (kLeft == kTo) {
        place(kLeft, SummarizeRange(series, spanFirst, std::max(spanFirst, spanLast)));
    } else {
        place(kLeft, SummarizeRange(series, spanFirst, leftEnd));
        for (const Column& column : m_columns) {
            if (column.K <= kLeft)
                continue;
            if (column.K >= kTo)
                break;
            place(column.K, column.Points);
        }
        const std::size_t rightFirst =
            PartitionIndex(leftEnd, points.size(), [&](std::size_t i) { return cell(x(i)) < kTo; });
        place(kTo, SummarizeRange(series, rightFirst, std::max(rightFirst, spanLast)));
    }
    summary.Stats = BlockStatistics(total);
    return summary;
}

} // namespace quorvane
