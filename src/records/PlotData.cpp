#include "records/PlotData.h"

#include "records/IndexSearch.h"

#include "expr/ValRule.h"

#include <algorithm>
#include <ranges>

namespace quorvane {

namespace {

bool isValBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

bool isRadixDigit(char c, int radix) {
    if (c >= '0' && c <= '7')
        return true;
    if (radix == 8)
        return false;
    return (c >= '8' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// The characters after the blanks the val rule skips, from position `at`.
std::string_view afterBlanks(std::string_view text, std::size_t& at) {
    while (at < text.size() && isValBlank(text[at]))
        ++at;
    return text.substr(at);
}

} // namespace

std::optional<double> FieldNumber(std::string_view text) {
    std::size_t at = 0;
    std::string_view rest = afterBlanks(text, at);
    if (!rest.empty() && (rest.front() == '+' || rest.front() == '-')) {
        ++at;
        rest = afterBlanks(text, at);
    }
    if (rest.empty())
        return std::nullopt;
    bool starts = rest.front() >= '0' && rest.front() <= '9';
    if (rest.front() == '.') {
        ++at;
        const std::string_view digits = afterBlanks(text, at);
        starts = !digits.empty() && digits.front() >= '0' && digits.front() <= '9';
    } else if (rest.front() == '&') {
        ++at;
        const std::string_view letter = afterBlanks(text, at);
        const int radix = letter.empty()                                     ? 0
                          : (letter.front() == 'H' || letter.front() == 'h') ? 16
                          : (letter.front() == 'O' || letter.front() == 'o') ? 8
                                                                             : 0;
        if (radix != 0) {
            ++at;
            const std::string_view digits = afterBlanks(text, at);
            starts = !digits.empty() && isRadixDigit(digits.front(), radix);
        }
    }
    if (!starts)
        return std::nullopt;
    return TryVal(text);
}

void PlotData::add(const CompletedRecord& record) {
    const PlotPoint stamp{record.UnixMs, record.Sequence, 0};
    m_latest = stamp;
    for (int i = 1; i <= record.FieldCount; ++i) {
        const std::optional<double> y = FieldNumber(record.field(i));
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

void PlotSeries::push(const PlotPoint& point) {
    const std::uint64_t index = Points.pushed();
    Points.push(point);
    if (index % kPointBlock == 0 || Blocks.empty()) {
        Blocks.push({index, 1, point, point, point.Y, point.Y, 0, 0});
        return;
    }
    PointBlock& block = Blocks.back();
    ++block.Count;
    block.Last = point;
    block.Min = std::min(block.Min, point.Y);
    block.Max = std::max(block.Max, point.Y);
    const double delta = point.Y - block.First.Y;
    block.Sum += delta;
    block.Squares += delta * delta;
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
