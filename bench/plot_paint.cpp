// The live plot's frame cost, offscreen and without the engine: 4 series of POINTS points each over
// the visible span, one repaint at a time; prints the CPU time per frame (p50, p99, max) of the
// whole repaint, and of the frame's computation alone. Run by hand on a release build:
//   QT_QPA_PLATFORM=offscreen build/release/bench/plot_paint [POINTS] [FRAMES]

#include "records/PlotView.h"
#include "runtime/PlotCanvas.h"
#include "runtime/PlotWindow.h"

#include <QApplication>
#include <QPixmap>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

namespace {

long long cpuMicros() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<long long>(now.tv_sec) * 1'000'000 + now.tv_nsec / 1000;
}

void report(const char* what, std::vector<long long> micros) {
    std::sort(micros.begin(), micros.end());
    const auto at = [&](double q) {
        return static_cast<double>(
                   micros[std::min(micros.size() - 1, std::size_t(q * double(micros.size())))]) /
               1000.0;
    };
    std::printf("%-22s p50 %6.2f ms  p99 %6.2f ms  max %6.2f ms\n", what, at(0.5), at(0.99),
                static_cast<double>(micros.back()) / 1000.0);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int points = argc > 1 ? std::stoi(argv[1]) : 300'000;
    const int frames = argc > 2 ? std::stoi(argv[2]) : 100;

    quorvane::PlotWindow window("COM1");
    window.resize(1000, 600);
    window.show();
    quorvane::FieldSlots fieldSlots = quorvane::InitialFieldSlots();
    const std::int64_t start = 1'765'200'000'000;
    // 60 s of records, the default span.
    for (int i = 0; i < points; ++i) {
        for (int f = 1; f <= 4; ++f)
            fieldSlots[static_cast<std::size_t>(f)] = std::to_string(std::sin(i * 0.001 * f) * 100 + f);
        const std::int64_t ms = start + std::int64_t(i) * 60'000 / points;
        window.recordCompleted({i + 1, i + 1, ms, {}, "COM1", fieldSlots, 4});
    }
    std::vector<long long> paint;
    std::vector<long long> compute;
    quorvane::PlotCanvas* canvas = window.canvas();
    for (int frame = 0; frame < frames; ++frame) {
        long long t0 = cpuMicros();
        [[maybe_unused]] const QPixmap drawn = canvas->grab();
        paint.push_back(cpuMicros() - t0);
        t0 = cpuMicros();
        const quorvane::PlotFrame computed =
            quorvane::ComputeFrame(window.data(), window.settings(), canvas->plotArea().width());
        compute.push_back(cpuMicros() - t0);
    }
    std::printf("4 series x %d points in the span, %d frames of %dx%d:\n", points, frames, canvas->width(),
                canvas->height());
    report("paint (CPU)", paint);
    report("frame computation", compute);
    return 0;
}
