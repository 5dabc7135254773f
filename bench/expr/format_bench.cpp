// Formats per second: the "Standard" named format and a three-section picture, numbers and
// numeric texts, in the "C" conventions.

#include "expr/ValueFormat.h"

#include <benchmark/benchmark.h>
#include <string>

namespace {

using namespace quorvane;

constexpr double kValues[] = {1234567.891, -0.5, 0.0, 42.0, -98765.4321, 2.675, 1e12, -3.0};

void formatNumbers(benchmark::State& state, const char* format) {
    const FormatLocale locale;
    std::size_t i = 0;
    for (auto _ : state) {
        std::string text = FormatValue(kValues[i++ % std::size(kValues)], format, locale);
        benchmark::DoNotOptimize(text);
    }
    state.SetItemsProcessed(state.iterations());
}

void standardNamedFormat(benchmark::State& state) {
    formatNumbers(state, "Standard");
}
BENCHMARK(standardNamedFormat);

void threeSectionPicture(benchmark::State& state) {
    formatNumbers(state, "#,##0.00;(#,##0.00);\"zero\"");
}
BENCHMARK(threeSectionPicture);

// Field slots hold texts, so the usual case reads the number from the text first.
void standardOnNumericText(benchmark::State& state) {
    const FormatLocale locale;
    const Value field = std::string("  -1234.567");
    for (auto _ : state) {
        std::string text = FormatValue(field, "Standard", locale);
        benchmark::DoNotOptimize(text);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(standardOnNumericText);

} // namespace

BENCHMARK_MAIN();
