// The live plot's frame cost, offscreen and without the engine: 4 series of POINTS points each over
// the visible span (60 s), then frames as the window draws them while the stream goes on at the same
// rate, a thirtieth of a second of records before each; prints per frame (p50, p99, max) the wall and
// CPU time of its drawing on the canvas' drawing thread, the CPU time of the widget's own thread (the
// engine's), and the CPU time of the frame's computation alone, from the columns kept from frame to
// frame and from every point of the span. Run by hand on a release build:
//   QT_QPA_PLATFORM=offscreen build/release/bench/plot_paint [POINTS] [FRAMES]

#include "ThreadTiming.h"
#include "records/PlotView.h"
#include "runtime/PlotCanvas.h"
#include "runtime/PlotWindow.h"

#include <QApplication>
#include <QTemporaryFile>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

using quorvane::bench::cpuMicros;
using quorvane::bench::report;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // The canvas writes each frame's times to its paint log.
    QTemporaryFile paintLog;
    if (!paintLog.open())
        return 1;
    setenv("QUORVANE_PAINT_LOG", paintLog.fileName().toLocal8Bit().constData(), 1);
    const int points = argc > 1 ? std::stoi(argv[1]) : 300'000;
    const int frames = argc > 2 ? std::stoi(argv[2]) : 100;

    quorvane::PlotWindow window("COM1");
    window.resize(1000, 600);
    window.show();
    quorvane::FieldSlots fieldSlots = quorvane::InitialFieldSlots();
    const std::int64_t start = 1'765'200'000'000;
    int records = 0;
    // 60 s of records, the default span, at the rate that fills it with `points`.
    const auto feed = [&](int count) {
        for (int n = 0; n < count; ++n, ++records) {
            const int i = records;
            for (int f = 1; f <= 4; ++f)
                fieldSlots[static_cast<std::size_t>(f)] = std::to_string(std::sin(i * 0.001 * f) * 100 + f);
            const std::int64_t ms = start + std::int64_t(i) * 60'000 / points;
            window.recordCompleted({i + 1, i + 1, ms, {}, "COM1", fieldSlots, 4});
        }
    };
    feed(points);
    std::vector<long long> kept;
    std::vector<long long> every;
    quorvane::PlotCanvas* canvas = window.canvas();
    quorvane::PlotColumnCache columns;
    const int width = canvas->plotArea().width();
    for (int frame = 0; frame < frames; ++frame) {
        feed(std::max(points / 60 / 30, 1));
        canvas->changed();
        while (canvas->framePending())
            app.processEvents(QEventLoop::WaitForMoreEvents);
        app.processEvents(); // the paint that shows it
        long long t0 = cpuMicros();
        [[maybe_unused]] const quorvane::PlotFrame fromKept =
            quorvane::ComputeFrame(window.data(), window.settings(), width, &columns);
        kept.push_back(cpuMicros() - t0);
        t0 = cpuMicros();
        [[maybe_unused]] const quorvane::PlotFrame fromEvery =
            quorvane::ComputeFrame(window.data(), window.settings(), width);
        every.push_back(cpuMicros() - t0);
    }
    std::vector<long long> drawWall;
    std::vector<long long> drawCpu;
    std::vector<long long> own;
    std::ifstream logged(paintLog.fileName().toStdString());
    for (long long wall = 0, cpu = 0, engine = 0; logged >> wall >> cpu >> engine;) {
        drawWall.push_back(wall);
        drawCpu.push_back(cpu);
        own.push_back(engine);
    }
    if (own.empty())
        return 1;
    std::printf("4 series x %d points in the span, %d frames of %dx%d:\n", points, frames, canvas->width(),
                canvas->height());
    report("drawing (wall)", drawWall);
    report("drawing (CPU)", drawCpu);
    report("engine thread (CPU)", own);
    report("frame, kept columns", kept);
    report("frame, every point", every);
    return 0;
}
