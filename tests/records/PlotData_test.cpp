// The plot's model: series from mixed records within the point
// budget, the span's points, statistics, decimation, ranges and the CSV of the span.

#include "records/PlotColumns.h"
#include "records/PlotData.h"
#include "records/PlotExport.h"
#include "records/PlotMath.h"
#include "records/PlotView.h"
#include "records/RecordsTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <random>

namespace quorvane {
namespace {

using test::RecordFeed;

TEST(PlotData, MakesASeriesOfEachFieldThatReadsAsANumberAndSkipsItsTexts) {
    PlotData data;
    RecordFeed feed;
    data.add(feed.next({"ST", "GS", "  12.345", "g"}));
    data.add(feed.next({"US", "GS", "OVER", "g"}));
    data.add(feed.next({"ST", "GS", "  12.350", "g", "7"}));
    ASSERT_EQ(data.series().size(), 2u);
    const PlotSeries& weight = data.series()[0];
    EXPECT_EQ(weight.Field, 3);
    ASSERT_EQ(weight.Points.size(), 2u);
    EXPECT_EQ(weight.Points[0].Y, 12.345);
    EXPECT_EQ(weight.Points[1].Sequence, 3);
    EXPECT_EQ(data.series()[1].Field, 5);
    EXPECT_EQ(data.latest()->Sequence, 3);
}

TEST(PlotData, SharesItsPointBudgetAndKeepsTheNewestPoints) {
    PlotData data(100);
    RecordFeed feed;
    for (int i = 0; i < 200; ++i)
        data.add(feed.next({std::to_string(i), "1", "2", "3"}));
    EXPECT_EQ(data.pointCount(), 100u);
    const Ring<PlotPoint>& first = data.seriesOf(1)->Points;
    ASSERT_EQ(first.size(), 25u);
    EXPECT_EQ(first[0].Y, 175);
    EXPECT_EQ(first.back().Y, 199);
}

TEST(PlotSpan, SelectsThePointsWhoseXLiesInIt) {
    Ring<PlotPoint> points(10);
    for (int i = 0; i < 15; ++i) // the first five were dropped
        points.push({1000 + 100 * i, i + 1, double(i)});
    using Span = std::pair<std::size_t, std::size_t>;
    EXPECT_EQ(SpanIndices(points, PlotAxis::Time, {1550, 1800}), Span(1, 4));
    EXPECT_EQ(SpanIndices(points, PlotAxis::Time, {0, 1e13}), Span(0, 10));
    EXPECT_EQ(SpanIndices(points, PlotAxis::Time, {3000, 4000}), Span(10, 10));
    EXPECT_EQ(SpanIndices(points, PlotAxis::Record, {13, 14}), Span(7, 9));
    EXPECT_EQ(SpanIndices(Ring<PlotPoint>(4), PlotAxis::Record, {0, 1}), Span(0, 0));
}

TEST(PlotReadout, FindsTheNearestRecordOfTheFrameShownWhileNewPointsPushOldOnesOut) {
    // A paused frame stays shown while records go on arriving and the oldest points are dropped.
    PlotData data(40);
    RecordFeed feed; // a record every 100 ms
    for (int i = 0; i < 30; ++i)
        data.add(feed.next({std::to_string(i)}));
    PlotSettings settings;
    settings.SpanWidth = 1000;
    settings.PausedEnd = PlotSpanEnd(data, settings);
    settings.Paused = true;
    const PlotFrame frame = ComputeFrame(data, settings);
    const double start = frame.Span.From;
    for (const int more : {0, 15, 4}) { // 30, 45 and 49 records: none, 5 and 9 dropped
        for (int i = 0; i < more; ++i)
            data.add(feed.next({"1000"}));
        for (const auto& [offset, sequence] : {std::pair{0.0, 20}, {440.0, 24}, {960.0, 30}, {2000.0, 30}}) {
            const std::optional<PlotReadout> readout = ReadoutAt(data, frame, PlotAxis::Time, start + offset);
            ASSERT_TRUE(readout.has_value()) << more << " more, at " << offset;
            EXPECT_EQ(readout->Stamp.Sequence, sequence) << more << " more, at " << offset;
            ASSERT_EQ(readout->Values.size(), 1u);
            EXPECT_EQ(readout->Values[0], std::optional<double>(sequence - 1))
                << more << " more, at " << offset;
        }
    }
}

TEST(PlotStatistics, MatchTheTwoPassFormulas) {
    Ring<PlotPoint> points(5000);
    std::mt19937 random(29);
    std::normal_distribution<double> reading(100'000.012, 0.004);
    for (int i = 0; i < 6234; ++i) // the ring wraps at index 3766
        points.push({i, i, reading(random)});
    for (const auto& [first, last] :
         {std::pair<std::size_t, std::size_t>{0, 5000}, {1200, 1300}, {3700, 3800}, {7, 9}}) {
        double sum = 0;
        double low = INFINITY;
        double high = -INFINITY;
        for (std::size_t i = first; i < last; ++i) {
            sum += points[i].Y;
            low = std::min(low, points[i].Y);
            high = std::max(high, points[i].Y);
        }
        const double mean = sum / double(last - first);
        double squares = 0;
        for (std::size_t i = first; i < last; ++i)
            squares += (points[i].Y - mean) * (points[i].Y - mean);
        const SeriesStatistics stats = StatisticsOf(points, first, last);
        EXPECT_EQ(stats.Count, last - first);
        EXPECT_EQ(stats.Last, points[last - 1].Y);
        EXPECT_EQ(stats.Min, low);
        EXPECT_EQ(stats.Max, high);
        EXPECT_NEAR(stats.Mean, mean, 1e-9);
        EXPECT_NEAR(stats.StdDev, std::sqrt(squares / double(last - first - 1)), 1e-9);
    }
    const SeriesStatistics one = StatisticsOf(points, 3, 4);
    EXPECT_EQ(one.Count, 1u);
    EXPECT_EQ(one.StdDev, 0);
    EXPECT_EQ(StatisticsOf(points, 10, 10).Count, 0u);
}

TEST(PlotDecimation, KeepsASingleSpikeAmongAHundredThousandSamples) {
    Ring<PlotPoint> points(100'000);
    std::mt19937 random(7);
    std::uniform_real_distribution<double> noise(0, 1);
    constexpr int kSpike = 54'321;
    for (int i = 0; i < 100'000; ++i)
        points.push({i, i, i == kSpike ? 1000.0 : noise(random)});
    const std::vector<ColumnExtent> columns =
        DecimateColumns(points, 0, points.size(), PlotAxis::Record, {0, 99'999}, 800);
    ASSERT_EQ(columns.size(), 800u);
    int spikes = 0;
    for (const ColumnExtent& column : columns) {
        ASSERT_TRUE(column.Any);
        if (column.Max == 1000.0)
            ++spikes;
        else
            EXPECT_LT(column.Max, 1.0);
    }
    EXPECT_EQ(spikes, 1);
    EXPECT_TRUE(columns[kSpike * 800 / 100'000].Max == 1000.0);
}

TEST(PlotDecimation, LeavesColumnsWithoutPointsEmptyAndKeepsArrivalOrderPerColumn) {
    Ring<PlotPoint> points(10);
    for (const auto& [x, y] : {std::pair{0, 5.0}, {1, -2.0}, {2, 3.0}, {9, 4.0}})
        points.push({x, x, y});
    const auto columns = DecimateColumns(points, 0, points.size(), PlotAxis::Time, {0, 10}, 5);
    ASSERT_TRUE(columns[0].Any);
    EXPECT_EQ(columns[0].Min, -2.0);
    EXPECT_EQ(columns[0].Max, 5.0);
    EXPECT_EQ(columns[0].First, 5.0);
    EXPECT_EQ(columns[0].Last, -2.0);
    EXPECT_FALSE(columns[2].Any);
    EXPECT_EQ(columns[4].Last, 4.0);
    EXPECT_TRUE(DecimateColumns(points, 0, points.size(), PlotAxis::Time, {5, 5}, 5)[0].Any == false);
}

TEST(PlotDecimation, ReadsBlockSummariesWithTheSameResultAsEveryPoint) {
    PlotSeries series{3, Ring<PlotPoint>(1), Ring<PointBlock>(1)};
    series.setCapacity(10'000);
    std::mt19937 random(11);
    std::normal_distribution<double> noise(5000.0, 2.0);
    for (int i = 0; i < 25'037; ++i) // the ring wraps in the middle of a block
        series.push({1000 + 3 * std::int64_t(i), i + 1, i == 21'111 ? 9000.0 : noise(random)});
    const Ring<PlotPoint>& points = series.Points;
    for (const auto& [axis, span, columns] : {std::tuple{PlotAxis::Time, PlotSpan{0, 1e9}, 800},
                                              {PlotAxis::Time, PlotSpan{50'000, 70'000}, 333},
                                              {PlotAxis::Record, PlotSpan{15'100, 25'037}, 97},
                                              {PlotAxis::Record, PlotSpan{20'000, 20'100}, 800},
                                              {PlotAxis::Record, PlotSpan{15'100, 25'037}, 0}}) {
        const auto [first, last] = SpanIndices(points, axis, span);
        const SpanSummary expected = SummarizeSpan(points, first, last, axis, span, columns);
        const SpanSummary actual = SummarizeSeries(series, first, last, axis, span, columns);
        EXPECT_EQ(actual.Stats.Count, expected.Stats.Count);
        EXPECT_EQ(actual.Stats.Min, expected.Stats.Min);
        EXPECT_EQ(actual.Stats.Max, expected.Stats.Max);
        EXPECT_EQ(actual.Stats.Last, expected.Stats.Last);
        EXPECT_NEAR(actual.Stats.Mean, expected.Stats.Mean, 1e-9);
        EXPECT_NEAR(actual.Stats.StdDev, expected.Stats.StdDev, 1e-9);
        ASSERT_EQ(actual.Columns.size(), expected.Columns.size());
        for (std::size_t c = 0; c < actual.Columns.size(); ++c) {
            const ColumnExtent& a = actual.Columns[c];
            const ColumnExtent& e = expected.Columns[c];
            EXPECT_TRUE(a.Any == e.Any && a.Min == e.Min && a.Max == e.Max && a.First == e.First &&
                        a.Last == e.Last)
                << "column " << c << " of " << columns;
        }
    }
}

struct ColumnsCase {
    const char* Name;
    PlotAxis Axis;
    std::size_t Capacity;
    double SpanWidth;
    int Columns;
    int PauseAfter; ///< chunks after which the span stops moving; -1 never
};

class ColumnCache : public testing::TestWithParam<ColumnsCase> {};

// A frame at a time, the kept columns give what reading every point of the span gives.
TEST_P(ColumnCache, FollowsTheSeriesAsReadingEveryPointWould) {
    const ColumnsCase& c = GetParam();
    PlotSeries series{1, Ring<PlotPoint>(1), Ring<PointBlock>(1)};
    series.setCapacity(c.Capacity);
    SeriesColumns cache;
    std::mt19937 random(5);
    std::normal_distribution<double> noise(20.0, 0.5);
    std::int64_t sequence = 0;
    std::int64_t ms = 1'765'200'000'000;
    double pausedEnd = 0;
    for (int chunk = 0; chunk < 60; ++chunk) {
        for (int i = 0; i < 37 + chunk * 53 % 700; ++i) {
            ms += 1 + sequence % 3;
            ++sequence;
            series.push({ms, sequence, sequence == 20'000 ? 1e4 : noise(random)});
        }
        const PlotPoint& newest = series.Points.back();
        if (chunk == c.PauseAfter)
            pausedEnd = PlotX(newest, c.Axis);
        const double end = c.PauseAfter >= 0 && chunk >= c.PauseAfter ? pausedEnd : PlotX(newest, c.Axis);
        const PlotSpan span{end - c.SpanWidth, end};
        const SpanSummary actual = cache.summarize(series, c.Axis, span, c.Columns);

        const auto [first, last] = SpanIndices(series.Points, c.Axis, span);
        const SeriesStatistics expected = StatisticsOf(series.Points, first, last);
        ASSERT_EQ(actual.Stats.Count, expected.Count) << "chunk " << chunk;
        EXPECT_EQ(actual.Stats.Min, expected.Min);
        EXPECT_EQ(actual.Stats.Max, expected.Max);
        EXPECT_EQ(actual.Stats.Last, expected.Last);
        EXPECT_NEAR(actual.Stats.Mean, expected.Mean, 1e-9);
        EXPECT_NEAR(actual.Stats.StdDev, expected.StdDev, 1e-9);

        // Every point of the span in its grid column, in arrival order.
        const double width = c.SpanWidth / c.Columns;
        const auto k0 = static_cast<std::int64_t>(std::floor(span.From / width));
        EXPECT_NEAR(actual.ColumnShift, double(k0) - span.From / width, 1e-9);
        std::vector<ColumnExtent> columns(actual.Columns.size());
        for (std::size_t i = first; i < last; ++i) {
            const PlotPoint& p = series.Points[i];
            const auto k = static_cast<std::size_t>(
                static_cast<std::int64_t>(std::floor(PlotX(p, c.Axis) / width)) - k0);
            ASSERT_LT(k, columns.size());
            ColumnExtent& e = columns[k];
            e = e.Any ? ColumnExtent{true, std::min(e.Min, p.Y), std::max(e.Max, p.Y), e.First, p.Y}
                      : ColumnExtent{true, p.Y, p.Y, p.Y, p.Y};
        }
        for (std::size_t k = 0; k < columns.size(); ++k) {
            const ColumnExtent& a = actual.Columns[k];
            const ColumnExtent& e = columns[k];
            ASSERT_TRUE(a.Any == e.Any && a.Min == e.Min && a.Max == e.Max && a.First == e.First &&
                        a.Last == e.Last)
                << "chunk " << chunk << " column " << k;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Series, ColumnCache,
    testing::Values(ColumnsCase{"TimeAxis", PlotAxis::Time, 1'000'000, 20'000, 700, -1},
                    ColumnsCase{"RingDropsPointsOfTheSpan", PlotAxis::Time, 9'000, 60'000, 333, -1},
                    ColumnsCase{"RecordAxisWiderColumnsThanPoints", PlotAxis::Record, 50'000, 500, 800, -1},
                    ColumnsCase{"RecordAxis", PlotAxis::Record, 50'000, 10'000, 97, -1},
                    ColumnsCase{"Paused", PlotAxis::Time, 30'000, 10'000, 500, 25}),
    [](const testing::TestParamInfo<ColumnsCase>& row) { return std::string(row.param.Name); });

struct RangeCase {
    double Low;
    double High;
    AxisRange Expected;
};

class NiceRanges : public testing::TestWithParam<RangeCase> {};

TEST_P(NiceRanges, EncloseTheDataOnRoundTicks) {
    const RangeCase& c = GetParam();
    const AxisRange range = NiceRange(c.Low, c.High);
    EXPECT_NEAR(range.Low, c.Expected.Low, 1e-9);
    EXPECT_NEAR(range.High, c.Expected.High, 1e-9);
    EXPECT_NEAR(range.Step, c.Expected.Step, 1e-12);
    EXPECT_LE(range.Low, std::min(c.Low, c.High));
    EXPECT_GE(range.High, std::max(c.Low, c.High));
}

INSTANTIATE_TEST_SUITE_P(Data, NiceRanges,
                         testing::Values(RangeCase{0.3, 9.7, {0, 10, 2}}, RangeCase{9.7, 0.3, {0, 10, 2}},
                                         RangeCase{-0.5, 0.6, {-0.5, 1.0, 0.5}},
                                         RangeCase{100.012, 100.017, {100.012, 100.017, 0.001}},
                                         RangeCase{0, 0, {-0.6, 0.6, 0.2}}, RangeCase{5, 5, {4.4, 5.6, 0.2}},
                                         RangeCase{-1e6, 3e6, {-1e6, 3e6, 1e6}}));

TEST(FixedRange, KeepsTheUsersBoundsInEitherOrder) {
    const AxisRange range = FixedRange(10, -10);
    EXPECT_EQ(range.Low, -10);
    EXPECT_EQ(range.High, 10);
    EXPECT_EQ(range.Step, 5);
    EXPECT_EQ(FixedRange(3, 3).High, 4);
    EXPECT_EQ(NiceRange(NAN, 1).High, 1);
}

TEST(PlotCsv, HasOneLinePerRecordOfTheSpanWithGapsWhereAFieldHeldNoNumber) {
    PlotData data;
    RecordFeed feed(1'765'202'709'000, 250);
    data.add(feed.next({"1.5", "x", "10"}));
    data.add(feed.next({"OVER", "x", "11"}));
    data.add(feed.next({"-2", "x", "12"}));
    data.add(feed.next({"0.1", "x", "13"}));
    const double to = double(feed.NextMs - 2 * feed.StepMs);
    EXPECT_EQ(PlotCsv(data, {1, 2, 3}, PlotAxis::Time, {0, to}), "Time,Record,Field 1,Field 3\r\n"
                                                                 "2025-12-08T14:05:09.000Z,1,1.5,10\r\n"
                                                                 "2025-12-08T14:05:09.250Z,2,,11\r\n"
                                                                 "2025-12-08T14:05:09.500Z,3,-2,12\r\n");
    EXPECT_EQ(PlotCsv(data, {3}, PlotAxis::Record, {4, 4}), "Time,Record,Field 3\r\n"
                                                            "2025-12-08T14:05:09.750Z,4,13\r\n");
}

} // namespace
} // namespace quorvane
