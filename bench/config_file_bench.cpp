// Reading and writing configuration files: encode and decode in memory, and the whole load and save
// through a real file.

#include <benchmark/benchmark.h>

#include <filesystem>

#include "config/ConfigFileFormat.h"
#include "config/ConfigFiles.h"

using namespace quorvane;

namespace {

// A configuration as a user would have it: 12 fields with formats and expressions, postambles,
// output strings and a handful of hot keys.
Settings typicalSettings() {
    Configuration c;
    ResetConfiguration(c);
    c.RecordStructure = 1;
    c.FieldCount = 12;
    for (std::size_t i = 1; i <= 12; ++i) {
        c.FieldFormat[i] = "0.000";
        c.FieldExpression[i] = "field(" + std::to_string(i) + ") * 2.5";
        c.FieldPostamble[i] = "{TAB}";
    }
    for (std::size_t i = 1; i <= 8; ++i)
        c.OutputString[i] = "P\r\n";
    for (std::size_t i = 0; i < 6; ++i) {
        c.HotKey[i] = static_cast<std::int16_t>(0x0370 + i);
        c.HotKeyAction[i] = 1;
        c.HotKeyString[i] = "Z\r";
    }
    c.EndOfRecordChars = "\r\n";
    return c;
}

void BM_EncodeConfigFile(benchmark::State& state) {
    const Settings s = typicalSettings();
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::string file = EncodeConfigFile(s);
        bytes += file.size();
        benchmark::DoNotOptimize(file);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_EncodeConfigFile);

void BM_DecodeConfigFile(benchmark::State& state) {
    const std::string file = EncodeConfigFile(typicalSettings());
    Settings s;
    for (auto _ : state) {
        auto result = DecodeConfigFile(file, s);
        benchmark::DoNotOptimize(result);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
}
BENCHMARK(BM_DecodeConfigFile);

void BM_SaveAndLoadThroughAFile(benchmark::State& state) {
    const std::string path = (std::filesystem::temp_directory_path() / "quorvane-bench.QV3").string();
    const Settings s = typicalSettings();
    for (auto _ : state) {
        if (!WriteWholeFile(path, EncodeConfigFile(s)))
            state.SkipWithError("cannot write");
        Settings read;
        auto bytes = ReadWholeFile(path);
        auto result = DecodeConfigFile(bytes.value_or(""), read);
        benchmark::DoNotOptimize(result);
    }
    std::filesystem::remove(path);
}
BENCHMARK(BM_SaveAndLoadThroughAFile);

} // namespace

BENCHMARK_MAIN();
