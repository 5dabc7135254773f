// Random command texts through the command interpreter of an engine in DDE server mode, with its
// serial output, DDE bridge and links on the fake bus, clipboard and in-memory files. The first
// byte chooses Normal or Virtual Instrument Mode; the rest is split at line feeds into commands,
// each followed by one tick. {CONFIG(...)} reaches a reloader that refuses without touching files.
// Beyond the sanitizers it checks that every answer is accepted or refused and that a queued file
// never makes the output queue longer than its limit.

#include "../fakes/FakeClipboard.h"
#include "../fakes/FakeClock.h"
#include "../fakes/FakeDdeBus.h"
#include "../fakes/FakeEngineView.h"
#include "../fakes/FakeFileAccess.h"
#include "../fakes/FakePrompts.h"
#include "../fakes/FakeSerialDevice.h"
#include "../fakes/FakeSettingsStore.h"
#include "../fakes/FakeSoundBeep.h"
#include "engine/bus/CommandInterpreter.h"
#include "engine/bus/DdeBridge.h"
#include "engine/Engine.h"
#include "engine/output/SerialOutput.h"
#include "serial/PortBindings.h"
#include "serial/SerialPort.h"

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using namespace quorvane;
using namespace quorvane::test;

void check(bool condition) {
    if (!condition)
        std::abort();
}

class RefusingReload final : public ConfigReloader {
public:
    bool reloadConfiguration(const std::string&) override { return false; }
};

Configuration fuzzConfig() {
    Configuration config;
    ResetConfiguration(config);
    config.RecordStructure = 1;
    config.FieldCount = 3;
    config.OutputMode = 1;
    config.OutputStringName[1] = "String1";
    config.OutputString[1] = "S1\r";
    config.TimerInterval = 1000;
    config.TimerFlags = 1 | 2;
    config.TimerString = "X";
    return config;
}

struct Rig {
    explicit Rig(ActivationKind activation)
        : Config(fuzzConfig()), Bindings(Store),
          Port(Device, Config, Prompts, Clock, Bindings,
               [this](std::chrono::milliseconds ms) {
                   Clock.advance(static_cast<std::uint32_t>(ms.count()));
               }),
          Items(View), Engine(Config, {Port, Items, Prompts, Sounds, Clock, Store, Files, &Extensions},
                              {activation, '.', FormatLocale{}}),
          Output(Engine, Config, Port, Items, Clock),
          Bridge({Engine, Config, Items, Server, Client, Board, Prompts, {}}),
          Interpreter({Engine, Config, Output, Bridge, Items, Prompts, Clock, FormatLocale{}, Reload}) {
        Extensions.add(Bridge);
        Extensions.add(Output);
        Bridge.setCommandHandler([this](std::string_view command) { return Interpreter.execute(command); });
        if (activation == ActivationKind::VirtualInstrument)
            Port.startVirtualMode([](std::string_view) {});
        else
            Port.OpenPort();
        Files.Files["/f"] = std::string(64, 'f');
        Files.Files["/big"] = std::string(kMaxQueuedFileOutput - 10, 'b');
        Client.startPeer("Peer", "Cmds").Items["cmd"] = "";
        Board.Link = "Peer|Cmds!cmd";
        Board.Text = "";
        Engine.Form_Load();
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
    FakeDdeServer Server;
    FakeDdeClient Client;
    FakeClipboard Board;
    EngineExtensionList Extensions;
    RefusingReload Reload;
    DdeItemView Items;
    quorvane::Engine Engine;
    SerialOutput Output;
    DdeBridge Bridge;
    CommandInterpreter Interpreter;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const auto activation = (data[0] & 1) != 0 ? ActivationKind::VirtualInstrument : ActivationKind::Normal;
    Rig rig(activation);
    std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    for (int n = 0; n < 64 && !rest.empty(); ++n) {
        const std::size_t end = rest.find('\n');
        const std::string_view command = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);

        const std::size_t before = rig.Engine.OutputQueue().size();
        const CommandAck ack = rig.Interpreter.Form_LinkExecute(command);
        check(ack == CommandAck::Accepted || ack == CommandAck::Refused);
        if (ack == CommandAck::Accepted && UpperCodePage(command).find("{SENDFILE(") != std::string::npos &&
            rig.Engine.OutputQueue().size() > before)
            check(rig.Engine.OutputQueue().size() <= kMaxQueuedFileOutput);
        rig.Clock.advance(50);
        rig.Engine.Timer1_Timer();
    }
    return 0;
}
