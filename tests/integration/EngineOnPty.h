#pragma once
// An engine reading a real pseudo-terminal through the termios device, with fakes for the rest:
// two comma-delimited fields, processed and shown only (the fields are what a test reads). `Clock`
// is a fake clock for tests that drive the ticks, the system clock for tests that run the event loop.

#include <gtest/gtest.h>

#include "engine/Engine.h"
#include "fakes/FakeEngineView.h"
#include "fakes/FakePrompts.h"
#include "fakes/FakeSettingsStore.h"
#include "fakes/FakeSoundBeep.h"
#include "platform/posix/PosixFileAccess.h"
#include "platform/posix/PosixSerialDevice.h"
#include "serial/PortBindings.h"
#include "serial/PtyPair.h"

namespace quorvane::test {

template <class Clock>
class EngineOnPty {
protected:
    EngineOnPty() {
        ResetConfiguration(config);
        config.DataBitsIndex = 3;
        config.ParityIndex = 0;
        config.RecordStructure = 1;
        config.FieldCount = 2;
        config.OutputMode = 0;
        bindings.setOverride("COM1", pty.slavePath());
    }

    /// Opens the port and loads the engine.
    void start() {
        ASSERT_TRUE(pty.ok());
        ASSERT_TRUE(port.OpenPort());
        engine.Form_Load();
    }

    PtyPair pty;
    Configuration config;
    FakePrompts prompts;
    Clock clock;
    FakeSettingsStore store;
    PortBindings bindings{store};
    PosixSerialDevice device;
    SerialPort port{device, config, prompts, clock, bindings};
    FakeEngineView view;
    FakeSoundBeep sounds;
    PosixFileAccess files;
    EngineExtensionList extensions;
    Engine engine{config, EngineServices{port, view, prompts, sounds, clock, store, files, &extensions},
                  EngineEnvironment{}};
};

} // namespace quorvane::test
