// The quorvane program run headless on a pseudo-terminal and controlled over a private session bus
// by quorvane-dde as the other application: commands with their acknowledgements, the bytes they
// send arriving at the device's side of the pty, suspension, the configuration reload, the links
// to a quorvane-dde server and the exit.
// The command table in detail is covered by the engine's unit tests.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <thread>

#include "config/ConfigFileFormat.h"
#include "config/ConfigFiles.h"
#include "dde/ChildProcess.h"
#include "fakes/TempDir.h"
#include "serial/PtyPair.h"

extern char** environ;

namespace quorvane {
namespace {

using Clock = std::chrono::steady_clock;

// Starts a program with its output in files of `dir`; `tag` names them.
pid_t spawn(const test::TempDir& dir, const std::string& tag, std::vector<std::string> args) {
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, dir.file(tag + ".out").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, dir.file(tag + ".err").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// The exit status, or -1 when the program did not end within the limit.
int waitExit(pid_t& pid, std::chrono::seconds limit = std::chrono::seconds(20)) {
    const auto end = Clock::now() + limit;
    int status = 0;
    while (Clock::now() < end) {
        if (waitpid(pid, &status, WNOHANG) == pid) {
            pid = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return -1;
}

bool pollUntil(const std::function<bool()>& condition) {
    const auto end = Clock::now() + std::chrono::seconds(20);
    while (Clock::now() < end) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

// A configuration for the pty (8 data bits, no parity): comma-delimited fields logged so that the
// log holds exactly the bytes the device sent, and one output string button.
std::string writeConfiguration(const test::TempDir& dir, const std::string& name, std::int16_t port,
                               int fields, const std::function<void(Configuration&)>& adjust = nullptr) {
    Configuration c;
    ResetConfiguration(c);
    c.PortIndex = port;
    c.DataBitsIndex = 3;
    c.ParityIndex = 0;
    c.RecordStructure = 1;
    c.FieldCount = static_cast<std::int16_t>(fields);
    c.OutputMode = 2;
    c.LogFileName = dir.file("capture.log");
    c.PreInputTranslation[10] = "Ignore";
    c.FieldPostamble[1] = ",";
    c.FieldPostamble[2] = ",";
    c.FieldPostamble[3] = "\n";
    c.OutputStringName[1] = "String1";
    c.OutputString[1] = "S1\r";
    c.DdeTopic = port == 0 && fields != 3 ? "Renamed" : "";
    if (adjust)
        adjust(c);
    const std::string path = dir.file(name);
    WriteWholeFile(path, EncodeConfigFile(c));
    return path;
}

class BusCommands : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Pty.ok());
        setenv("XDG_CONFIG_HOME", Dir.path().c_str(), 1);
        unsetenv("DISPLAY");
        Program = spawn(Dir, "quorvane",
                        {QUORVANE_BINARY, "--headless", writeConfiguration(Dir, "Capture.QV3", 0, 3),
                         "--device", Pty.slavePath()});
        ASSERT_GT(Program, 0);
        ASSERT_TRUE(pollUntil([this] {
            return tool({"exec", "Quorvane", "COM1", "{BEEP}"}) == 0;
        })) << read("quorvane.err");
    }
    void TearDown() override {
        if (Program > 0) {
            kill(Program, SIGKILL);
            waitExit(Program);
        }
    }

    // quorvane-dde with these arguments; its exit status (0 accepted, 1 refused or no server).
    int tool(std::vector<std::string> args) {
        args.insert(args.begin(), QUORVANE_DDE_TOOL);
        pid_t pid = spawn(Dir, "tool", std::move(args));
        return waitExit(pid);
    }
    int exec(const std::string& command) { return tool({"exec", "Quorvane", "COM1", command}); }
    std::string read(const std::string& name) const { return ReadWholeFile(Dir.file(name)).value_or(""); }

    test::TempDir Dir;
    test::PtyPair Pty;
    pid_t Program = -1;
};

TEST_F(BusCommands, QueuingCommandsSendTheirBytesToTheDevice) {
    const std::string file = Dir.file("Upload.Bin");
    WriteWholeFile(file, std::string("F\0\xFF", 3));
    const std::pair<std::string, std::string> cases[] = {
        {"{send(Abc)}", "Abc"},
        {"{SENDOUT('X'13,10)}", "X\r\n"},
        {"{SENDCODE(65.4)}", "A"},
        {"{PUSH(string1)}", "S1\r"},
        {"{SENDFILE(" + file + ")}", std::string("F\0\xFF", 3)},
    };
    for (const auto& [command, bytes] : cases) {
        EXPECT_EQ(exec(command), 0) << command;
        EXPECT_EQ(Pty.receive(bytes.size()), bytes) << command;
    }
    EXPECT_EQ(exec("{SENDCODE(256)}"), 1);
    EXPECT_EQ(exec("{SENDFILE(" + Dir.file("upload.bin") + ")}"), 1);
    EXPECT_EQ(exec("{NOSUCH}"), 1);
    EXPECT_EQ(exec("{SEND(end)}"), 0);
    EXPECT_EQ(Pty.receive(3), "end");
}

TEST_F(BusCommands, EveryCommandWordGetsItsAcknowledgementOverTheBus) {
    // 0 accepted, 1 refused. The link commands are refused: no link exists and a run without a
    // display has no clipboard to paste from.
    const std::pair<std::string, int> cases[] = {
        {"{BEEP}", 0},
        {"{TIMER-OFF}", 0},
        {"{TIMER-ON}", 0},
        {"{TIMER-OFF}", 0},
        {"{SUSPEND}", 0},
        {"{RESUME1}", 0},
        {"{RESUME}", 0},
        {"{BREAK}", 0},
        {"{TOGGLEDTR}", 0},
        {"{DTR=ON}", 0},
        {"{DTR=OFF}", 0},
        {"{RTS=ON}", 0},
        {"{RTS=OFF}", 0},
        {"{RESET}", 0},
        {"{CLEAR}", 0},
        {"{APPNORMAL}", 0},
        {"{APPMINIMIZE}", 0},
        {"{PASTE-COMMAND}", 1},
        {"{REFRESH-COMMAND}", 1},
        {"{TERMINATE-COMMAND}", 1},
        {"{PASTE-BUFFER}", 1},
        {"{REFRESH-BUFFER}", 1},
        {"{TERMINATE-BUFFER}", 1},
        {"{STRIPCRLF-ON}", 0},
        {"{STRIPCRLF-OFF}", 0},
        {"{COPYDATE}", 0},
        {"{COPYRECNUM}", 0},
        {"{SEND(x)}", 0},
        {"{SENDOUT(65)}", 0},
        {"{TIMERSTRING='T'}", 0},
        {"{SENDCODE(66)}", 0},
        {"{SENDDATE(yyyy)}", 0},
        {"{SENDFILE(" + Dir.file("missing.bin") + ")}", 1},
        {"{PUSH(NO SUCH BUTTON)}", 1},
        {"{CONFIG(" + Dir.file("missing.QV3") + ")}", 1},
        {"{COPYFIELD(1)}", 0},
        {"{COPYFIELD(99)}", 1},
        {"{TIMERINTERVAL=0}", 0},
        {"[BEEP]", 0},
        {"BEEP", 1},
    };
    for (const auto& [command, ack] : cases)
        EXPECT_EQ(exec(command), ack) << command;
    EXPECT_EQ(exec("{SEND(alive)}"), 0);
    EXPECT_NE(Pty.receive(64, std::chrono::milliseconds(2000)).find("alive"), std::string::npos);
}

TEST_F(BusCommands, SuspendHoldsRecordsUntilResume) {
    EXPECT_EQ(exec("{SUSPEND}"), 0);
    ASSERT_EQ(Pty.send("1,2,3\r\n"), 7u);
    // Two round trips through the queue: at least one whole tick ran after the record was sent.
    for (const char* marker : {"a", "b"}) {
        EXPECT_EQ(exec(std::string("{SEND(") + marker + ")}"), 0);
        EXPECT_EQ(Pty.receive(1), marker);
    }
    EXPECT_EQ(read("capture.log"), "");
    EXPECT_EQ(exec("{RESUME}"), 0);
    EXPECT_TRUE(pollUntil([this] { return read("capture.log") == "1,2,3\r\n"; })) << read("capture.log");
}

TEST_F(BusCommands, ConfigReloadsTheSamePortUnderTheSameTopicAndRefusesAnother) {
    EXPECT_EQ(exec("{CONFIG(" + writeConfiguration(Dir, "Other.QV3", 1, 5) + ")}"), 1);
    EXPECT_EQ(tool({"request", "Quorvane", "COM1", "Field(5)"}), 1);
    EXPECT_EQ(exec("{SEND(kept)}"), 0);
    EXPECT_EQ(Pty.receive(4), "kept");

    EXPECT_EQ(exec("{CONFIG(" + writeConfiguration(Dir, "Five.QV3", 0, 5) + ")}"), 0);
    EXPECT_EQ(tool({"request", "Quorvane", "COM1", "Field(5)"}), 0) << read("tool.err");
    EXPECT_EQ(tool({"request", "Quorvane", "Renamed", "Field(5)"}), 1);
    EXPECT_EQ(exec("{SEND(reopened)}"), 0);
    EXPECT_EQ(Pty.receive(8), "reopened");
}

TEST_F(BusCommands, LinksRunWhatTheirItemsChangeToNeverTheTextTheyFindOnOpening) {
    const auto linkToPeer = [](Configuration& c) {
        c.CommandLinkApp = c.BufferLinkApp = "Peer";
        c.CommandLinkTopic = c.BufferLinkTopic = "Cmds";
        c.CommandLinkItem = "cmd";
        c.BufferLinkItem = "out";
        c.CommandLinkAuto = c.BufferLinkAuto = kTrue;
    };
    const std::string five = writeConfiguration(Dir, "Five.QV3", 0, 5, linkToPeer);
    const std::string three = writeConfiguration(Dir, "Three.QV3", 0, 3, linkToPeer);
    test::ChildProcess peer({QUORVANE_DDE_TOOL, "serve", "Peer", "Cmds"}, Dir.file("peer.out"),
                            Dir.file("peer.err"), [] {});
    ASSERT_TRUE(peer.waitForError("serving")) << peer.errors();
    const auto peerHolds = [&](const std::string& item, const std::string& value) {
        return pollUntil([&] {
            return tool({"request", "Peer", "Cmds", item}) == 0 && read("tool.out") == value + "\n";
        });
    };

    // Run at each link, the reload of the file that links to it would reload for ever.
    peer.write("cmd={CONFIG(" + five + ")}\nout=stale\n");
    ASSERT_TRUE(peerHolds("out", "stale"));
    EXPECT_EQ(exec("{CONFIG(" + five + ")}"), 0) << read("quorvane.err");
    peer.write("cmd={SEND(fresh)}\n");
    EXPECT_EQ(Pty.receive(5), "fresh");

    // A reload that arrives on the link it re-establishes.
    peer.write("cmd={CONFIG(" + three + ")}\n");
    EXPECT_TRUE(pollUntil([this] { return tool({"request", "Quorvane", "COM1", "Field(5)"}) == 1; }));
    peer.write("out=changed\n");
    EXPECT_EQ(Pty.receive(7), "changed");

    // An exit left in the item while the link was down does not end the run when it is refreshed.
    EXPECT_EQ(exec("{TERMINATE-COMMAND}"), 0);
    peer.write("cmd={APPEXIT}\n");
    ASSERT_TRUE(peerHolds("cmd", "{APPEXIT}"));
    EXPECT_EQ(exec("{REFRESH-COMMAND}"), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    peer.write("cmd={SEND(relinked)}\n");
    EXPECT_EQ(Pty.receive(8), "relinked") << read("quorvane.err");
    EXPECT_EQ(exec("{SEND(alive)}"), 0);
}

TEST_F(BusCommands, AppExitEndsTheProgramWithStatusZero) {
    EXPECT_EQ(exec("{APPEXIT}"), 0);
    EXPECT_EQ(waitExit(Program), 0) << read("quorvane.err");
}

} // namespace
} // namespace quorvane
