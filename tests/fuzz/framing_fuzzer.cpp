// Random record structures over random byte streams, through the whole engine in Virtual
// Instrument Mode: FrameByte, CheckRecordGap and CompleteRecord (with field processing and an
// in-memory log). The first 26 bytes choose the configuration, the rest is the stream, in which
// the byte 0xFF followed by n runs n % 8 ticks. Beyond the sanitizers it checks that FieldIndex
// stays in 1..41, that the overflow slot stays empty and that the tick always drains its input.

#include "../fakes/FakeClock.h"
#include "../fakes/FakeEngineView.h"
#include "../fakes/FakeFileAccess.h"
#include "../fakes/FakePrompts.h"
#include "../fakes/FakeSerialDevice.h"
#include "../fakes/FakeSettingsStore.h"
#include "../fakes/FakeSoundBeep.h"
#include "engine/Engine.h"
#include "serial/PortBindings.h"
#include "serial/SerialPort.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

using namespace quorvane;

void check(bool condition) {
    if (!condition)
        std::abort();
}

// Reads configuration bytes; past the end it gives zeros.
class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    std::uint8_t next() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    std::string rest() const {
        return m_pos < m_size ? std::string(reinterpret_cast<const char*>(m_data + m_pos), m_size - m_pos)
                              : std::string();
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

void configure(Reader& in, Configuration& config) {
    config.RecordStructure = static_cast<std::int16_t>(in.next() % 4);
    config.StartOfRecordEvent = static_cast<std::int16_t>(in.next() % 5);
    config.EndOfRecordEvent = static_cast<std::int16_t>(in.next() % 5);
    config.FieldDelimiter = std::string(1, static_cast<char>(in.next()));
    config.FieldCount = static_cast<std::int16_t>(in.next() % 44);
    const std::uint8_t lengthSeed = in.next();
    int sum = 0;
    for (std::size_t f = 1; f <= kMaxFields; ++f) {
        config.FieldLength[f] = static_cast<std::int16_t>((lengthSeed + f * 7) % 5);
        if (static_cast<int>(f) <= config.FieldCount)
            sum += config.FieldLength[f];
    }
    const std::uint8_t lengthSkew = in.next();
    config.RecordLength = static_cast<std::int16_t>(lengthSkew < 200 ? sum : lengthSkew - 200);
    config.TimeBetweenRecords = static_cast<std::int16_t>(in.next() % 6);
    config.StartOfRecordChars = std::string{static_cast<char>(in.next()), static_cast<char>(in.next())};
    config.EndOfRecordChars = std::string{static_cast<char>(in.next()), static_cast<char>(in.next())};
    for (int i = 0; i < 3; ++i) {
        const std::uint8_t byte = in.next();
        const std::uint8_t kind = in.next();
        config.PreInputTranslation[byte] = kind % 4 == 0   ? "Ignore"
                                           : kind % 4 == 1 ? "Void Record"
                                           : kind % 4 == 2 ? std::string(1, static_cast<char>(kind))
                                                           : std::string();
    }
    constexpr char kFilters[] = "CINHOBX";
    for (std::size_t f = 1; f <= 3; ++f)
        config.FieldFilter[f] = std::string(1, kFilters[in.next() % 7]);
    config.OutputMode = static_cast<std::int16_t>(in.next() % 3);
    config.FlowControl = static_cast<std::int16_t>(in.next() % 4);
    config.AckString = std::string(in.next() % 3, 'A');
    config.BeepOnInput = (in.next() & 1) ? kTrue : kFalse;
    const std::uint8_t control = in.next();
    config.FieldPostamble[1] = (control & 1) ? "{DAY}" : "";
    config.StartSuspended = kFalse;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Configuration config;
    ResetConfiguration(config);
    config.LogFileName = "fuzz.log";
    Reader in(data, size);
    configure(in, config);
    const std::string stream = in.rest();

    test::FakeSerialDevice device;
    test::FakeSettingsStore store;
    PortBindings bindings(store);
    test::FakePrompts prompts;
    test::FakeClock clock;
    SerialPort port(device, config, prompts, clock, bindings, [](auto) {});
    test::FakeEngineView view;
    test::FakeSoundBeep sounds;
    test::FakeFileAccess files;
    std::string shown;
    port.startVirtualMode([&shown](std::string_view text) { shown.assign(text); });
    Engine engine(config, {port, view, prompts, sounds, clock, store, files},
                  {ActivationKind::VirtualInstrument, (size & 1) ? ',' : '.', FormatLocale{}});
    engine.Form_Load();

    const auto tickOnce = [&] {
        clock.advance(50);
        engine.Timer1_Timer();
        check(engine.state().FieldIndex >= 1 && engine.state().FieldIndex <= kOverflowField);
        check(std::holds_alternative<EmptyValue>(engine.fieldSlots()[kOverflowField]) ||
              std::get<std::string>(engine.fieldSlots()[kOverflowField]).empty());
        check(engine.state().IdleTicks >= 0 && engine.state().IdleTicks < 256);
    };

    for (std::size_t i = 0; i < stream.size(); ++i) {
        const auto byte = static_cast<unsigned char>(stream[i]);
        if (byte == 0xFF && i + 1 < stream.size()) {
            const int ticks = static_cast<unsigned char>(stream[++i]) % 8;
            for (int t = 0; t < ticks; ++t) {
                tickOnce();
                check(engine.VirtualInput().empty());
            }
            continue;
        }
        engine.VirtualInput().append(std::string_view(&stream[i], 1));
    }
    tickOnce();
    check(engine.VirtualInput().empty());
    return 0;
}
