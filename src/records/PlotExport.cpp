#include "records/PlotExport.h"

#include "records/CsvText.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace quorvane {

namespace {

// Shortest text that reads back as the same double.
std::string numberText(double y) {
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", y);
    for (int precision = 6; precision < 17; ++precision) {
        char shorter[32];
        std::snprintf(shorter, sizeof shorter, "%.*g", precision, y);
        if (std::strtod(shorter, nullptr) == y)
            return shorter;
    }
    return text;
}

} // namespace

std::string UtcTimeText(std::int64_t unixMs) {
    using namespace std::chrono;
    const sys_time<milliseconds> time{milliseconds{unixMs}};
    const sys_days day = floor<days>(time);
    const year_month_day date{day};
    const hh_mm_ss clock{time - day};
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02ld:%02ld:%02ld.%03ldZ", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<long>(clock.hours().count()), static_cast<long>(clock.minutes().count()),
                  static_cast<long>(clock.seconds().count()), static_cast<long>(clock.subseconds().count()));
    return text;
}

std::string PlotCsv(const PlotData& data, const std::vector<int>& fields, PlotAxis axis, PlotSpan span) {
    struct Cursor {
        const Ring<PlotPoint>* Points = nullptr;
        std::size_t At = 0;
        std::size_t End = 0;
    };
    std::vector<Cursor> cursors;
    std::vector<std::string> header{"Time", "Record"};
    for (const int field : fields) {
        const PlotSeries* series = data.seriesOf(field);
        if (!series)
            continue;
        const auto [first, last] = SpanIndices(series->Points, axis, span);
        cursors.push_back({&series->Points, first, last});
        header.push_back("Field " + std::to_string(field));
    }
    std::string out;
    AppendCsvLine(out, header);
    std::vector<std::string> cells(header.size());
    // Merge the series by record: each line is the lowest record any series has next.
    for (;;) {
        std::int64_t next = std::numeric_limits<std::int64_t>::max();
        const PlotPoint* stamp = nullptr;
        for (const Cursor& c : cursors) {
            if (c.At < c.End && (*c.Points)[c.At].Sequence < next) {
                next = (*c.Points)[c.At].Sequence;
                stamp = &(*c.Points)[c.At];
            }
        }
        if (!stamp)
            break;
        cells[0] = UtcTimeText(stamp->UnixMs);
        cells[1] = std::to_string(stamp->Sequence);
        for (std::size_t s = 0; s < cursors.size(); ++s) {
            Cursor& c = cursors[s];
            if (c.At < c.End && (*c.Points)[c.At].Sequence == next)
                cells[s + 2] = numberText((*c.Points)[c.At++].Y);
            else
                cells[s + 2].clear();
        }
        AppendCsvLine(out, cells);
    }
    return out;
}

} // namespace quorvane
