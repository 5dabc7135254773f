#pragma once
// The engine in DDE server mode with its serial output, the DDE bridge on the fake bus, the
// configuration reload and the command interpreter, all on the fake platform.

#include "engine/bus/CommandInterpreter.h"
#include "engine/bus/ConfigReload.h"
#include "engine/bus/DdeBridge.h"
#include "engine/EngineTestSupport.h"
#include "engine/output/SerialOutput.h"
#include "fakes/FakeClipboard.h"
#include "fakes/FakeDdeBus.h"
#include "platform/posix/PosixConfigFileAccess.h"

#include <chrono>
#include <string>

namespace quorvane::test {

/// COM1, three comma-delimited fields ended by CR, DDE server mode, two output strings, a timed
/// output that sends "X" every second; "!" voids the record in progress.
inline Configuration commandTestConfig() {
    Configuration config;
    ResetConfiguration(config);
    config.RecordStructure = 1;
    config.FieldCount = 3;
    config.OutputMode = 1;
    config.OutputStringName[1] = "String1";
    config.OutputString[1] = "S1\r";
    config.OutputStringName[2] = "Tare";
    config.OutputString[2] = std::string("T\0\r", 3);
    config.TimerInterval = 1000;
    config.TimerFlags = 1 | 2;
    config.TimerString = "X";
    config.PreInputTranslation['!'] = "Void Record";
    return config;
}

struct CommandRig : FakePlatform {
    explicit CommandRig(Configuration initial = commandTestConfig(),
                        ActivationKind activation = ActivationKind::Normal)
        : FakePlatform(std::move(initial)), Items(View),
          Engine(Config, {Port, Items, Prompts, Sounds, Clock, Store, Files, &Extensions},
                 {activation, '.', FormatLocale{}}),
          Output(Engine, Config, Port, Items, Clock),
          Bridge({Engine, Config, Items, Server, Client, Board, Prompts, {}}),
          Reload({Engine, Config, Port, Items, Extensions, Prompts, ConfigFileIo}),
          Interpreter({Engine, Config, Output, Bridge, Items, Prompts, Clock, FormatLocale{}, Reload}) {
        Extensions.add(Bridge);
        Extensions.add(Output);
        Bridge.setCommandHandler([this](std::string_view command) { return Interpreter.execute(command); });
        openPort(activation);
        Engine.Form_Load();
        Device.Calls.clear();
    }

    /// A command as the server receives it.
    CommandAck run(std::string_view command) { return Interpreter.Form_LinkExecute(command); }
    CommandRig& send(std::string_view bytes) {
        Device.Incoming += bytes;
        return *this;
    }
    CommandRig& tick(int n = 1) {
        runTicks(Engine, n);
        return *this;
    }
    std::string& queue() { return Engine.OutputQueue(); }

    FakeDdeServer Server;
    FakeDdeClient Client;
    FakeClipboard Board;
    PosixConfigFileAccess ConfigFileIo;
    DdeItemView Items;
    quorvane::Engine Engine;
    SerialOutput Output;
    DdeBridge Bridge;
    ConfigReload Reload;
    CommandInterpreter Interpreter;
};

inline constexpr CommandAck kAccepted = CommandAck::Accepted;
inline constexpr CommandAck kRefused = CommandAck::Refused;

} // namespace quorvane::test
