#pragma once
// The engine in DDE server mode on the fake platform and the fake bus, with the DDE bridge as its
// extension and every command handed to the bridge recorded.

#include "engine/bus/DdeBridge.h"
#include "engine/EngineTestSupport.h"
#include "fakes/FakeClipboard.h"
#include "fakes/FakeDdeBus.h"

#include <string>
#include <vector>

namespace quorvane::test {

/// COM1, three comma-delimited fields ended by CR, DDE server mode, a command to Excel|System.
inline Configuration ddeTestConfig() {
    Configuration config;
    ResetConfiguration(config);
    config.RecordStructure = 1;
    config.FieldCount = 3;
    config.OutputMode = 1;
    config.DdeCommand = "[RUN(\"Fetch\")]";
    return config;
}

struct DdeRig : FakePlatform {
    explicit DdeRig(Configuration initial = ddeTestConfig())
        : FakePlatform(std::move(initial)), Items(View),
          Engine(Config, {Port, Items, Prompts, Sounds, Clock, Store, Files, &Extensions},
                 {ActivationKind::Normal, '.', FormatLocale{}}),
          Bridge({Engine, Config, Items, Server, Client, Board, Prompts,
                  [this](std::string_view line) { Trace.emplace_back(line); }}) {
        Extensions.add(Bridge);
        Bridge.setCommandHandler([this](std::string_view command) {
            Commands.emplace_back(command);
            return AcceptCommands;
        });
        Port.OpenPort();
    }

    DdeRig& load() {
        Engine.Form_Load();
        return *this;
    }
    DdeRig& send(std::string_view bytes) {
        Device.Incoming += bytes;
        return *this;
    }
    DdeRig& tick(int n = 1) {
        runTicks(Engine, n);
        return *this;
    }
    /// The text of a served item, as a client requests it.
    std::optional<std::string> item(std::string_view name) { return Server.Handler->request(name); }

    FakeDdeServer Server;
    FakeDdeClient Client;
    FakeClipboard Board;
    std::vector<std::string> Trace;
    std::vector<std::string> Commands;
    bool AcceptCommands = true;
    DdeItemView Items;
    quorvane::Engine Engine;
    DdeBridge Bridge;
};

} // namespace quorvane::test
