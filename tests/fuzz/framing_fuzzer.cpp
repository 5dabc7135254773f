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
#include "FuzzedFraming.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

using namespace quorvane;
using fuzz::check;
using fuzz::Reader;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Configuration config;
    ResetConfiguration(config);
    config.LogFileName = "fuzz.log";
    Reader in(data, size);
    fuzz::configure(in, config);
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
