// The record history's refresh cost, offscreen and without the engine: the window as large as the
// window benchmark's screen, records of 4 numeric fields at RATE a second, and REFRESHES refreshes as
// the window makes them under load (twice a second, the rows that arrived meanwhile added, the oldest
// dropped, the table following the bottom); prints the CPU and wall time per refresh (p50, p99, max)
// of the rows' update and of the repaint of the table's rows in view. Run by hand on a release build:
//   QT_QPA_PLATFORM=offscreen build/release/bench/history_paint [RATE] [REFRESHES]

#include "ThreadTiming.h"
#include "platform/SettingsStore.h"
#include "runtime/HistoryWindow.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QTableView>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

using quorvane::bench::cpuMicros;
using quorvane::bench::report;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int rate = argc > 1 ? std::stoi(argv[1]) : 5000;
    const int refreshes = argc > 2 ? std::stoi(argv[2]) : 100;

    quorvane::NoSettingsStore store;
    quorvane::HistoryWindow window("COM1", store);
    window.resize(1280, 1000);
    window.show();
    auto* table = window.findChild<QTableView*>(QStringLiteral("HistoryTable"));
    quorvane::FieldSlots fieldSlots = quorvane::InitialFieldSlots();
    const std::int64_t start = 1'765'200'000'000;
    int records = 0;
    // The window benchmark's stream: a count, a reading, a small signed number, an angle.
    const auto feed = [&](int count) {
        for (int n = 0; n < count; ++n, ++records) {
            const int i = records;
            const std::string fields[4]{std::to_string(i),
                                        std::to_string(i % 977) + "." + std::to_string(i * 7 % 1000),
                                        std::to_string(i % 50 - 25), std::to_string((i % 6283) / 1000.0)};
            for (int f = 1; f <= 4; ++f)
                fieldSlots[static_cast<std::size_t>(f)] = fields[f - 1];
            const std::int64_t ms = start + std::int64_t(i) * 1000 / rate;
            quorvane::LocalDateTime local{2026,
                                          12,
                                          8,
                                          21,
                                          static_cast<int>(ms / 60'000 % 60),
                                          static_cast<int>(ms / 1000 % 60),
                                          static_cast<int>(ms % 1000)};
            window.recordCompleted({i + 1, i + 1, ms, local, "COM1", fieldSlots, 4});
        }
    };
    feed(std::min(rate * 10, 10'000));
    window.refresh();
    std::vector<long long> rows;
    std::vector<long long> paint;
    std::vector<long long> walls;
    for (int refresh = 0; refresh < refreshes; ++refresh) {
        feed(rate / 2);
        long long t0 = cpuMicros();
        window.refresh();
        rows.push_back(cpuMicros() - t0);
        QElapsedTimer wall;
        wall.start();
        t0 = cpuMicros();
        [[maybe_unused]] const QPixmap drawn = table->viewport()->grab();
        paint.push_back(cpuMicros() - t0);
        walls.push_back(wall.nsecsElapsed() / 1000);
    }
    std::printf("%d records/s, %d refreshes of a %dx%d table:\n", rate, refreshes, table->viewport()->width(),
                table->viewport()->height());
    report("rows (CPU)", rows);
    report("repaint (CPU)", paint);
    report("repaint (wall)", walls);
    return 0;
}
