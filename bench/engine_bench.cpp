// The engine alone: bytes through the tick, framing and field processing, with a device that serves
// a prepared stream and a delivery that discards. No window, file or port I/O is measured.

#include "engine/Engine.h"
#include "serial/PortBindings.h"
#include "serial/SerialPort.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstring>
#include <memory>
#include <string>

namespace quorvane {
namespace {

// 20 bytes, 3 comma-delimited fields, CR end; the LF opens the next record.
constexpr std::string_view kRecord = "ST,GS,    12.345 g\r\n";
constexpr int kRecordsPerTick = 10000;

class StreamDevice final : public SerialDevice {
public:
    bool open(const std::string&) override { return m_open = true; }
    ConfigureResult configure(const LineSettings&) override { return ConfigureResult::Ok; }
    std::size_t read(std::span<char> buffer) override {
        const std::size_t n = std::min(buffer.size(), Stream.size() - Position);
        std::memcpy(buffer.data(), Stream.data() + Position, n);
        Position += n;
        return n;
    }
    std::size_t write(std::string_view data) override { return data.size(); }
    bool purge() override { return true; }
    bool setBreak(bool) override { return true; }
    bool setDtr(bool) override { return true; }
    bool setRts(bool) override { return true; }
    std::uint32_t modemStatus() override { return 0; }
    void close() override { m_open = false; }
    bool isOpen() const override { return m_open; }

    std::string Stream;
    std::size_t Position = 0;

private:
    bool m_open = false;
};

class NullView final : public EngineView {
public:
    void setCaption(std::string_view) override {}
    void setWindowPosition(WindowPosition) override {}
    WindowPosition windowPosition() const override { return {}; }
    void setWindowHeight(int) override {}
    void setMinimized(bool) override {}
    bool isMinimized() const override { return false; }
    void setAlwaysOnTop(bool) override {}
    void clearFieldBoxes() override {}
    void addFieldBox(int, std::string_view, int, int) override {}
    void setFieldText(int, std::string_view text) override { benchmark::DoNotOptimize(text.data()); }
    void setRecordNumber(std::string_view) override {}
    void setDateTimeText(std::string_view) override {}
    void setDateTimeVisible(bool) override {}
    void setMenuCaption(EngineMenu, std::string_view) override {}
    void setMenuVisible(EngineMenu, bool) override {}
    void setStringButton(int, std::string_view, bool, int) override {}
    void setSignalButtons(bool, bool) override {}
    void addTrayIcon(std::string_view) override {}
    void removeTrayIcon() override {}
    void closeWindow() override {}
};

class QuietPrompts final : public UserPrompts {
public:
    MessageAnswer messageBox(std::string_view, std::string_view, MessageButtons, MessageIcon) override {
        return MessageAnswer::Ok;
    }
    std::optional<std::string> inputBox(std::string_view, std::string_view, std::string_view) override {
        return std::nullopt;
    }
    void beep() override {}
};

class QuietSounds final : public SoundBeep {
public:
    void messageBeep(std::uint32_t) override {}
};

class StillClock final : public Clock {
public:
    std::uint32_t tickCount() const override { return 0; }
    LocalDateTime now() const override { return {}; }
    std::int64_t unixMilliseconds() const override { return 0; }
};

class EmptyStore final : public SettingsStore {
public:
    std::string GetSetting(std::string_view, std::string_view, std::string_view,
                           std::string_view defaultValue) const override {
        return std::string(defaultValue);
    }
    void SaveSetting(std::string_view, std::string_view, std::string_view, std::string_view) override {}
};

class NoFiles final : public FileAccess {
public:
    AppendResult appendToFile(const std::string&, std::string_view bytes) override {
        return {bytes.size(), {}};
    }
    std::unique_ptr<AppendFile> openForAppend(const std::string&, std::string& error) override {
        error = "no files";
        return nullptr;
    }
    std::optional<std::string> readFile(const std::string&, std::size_t) override { return std::nullopt; }
};

class DiscardDelivery final : public RecordDelivery {
public:
    DeliveryOutcome deliverRecord(const FieldSlots& slots, int) override {
        benchmark::DoNotOptimize(&slots);
        ++Records;
        return DeliveryOutcome::Delivered;
    }
    std::int64_t Records = 0;
};

void runEngine(benchmark::State& state, bool withExpression) {
    Configuration config;
    ResetConfiguration(config);
    config.OutputMode = 2;
    config.RecordStructure = 1;
    config.FieldCount = 3;
    if (withExpression) {
        config.FieldFilter[3] = "N";
        config.FieldExpression[3] = "field(3)*2+1";
    }

    StreamDevice device;
    for (int i = 0; i < kRecordsPerTick; ++i)
        device.Stream += kRecord;
    EmptyStore store;
    PortBindings bindings(store);
    QuietPrompts prompts;
    StillClock clock;
    SerialPort port(device, config, prompts, clock, bindings);
    port.OpenPort();
    NullView view;
    QuietSounds sounds;
    NoFiles files;
    DiscardDelivery discard;
    Engine engine(config, {port, view, prompts, sounds, clock, store, files}, {});
    engine.setDelivery(2, discard);
    engine.Form_Load();

    for (auto _ : state) {
        device.Position = 0;
        engine.Timer1_Timer();
    }
    state.SetItemsProcessed(discard.Records);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kRecordsPerTick *
                            static_cast<std::int64_t>(kRecord.size()));
    state.counters["records/s"] =
        benchmark::Counter(static_cast<double>(discard.Records), benchmark::Counter::kIsRate);
}

void BM_EngineThreeFields(benchmark::State& state) {
    runEngine(state, false);
}
void BM_EngineThreeFieldsWithExpression(benchmark::State& state) {
    runEngine(state, true);
}

BENCHMARK(BM_EngineThreeFields)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EngineThreeFieldsWithExpression)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace quorvane

BENCHMARK_MAIN();
