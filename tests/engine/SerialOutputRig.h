#pragma once
// The engine with its serial output extension and fake hot keys on the fake platform.

#include "engine/EngineTestSupport.h"
#include "engine/SerialOutput.h"
#include "fakes/FakeHotKeys.h"

#include <string>

namespace quorvane::test {

/// Key word of a hot key: modifiers (1 Shift, 2 Ctrl, 4 Alt) times 256 plus the virtual-key code.
constexpr std::int16_t keyWord(int modifiers, int virtualKey) {
    return static_cast<std::int16_t>(modifiers * 256 + virtualKey);
}

struct SerialOutputRig {
    explicit SerialOutputRig(Configuration initial = engineTestConfig(),
                             ActivationKind activation = ActivationKind::Normal)
        : Config(std::move(initial)), Bindings(Store),
          // The DTR pulse waits on the clock: the pause moves the fake clock instead of sleeping.
          Port(Device, Config, Prompts, Clock, Bindings,
               [this](std::chrono::milliseconds ms) {
                   Clock.advance(static_cast<std::uint32_t>(ms.count()));
               }),
          Engine(Config, {Port, View, Prompts, Sounds, Clock, Store, Files, &Extensions},
                 {activation, '.', FormatLocale{}}),
          Output(Engine, Config, Port, View, Clock, &Keys) {
        Extensions.add(Output);
        if (activation == ActivationKind::VirtualInstrument)
            Port.startVirtualMode([this](std::string_view shown) { VirtualShown += shown; });
        else
            Port.OpenPort();
    }

    SerialOutputRig& load() {
        Engine.Form_Load();
        return *this;
    }
    /// Runs n ticks, 50 ms apart on the clock.
    SerialOutputRig& tick(int n = 1) {
        for (int i = 0; i < n; ++i) {
            Clock.advance(50);
            Engine.Timer1_Timer();
        }
        return *this;
    }
    /// What reached the device (the virtual device window in Virtual Instrument Mode).
    const std::string& sent() const { return Port.isVirtual() ? VirtualShown : Device.Written; }
    /// Bytes the device sends.
    SerialOutputRig& send(std::string_view bytes) {
        if (Port.isVirtual())
            Engine.VirtualInput().append(bytes);
        else
            Device.Incoming += bytes;
        return *this;
    }
    /// Device calls other than reads and writes, in order.
    std::vector<std::string> lineCalls() const {
        std::vector<std::string> calls;
        for (const auto& call : Device.Calls)
            if (call.starts_with("break") || call.starts_with("dtr") || call.starts_with("rts"))
                calls.push_back(call);
        return calls;
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
    FakeHotKeys Keys;
    std::string VirtualShown;
    EngineExtensionList Extensions;
    quorvane::Engine Engine;
    SerialOutput Output;
};

} // namespace quorvane::test
