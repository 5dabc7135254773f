#pragma once
// An engine wired to the fake platform, and a framing harness that collects finished records.

#include "config/Configuration.h"
#include "engine/CharFilter.h"
#include "engine/Engine.h"
#include "engine/RecordFraming.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeEngineView.h"
#include "fakes/FakeFileAccess.h"
#include "fakes/FakePrompts.h"
#include "fakes/FakeSerialDevice.h"
#include "fakes/FakeSettingsStore.h"
#include "fakes/FakeSoundBeep.h"
#include "serial/PortBindings.h"
#include "serial/SerialPort.h"

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

namespace quorvane::test {

/// A default configuration (COM1, one field, CR end, log mode into memory).
inline Configuration engineTestConfig() {
    Configuration config;
    ResetConfiguration(config);
    config.OutputMode = 2;
    config.LogFileName = "/log/capture.log";
    return config;
}

/// The fake platform an engine runs on: device, port, settings store, prompts, clock, view, beeps and
/// in-memory files. The port's waits (the DTR pulse) move the fake clock instead of sleeping.
struct FakePlatform {
    explicit FakePlatform(Configuration initial)
        : Config(std::move(initial)), Bindings(Store),
          Port(Device, Config, Prompts, Clock, Bindings, [this](std::chrono::milliseconds ms) {
              Clock.advance(static_cast<std::uint32_t>(ms.count()));
          }) {}

    /// Opens the port, or in Virtual Instrument Mode starts the virtual device, whose output
    /// collects in VirtualShown.
    void openPort(ActivationKind activation) {
        if (activation == ActivationKind::VirtualInstrument)
            Port.startVirtualMode([this](std::string_view shown) { VirtualShown += shown; });
        else
            Port.OpenPort();
    }
    /// Bytes the device sends (the virtual device's input in Virtual Instrument Mode).
    void deviceSends(quorvane::Engine& engine, std::string_view bytes) {
        if (Port.isVirtual())
            engine.VirtualInput().append(bytes);
        else
            Device.Incoming += bytes;
    }
    /// Runs n ticks, 50 ms apart on the clock.
    void runTicks(quorvane::Engine& engine, int n) {
        for (int i = 0; i < n; ++i) {
            Clock.advance(50);
            engine.Timer1_Timer();
        }
    }

    Configuration Config;
    FakeSerialDevice Device;
    FakeSettingsStore Store;
    PortBindings Bindings;
    FakePrompts Prompts;
    FakeClock Clock;
    SerialPort Port;
    FakeEngineView View;
    FakeSoundBeep Sounds;
    FakeFileAccess Files;
    EngineExtensionList Extensions;
    std::string VirtualShown;
};

/// The engine alone on the fake platform.
struct EngineRig : FakePlatform {
    explicit EngineRig(Configuration initial = engineTestConfig(),
                       ActivationKind activation = ActivationKind::Normal, char decimalSeparator = '.')
        : FakePlatform(std::move(initial)),
          Engine(Config, {Port, View, Prompts, Sounds, Clock, Store, Files, nullptr},
                 {activation, decimalSeparator, FormatLocale{}}) {
        openPort(activation);
    }

    /// Form_Load.
    EngineRig& load() {
        Engine.Form_Load();
        return *this;
    }
    /// Bytes the device sends (the virtual device in Virtual Instrument Mode).
    EngineRig& send(std::string_view bytes) {
        deviceSends(Engine, bytes);
        return *this;
    }
    /// Runs n ticks, 50 ms apart on the clock.
    EngineRig& tick(int n = 1) {
        runTicks(Engine, n);
        return *this;
    }
    /// Everything written to the log file so far.
    std::string log() const {
        const auto it = Files.Files.find(Config.LogFileName);
        return it == Files.Files.end() ? std::string() : it->second;
    }

    quorvane::Engine Engine;
};

/// Framing alone: each completed record is kept as the raw texts of its slots 1..fieldCount.
class FramingHarness final : public RecordSink {
public:
    explicit FramingHarness(const Settings& settings, char decimalSeparator = '.')
        : m_framing(State, Slots, m_filter, *this),
          m_fieldCount(std::clamp<int>(settings.FieldCount, 1, kMaxFields)) {
        m_translation = OutputTranslation::ForMode(settings);
        m_filter.configure(settings, m_translation, decimalSeparator);
        State.DispatchMode = DeriveDispatchMode(settings.EndOfRecordEvent, settings.RecordStructure);
        State.EndChars = DeriveEndChars(settings.EndOfRecordEvent, settings.EndOfRecordChars);
        m_framing.configure(settings, decimalSeparator);
    }

    void CompleteRecord() override {
        State.InRecord = false;
        State.PrevWasSpace = false;
        std::vector<std::string> fields;
        for (int i = 1; i <= m_fieldCount; ++i)
            fields.push_back(std::get<std::string>(Slots[static_cast<std::size_t>(i)]));
        Records.push_back(State.VoidPending ? std::vector<std::string>{"<void>"} : fields);
        State.VoidPending = false;
        ClearFieldSlots(Slots, 40);
    }

    /// Frames bytes as the engine does: runs of plain field bytes at once, the rest byte by byte.
    FramingHarness& feed(std::string_view bytes) {
        while (!bytes.empty()) {
            std::size_t taken = m_framing.FramePlainRun(bytes);
            if (taken == 0) {
                m_framing.FrameByte(static_cast<unsigned char>(bytes.front()));
                taken = 1;
            }
            bytes.remove_prefix(taken);
        }
        return *this;
    }
    /// Frames bytes one at a time.
    FramingHarness& feedEachByte(std::string_view bytes) {
        for (const char c : bytes)
            m_framing.FrameByte(static_cast<unsigned char>(c));
        return *this;
    }
    /// One tick without input: the idle count goes up and the gap is checked.
    FramingHarness& idleTick() {
        State.IdleTicks = (State.IdleTicks + 1) % 256;
        m_framing.CheckRecordGap();
        return *this;
    }
    /// Text of slot n of the record being built.
    std::string slot(int n) const { return std::get<std::string>(Slots[static_cast<std::size_t>(n)]); }

    EngineState State;
    FieldSlots Slots = InitialFieldSlots();
    std::vector<std::vector<std::string>> Records;

private:
    OutputTranslation m_translation;
    CharFilter m_filter;
    RecordFraming m_framing;
    int m_fieldCount;
};

/// Fields of records, for comparisons.
using Records = std::vector<std::vector<std::string>>;

} // namespace quorvane::test
