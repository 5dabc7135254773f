#pragma once
// The engine with its serial output extension and fake hot keys on the fake platform.

#include "engine/EngineTestSupport.h"
#include "engine/output/SerialOutput.h"
#include "fakes/FakeHotKeys.h"

#include <string>

namespace quorvane::test {

/// Key word of a hot key: modifiers (1 Shift, 2 Ctrl, 4 Alt) times 256 plus the virtual-key code.
constexpr std::int16_t keyWord(int modifiers, int virtualKey) {
    return static_cast<std::int16_t>(modifiers * 256 + virtualKey);
}

struct SerialOutputRig : FakePlatform {
    explicit SerialOutputRig(Configuration initial = engineTestConfig(),
                             ActivationKind activation = ActivationKind::Normal)
        : FakePlatform(std::move(initial)),
          Engine(Config, {Port, View, Prompts, Sounds, Clock, Store, Files, &Extensions},
                 {activation, '.', FormatLocale{}}),
          Output(Engine, Config, Port, View, Clock, &Keys) {
        Extensions.add(Output);
        openPort(activation);
    }

    SerialOutputRig& load() {
        Engine.Form_Load();
        return *this;
    }
    /// Runs n ticks, 50 ms apart on the clock.
    SerialOutputRig& tick(int n = 1) {
        runTicks(Engine, n);
        return *this;
    }
    /// What reached the device (the virtual device window in Virtual Instrument Mode).
    const std::string& sent() const { return Port.isVirtual() ? VirtualShown : Device.Written; }
    /// Bytes the device sends.
    SerialOutputRig& send(std::string_view bytes) {
        deviceSends(Engine, bytes);
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

    FakeHotKeys Keys;
    quorvane::Engine Engine;
    SerialOutput Output;
};

} // namespace quorvane::test
