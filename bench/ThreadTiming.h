#pragma once
// The window benchmarks' clocks and figures: the calling thread's CPU time, and p50/p99/max of a set
// of measurements.

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace quorvane::bench {

/// The calling thread's CPU time in microseconds: on a busy machine wall time also counts the others.
inline long long cpuMicros() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<long long>(now.tv_sec) * 1'000'000 + now.tv_nsec / 1000;
}

/// One line: `what`, then p50, p99 and max of `micros` in milliseconds.
inline void report(const char* what, std::vector<long long> micros) {
    if (micros.empty())
        return;
    std::sort(micros.begin(), micros.end());
    const auto at = [&](double q) {
        return static_cast<double>(
                   micros[std::min(micros.size() - 1, static_cast<std::size_t>(q * double(micros.size())))]) /
               1000.0;
    };
    std::printf("%-22s p50 %6.2f ms  p99 %6.2f ms  max %6.2f ms\n", what, at(0.5), at(0.99),
                static_cast<double>(micros.back()) / 1000.0);
}

} // namespace quorvane::bench
