// The DDE bridge on a real (private) session bus: the engine reads a pseudo-terminal in this
// process with its DDE host, while quorvane-dde, gdbus and busctl are the other applications.
// Covers the items and their change signals, the request error, the command to the target after
// each record across a restart of the target, and both client links. Left out: the clipboard,
// which needs a display (the unit tests cover the link logic through a fake).

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>

#include <map>
#include <sstream>

#include "app/DdeHost.h"
#include "engine/Engine.h"
#include "platform/posix/PosixFileAccess.h"
#include "dde/ChildProcess.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeEngineView.h"
#include "fakes/FakePrompts.h"
#include "fakes/FakeSettingsStore.h"
#include "fakes/FakeSoundBeep.h"
#include "fakes/TempDir.h"
#include "platform/dbus/QtDdeServer.h"
#include "platform/posix/PosixSerialDevice.h"
#include "serial/PortBindings.h"
#include "serial/PtyPair.h"

namespace quorvane {
namespace {

class DdeBusTest : public testing::Test {
protected:
    DdeBusTest() {
        ResetConfiguration(config);
        config.DataBitsIndex = 3;
        config.ParityIndex = 0;
        config.RecordStructure = 1;
        config.FieldCount = 3;
        config.OutputMode = 1;
        config.DdeCommandApp = "Peer";
        config.DdeCommandTopic = "System";
        bindings.setOverride("COM1", pty.slavePath());
    }
    ~DdeBusTest() override {
        if (host && !engine.closed())
            engine.Form_Unload();
    }

    void start() {
        ASSERT_TRUE(pty.ok());
        ASSERT_TRUE(port.OpenPort());
        host = StartDdeHost({engine, config, items, prompts, [this](std::string_view command) {
                                 commands.emplace_back(command);
                                 return command == "{BEEP}";
                             }});
        extensions.add(host->extensions());
        engine.Form_Load();
    }
    // One turn of the host's loop: bus traffic, then a tick.
    void pump() {
        QCoreApplication::processEvents();
        engine.Timer1_Timer();
    }
    std::unique_ptr<test::ChildProcess> program(std::vector<std::string> args, const std::string& name) {
        return std::make_unique<test::ChildProcess>(std::move(args), dir.file(name + ".out"),
                                                    dir.file(name + ".err"), [this] { pump(); });
    }
    std::unique_ptr<test::ChildProcess> tool(std::vector<std::string> args, const std::string& name) {
        args.insert(args.begin(), QUORVANE_DDE_TOOL);
        return program(std::move(args), name);
    }
    std::unique_ptr<test::ChildProcess> peer(const std::string& topic, const std::string& name) {
        auto served = tool({"serve", "Peer", topic}, name);
        EXPECT_TRUE(served->waitForError("serving")) << served->errors();
        return served;
    }
    bool waitForRecords(std::int64_t count) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (engine.state().RecordNumber < count && std::chrono::steady_clock::now() < end) {
            pump();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return engine.state().RecordNumber >= count;
    }
    // What the device receives until `size` bytes came, pumping meanwhile.
    std::string deviceReceives(std::size_t size) {
        std::string got;
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (got.size() < size && std::chrono::steady_clock::now() < end) {
            pump();
            got += pty.receive(size - got.size(), std::chrono::milliseconds(5));
        }
        return got;
    }

    test::TempDir dir;
    test::PtyPair pty;
    Configuration config;
    test::FakePrompts prompts;
    test::FakeClock clock;
    test::FakeSettingsStore store;
    PortBindings bindings{store};
    PosixSerialDevice device;
    SerialPort port{device, config, prompts, clock, bindings};
    test::FakeEngineView window;
    DdeItemView items{window};
    test::FakeSoundBeep sounds;
    PosixFileAccess files;
    EngineExtensionList extensions;
    Engine engine{config, EngineServices{port, items, prompts, sounds, clock, store, files, &extensions},
                  EngineEnvironment{}};
    std::unique_ptr<DdeHost> host;
    std::vector<std::string> commands;
};

TEST_F(DdeBusTest, ItemsFollowEachRecordAndAWatcherSeesTheChangesInOrder) {
    start();
    auto watcher = tool({"watch", "Quorvane", "COM1"}, "watch");
    ASSERT_TRUE(watcher->waitForError("watching")) << watcher->errors();
    ASSERT_EQ(pty.send("1,2,3\r4,5,6\r"), 12u);
    ASSERT_TRUE(waitForRecords(2));
    ASSERT_TRUE(watcher->waitForOutput("RecordNumber=2\n"));
    EXPECT_EQ(watcher->output(), "Field(1)=1\nField(2)=2\nField(3)=3\nRecordNumber=1\n"
                                 "Field(1)=4\nField(2)=5\nField(3)=6\nRecordNumber=2\n");

    auto request = tool({"request", "quorvane", "com1", "Field(2)"}, "request");
    EXPECT_EQ(request->wait(), 0);
    EXPECT_EQ(request->output(), "5\n");
    auto names = tool({"items", "Quorvane", "COM1"}, "items");
    EXPECT_EQ(names->wait(), 0);
    EXPECT_EQ(names->output(), "Field(1)\nField(2)\nField(3)\nRecordNumber\nDateTime\n");
}

TEST_F(DdeBusTest, OtherBusToolsSeeTheInterfaceTheErrorAndTheProperties) {
    start();
    auto unknown = program({"/usr/bin/gdbus", "call", "--session", "--dest", "org.quorvane.dde.quorvane.com1",
                            "--object-path", "/org/quorvane/dde", "--method",
                            "org.quorvane.dde.Server.Request", "Nothing"},
                           "gdbus");
    EXPECT_NE(unknown->wait(), 0);
    EXPECT_NE(unknown->errors().find("org.quorvane.dde.Error.NoSuchItem"), std::string::npos)
        << unknown->errors();

    auto topic = program({"/usr/bin/busctl", "--user", "get-property", "org.quorvane.dde.quorvane.com1",
                          "/org/quorvane/dde", "org.quorvane.dde.Server", "Topic"},
                         "busctl");
    // busctl finds the bus of a systemd user session only; gdbus below covers the same ground.
    if (topic->wait() == 0) {
        EXPECT_EQ(topic->output(), "s \"COM1\"\n");
    }
    auto service = program({"/usr/bin/gdbus", "introspect", "--session", "--dest",
                            "org.quorvane.dde.quorvane.com1", "--object-path", "/org/quorvane/dde"},
                           "introspect");
    EXPECT_EQ(service->wait(), 0);
    const std::string shape = service->output();
    for (const char* part :
         {"interface org.quorvane.dde.Server", "Execute(", "Request(", "Poke(", "Items(",
          "ItemChanged(s item", "readonly s Service = 'Quorvane'", "readonly s Topic = 'COM1'"})
        EXPECT_NE(shape.find(part), std::string::npos) << part << " missing from\n" << shape;
}

TEST_F(DdeBusTest, ExecutesGoToTheCommandHandlerWithItsAnswer) {
    start();
    auto accepted = tool({"exec", "Quorvane", "COM1", "{BEEP}"}, "exec1");
    EXPECT_EQ(accepted->wait(), 0);
    EXPECT_EQ(accepted->output(), "accepted\n");
    auto refused = tool({"exec", "Quorvane", "COM1", "{NOPE}"}, "exec2");
    EXPECT_EQ(refused->wait(), 1);
    EXPECT_EQ(refused->output(), "refused\n");
    EXPECT_EQ(commands, (std::vector<std::string>{"{BEEP}", "{NOPE}"}));
}

TEST_F(DdeBusTest, TheCommandAfterEachRecordReachesThePeerAlsoAfterItRestarts) {
    config.DdeCommand = "[Fetch(\xE9)]";
    auto target = peer("System", "peer1");
    start();
    ASSERT_EQ(pty.send("1,2,3\r"), 6u);
    ASSERT_TRUE(target->waitForOutput("execute: [Fetch(\xC3\xA9)]\n")) << target->output();

    EXPECT_EQ(target->stop(), 0);
    ASSERT_TRUE(target->waitFor([&] { return host->bridge().commandClient().CommandConversation() == 0; }));
    ASSERT_EQ(pty.send("4,5,6\r"), 6u);
    ASSERT_TRUE(waitForRecords(2)); // the target is away: the record still goes through, silently
    EXPECT_TRUE(prompts.Messages.empty());

    auto again = peer("System", "peer2");
    ASSERT_EQ(pty.send("7,8,9\r"), 6u);
    ASSERT_TRUE(waitForRecords(3));
    ASSERT_TRUE(again->waitForOutput("execute: [Fetch(\xC3\xA9)]\n"));
    EXPECT_EQ(again->output(), "execute: [Fetch(\xC3\xA9)]\n");
}

TEST_F(DdeBusTest, WithoutThePeerRecordsFlowAndNothingIsShown) {
    config.DdeCommand = "[Fetch]";
    start();
    ASSERT_EQ(pty.send("1,2,3\r4,5,6\r7,8,9\r"), 18u);
    ASSERT_TRUE(waitForRecords(3));
    EXPECT_EQ(window.RecordNumber, "3");
    EXPECT_TRUE(prompts.Messages.empty());
}

TEST_F(DdeBusTest, TheCommandLinkRunsWhatThePeerPublishes) {
    config.CommandLinkApp = "Peer";
    config.CommandLinkTopic = "Cmds";
    config.CommandLinkItem = "cmd";
    config.CommandLinkAuto = kTrue;
    auto source = peer("Cmds", "cmds");
    source->write("cmd=\n");
    ASSERT_TRUE(source->waitFor([&] {
        auto check = tool({"request", "Peer", "Cmds", "cmd"}, "check");
        return check->wait() == 0;
    }));
    start();
    ASSERT_TRUE(prompts.Messages.empty()) << prompts.Messages[0].Text;
    source->write("cmd={BEEP}\ncmd=\ncmd={RESET}\n");
    ASSERT_TRUE(source->waitFor([&] { return commands.size() >= 2; }));
    EXPECT_EQ(commands, (std::vector<std::string>{"{BEEP}", "{RESET}"}));
}

TEST_F(DdeBusTest, TheOutputBufferLinkSendsThePeersTextToTheDevice) {
    config.BufferLinkApp = "Peer";
    config.BufferLinkTopic = "Out";
    config.BufferLinkItem = "out";
    auto source = peer("Out", "out");
    source->write("out=\n");
    ASSERT_TRUE(source->waitFor([&] {
        auto check = tool({"request", "Peer", "Out", "out"}, "check");
        return check->wait() == 0;
    }));
    start();
    host->bridge().links().refresh(DdeLinkKind::Buffer);
    ASSERT_TRUE(source->waitFor(
        [&] { return host->bridge().links().mode(DdeLinkKind::Buffer) == DdeLinkMode::Automatic; }));

    source->write("out=5\\r\\n\n");
    EXPECT_EQ(deviceReceives(1), "5");
    config.StripBufferCrLf = kFalse;
    source->write("out=6\\r\\n\n");
    EXPECT_EQ(deviceReceives(3), "6\r\n");
}

// Answers nothing: the flow test only publishes.
class NoCalls final : public DdeServerHandler {
public:
    bool execute(std::string_view) override { return false; }
    std::optional<std::string> request(std::string_view) override { return std::nullopt; }
    bool poke(std::string_view, std::string_view) override { return false; }
    std::vector<std::string> items() override { return {}; }
};

// A `quorvane-dde watch` of the flow tests' server.
std::unique_ptr<test::ChildProcess> watchFlow(test::TempDir& dir) {
    return std::make_unique<test::ChildProcess>(
        std::vector<std::string>{QUORVANE_DDE_TOOL, "watch", "Flow", "Test"}, dir.file("watch.out"),
        dir.file("watch.err"), [] { QCoreApplication::processEvents(); });
}

// A device faster than the bus: changes beyond what the bus has confirmed are held, newest value
// per item, instead of piling up in memory; a watcher sees each item's values in order and ends
// with the newest.
TEST(DdeBusFlow, ABusFallingBehindGetsEachItemsNewestValueAndNothingPilesUp) {
    test::TempDir dir;
    NoCalls handler;
    QtDdeServer server(QDBusConnection::sessionBus());
    ASSERT_TRUE(server.serve("Flow", "Test", handler));
    const auto watcher = watchFlow(dir);
    ASSERT_TRUE(watcher->waitForError("watching")) << watcher->errors();

    constexpr int kChanges = 50000;
    std::size_t mostHeld = 0;
    for (int n = 1; n <= kChanges; ++n) { // no event is handled meanwhile, as in a long read
        server.advise("Field(1)", std::to_string(n));
        server.advise("RecordNumber", std::to_string(n));
        mostHeld = std::max(mostHeld, server.heldChanges());
    }
    EXPECT_EQ(mostHeld, 2u);
    ASSERT_TRUE(watcher->waitForOutput("RecordNumber=" + std::to_string(kChanges) + "\n"))
        << watcher->errors();
    EXPECT_EQ(server.heldChanges(), 0u);

    std::map<std::string, long> last;
    std::size_t lines = 0;
    std::istringstream seen(watcher->output());
    for (std::string line; std::getline(seen, line); ++lines) {
        const auto equals = line.find('=');
        const long value = std::stol(line.substr(equals + 1));
        EXPECT_GT(value, last[line.substr(0, equals)]) << line;
        last[line.substr(0, equals)] = value;
    }
    EXPECT_EQ(last["Field(1)"], kChanges);
    EXPECT_LT(lines, 2u * kChanges) << "changes were held and only the newest signalled";
}

// Answers every request with the same text.
class Answers final : public DdeServerHandler {
public:
    bool execute(std::string_view) override { return true; }
    std::optional<std::string> request(std::string_view) override { return "answer"; }
    bool poke(std::string_view, std::string_view) override { return true; }
    std::vector<std::string> items() override { return {}; }
};

// An answer reaches the bus after the signals of every change made before the call was handled,
// so a client that asks for an item and follows it never sees an older value after the answer.
TEST(DdeBusFlow, AnAnswerFollowsTheSignalsOfEveryEarlierChange) {
    test::TempDir dir;
    test::ChildProcess monitor({"/usr/bin/dbus-monitor", "--session",
                                "type='signal',interface='org.quorvane.dde.Server'", "type='method_return'"},
                               dir.file("monitor.out"), dir.file("monitor.err"),
                               [] { QCoreApplication::processEvents(); });
    ASSERT_TRUE(monitor.waitForOutput("NameAcquired")) << monitor.errors();
    Answers handler;
    QtDdeServer server(QDBusConnection::sessionBus());
    ASSERT_TRUE(server.serve("Flow", "Test", handler));

    constexpr int kChanges = 3000;
    for (int n = 1; n <= kChanges; ++n)
        server.advise("Field(1)", std::to_string(n));
    test::ChildProcess call(
        {"/usr/bin/gdbus", "call", "--session", "--dest", "org.quorvane.dde.flow.test", "--object-path",
         "/org/quorvane/dde", "--method", "org.quorvane.dde.Server.Request", "Field(1)"},
        dir.file("call.out"), dir.file("call.err"), [] { QCoreApplication::processEvents(); });
    EXPECT_EQ(call.wait(), 0) << call.errors();
    ASSERT_TRUE(monitor.waitForOutput("string \"answer\"")) << monitor.errors();
    const std::string seen = monitor.output();
    const std::size_t lastChange = seen.find("string \"" + std::to_string(kChanges) + "\"");
    ASSERT_NE(lastChange, std::string::npos);
    EXPECT_LT(lastChange, seen.find("string \"answer\""));
}

// Any bus client sees each change as the served object's ItemChanged(item, value) signal, in the
// order of the changes, the code page's bytes as their characters.
TEST(DdeBusFlow, EachChangeIsTheObjectsItemChangedSignalInOrder) {
    test::TempDir dir;
    NoCalls handler;
    QtDdeServer server(QDBusConnection::sessionBus());
    ASSERT_TRUE(server.serve("Flow", "Test", handler));
    test::ChildProcess monitor(
        {"/usr/bin/gdbus", "monitor", "--session", "--dest", "org.quorvane.dde.flow.test"},
        dir.file("monitor.out"), dir.file("monitor.err"), [] { QCoreApplication::processEvents(); });
    ASSERT_TRUE(monitor.waitForOutput("is owned by")) << monitor.errors();

    server.advise("Field(1)", "12\xb0");
    server.advise("RecordNumber", "1");
    server.advise("Field(1)", "\x80 5");
    server.advise("RecordNumber", "2");
    ASSERT_TRUE(monitor.waitForOutput("'RecordNumber', '2'")) << monitor.output();
    const std::string seen = monitor.output();
    const std::string changes = seen.substr(seen.find("/org/quorvane/dde:"));
    EXPECT_EQ(changes, "/org/quorvane/dde: org.quorvane.dde.Server.ItemChanged ('Field(1)', '12\u00b0')\n"
                       "/org/quorvane/dde: org.quorvane.dde.Server.ItemChanged ('RecordNumber', '1')\n"
                       "/org/quorvane/dde: org.quorvane.dde.Server.ItemChanged ('Field(1)', '\u20ac 5')\n"
                       "/org/quorvane/dde: org.quorvane.dde.Server.ItemChanged ('RecordNumber', '2')\n");
}

// Changes made just before the server goes, held ones included, still reach the clients.
TEST(DdeBusFlow, TheLastChangesBeforeWithdrawingReachTheClients) {
    test::TempDir dir;
    NoCalls handler;
    QtDdeServer server(QDBusConnection::sessionBus());
    ASSERT_TRUE(server.serve("Flow", "Test", handler));
    const auto watcher = watchFlow(dir);
    ASSERT_TRUE(watcher->waitForError("watching")) << watcher->errors();

    const int changes = static_cast<int>(QtDdeServer::kMaxUnconfirmed);
    for (int n = 1; n <= changes; ++n) {
        server.advise("Field(1)", std::to_string(n));
        server.advise("RecordNumber", std::to_string(n));
    }
    ASSERT_GT(server.heldChanges(), 0u);
    server.withdraw();
    const std::string last = "RecordNumber=" + std::to_string(changes) + "\n";
    ASSERT_TRUE(watcher->waitForOutput(last)) << watcher->errors();
    EXPECT_NE(watcher->output().find("Field(1)=" + std::to_string(changes) + "\n"), std::string::npos);
}

} // namespace
} // namespace quorvane

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
