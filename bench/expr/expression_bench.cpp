// Evaluations per second of a typical field expression over a typical record.

#include "expr/ExpressionEvaluator.h"

#include <benchmark/benchmark.h>
#include <string>

namespace {

using namespace quorvane;

void fieldExpression(benchmark::State& state) {
    FieldSlots fields = InitialFieldSlots();
    fields[1] = std::string("12.75");
    fields[2] = std::string("  -3.5 kg");
    ExpressionEvaluator evaluator;
    Value result;
    for (auto _ : state) {
        const bool succeeded = evaluator.EvaluateExpression("field(1) * 2.5 + val(field(2))", fields, result);
        benchmark::DoNotOptimize(succeeded);
        benchmark::DoNotOptimize(result);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(fieldExpression);

} // namespace

BENCHMARK_MAIN();
