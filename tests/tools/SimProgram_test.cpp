// The quorvane-sim program through a real pseudo-terminal, as a capture program sees it: record
// counts and integrity, print and tare requests, the rx: report, a reader that closes and comes
// back, the link, replay and the exit statuses. Record layout details are in the unit tests.

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <optional>
#include <poll.h>
#include <regex>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "fakes/TempDir.h"
#include "sim/BalanceProfile.h"

extern char** environ;

namespace quorvane::sim {
namespace {

using namespace std::chrono_literals;
using Deadline = std::chrono::steady_clock::time_point;

Deadline in(std::chrono::milliseconds span) {
    return std::chrono::steady_clock::now() + span;
}

int msLeft(Deadline deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return static_cast<int>(std::max<std::int64_t>(0, left.count()));
}

// Bytes from a non-blocking descriptor, gathered until a condition holds or the deadline passes.
class ByteReader {
public:
    explicit ByteReader(int fd = -1) : m_fd(fd) {}

    /// Reads until `done(buffer)` holds; false on deadline or end of data.
    template <typename Done>
    bool readUntil(Done done, Deadline deadline) {
        while (!done(m_buffer)) {
            pollfd entry{m_fd, POLLIN, 0};
            if (::poll(&entry, 1, msLeft(deadline)) <= 0)
                return false;
            char chunk[4096];
            const ssize_t count = ::read(m_fd, chunk, sizeof chunk);
            if (count > 0)
                m_buffer.append(chunk, static_cast<std::size_t>(count));
            else if (count == 0 || (errno != EAGAIN && errno != EINTR))
                return done(m_buffer);
        }
        return true;
    }
    /// The next line ending in `end`, end included; none on deadline.
    std::optional<std::string> line(const std::string& end, Deadline deadline) {
        const auto complete = [&end](const std::string& text) { return text.find(end) != std::string::npos; };
        if (!readUntil(complete, deadline))
            return std::nullopt;
        const std::size_t length = m_buffer.find(end) + end.size();
        std::string text = m_buffer.substr(0, length);
        m_buffer.erase(0, length);
        return text;
    }
    std::string& buffer() { return m_buffer; }

private:
    int m_fd;
    std::string m_buffer;
};

// The program under test, its standard output and error on pipes; killed if a test leaves it.
class SimProcess {
public:
    explicit SimProcess(const std::vector<std::string>& args) {
        int out[2], err[2];
        EXPECT_EQ(::pipe2(out, O_CLOEXEC | O_NONBLOCK), 0);
        EXPECT_EQ(::pipe2(err, O_CLOEXEC | O_NONBLOCK), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_adddup2(&actions, err[1], 2);
        std::vector<std::string> argv{QUORVANE_SIM_PROGRAM};
        argv.insert(argv.end(), args.begin(), args.end());
        std::vector<char*> pointers;
        for (std::string& arg : argv)
            pointers.push_back(arg.data());
        pointers.push_back(nullptr);
        EXPECT_EQ(::posix_spawn(&m_pid, pointers[0], &actions, nullptr, pointers.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        ::close(err[1]);
        m_out = out[0];
        m_err = err[0];
        m_outReader = ByteReader(m_out);
        m_errReader = ByteReader(m_err);
    }
    ~SimProcess() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        ::close(m_out);
        ::close(m_err);
    }

    ByteReader& out() { return m_outReader; }
    ByteReader& err() { return m_errReader; }
    void signal(int number) { ::kill(m_pid, number); }

    /// The exit status once the program has ended (its output pipe closes), none on deadline.
    std::optional<int> exitStatus(Deadline deadline) {
        if (!m_outReader.readUntil([](const std::string&) { return false; }, deadline) &&
            msLeft(deadline) == 0)
            return std::nullopt;
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

private:
    pid_t m_pid = -1;
    int m_out = -1;
    int m_err = -1;
    ByteReader m_outReader;
    ByteReader m_errReader;
};

// The capture program's side: the pty slave, opened the way a serial port is.
class Device {
public:
    explicit Device(const std::string& path) : m_fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK)) {
        EXPECT_GE(m_fd, 0) << path;
    }
    ~Device() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    void send(const std::string& bytes) {
        EXPECT_EQ(::write(m_fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    std::optional<std::string> record(Deadline deadline) { return m_reader.line("\n", deadline); }
    ByteReader& reader() { return m_reader; }

private:
    int m_fd;
    ByteReader m_reader{m_fd};
};

const std::regex kBalanceRecord(R"(^(ST|US),GS,[ \-0-9]{4}[0-9]\.[0-9]{3},g\r\n$)");

std::string terminalPath(SimProcess& sim) {
    auto line = sim.out().line("\n", in(5s));
    EXPECT_TRUE(line) << "no terminal path on standard output";
    return line ? line->substr(0, line->size() - 1) : std::string("/nonexistent");
}

TEST(SimProgram, FastCountDeliversEveryRecordWholeThenExitsZero) {
    SimProcess sim({"--count", "2000", "--fast", "--seed", "11"});
    Device device(terminalPath(sim));
    BalanceProfile expected(11);
    for (int i = 0; i < 2000; ++i) {
        const auto record = device.record(in(10s));
        ASSERT_TRUE(record) << "record " << i << " missing";
        ASSERT_TRUE(std::regex_match(*record, kBalanceRecord)) << i << ": " << *record;
        ASSERT_EQ(*record, expected.nextRecord()) << "record " << i << " is not the seeded walk's";
    }
    EXPECT_EQ(sim.exitStatus(in(10s)), 0);
    EXPECT_EQ(device.reader().buffer(), "");
}

TEST(SimProgram, AnswersAPrintRequestAtOnceAndTares) {
    // One record every 100 s: any further line within the deadline is an answer.
    SimProcess sim({"--rate", "0.01", "--seed", "5"});
    Device device(terminalPath(sim));
    const auto first = device.record(in(5s));
    ASSERT_TRUE(first);
    device.send("P\r\n");
    EXPECT_EQ(device.record(in(5s)), first);
    device.send("T\r\n");
    device.send("P\r");
    const auto tared = device.record(in(5s));
    ASSERT_TRUE(tared);
    EXPECT_EQ(tared->substr(2), ",GS,    0.000,g\r\n");
    EXPECT_TRUE(sim.err().line("rx: P\\r\\n\n", in(5s))) << sim.err().buffer();

    sim.signal(SIGTERM);
    EXPECT_EQ(sim.exitStatus(in(5s)), 0);
}

TEST(SimProgram, KeepsWorkingWhenTheReaderClosesAndComesBack) {
    SimProcess sim({"--rate", "50", "--profile", "scanner"});
    const std::string path = terminalPath(sim);
    {
        Device device(path);
        ASSERT_TRUE(device.record(in(5s)));
    }
    Device again(path);
    for (int i = 0; i < 3; ++i) {
        const auto record = again.record(in(5s));
        ASSERT_TRUE(record) << "nothing after reopening";
        EXPECT_TRUE(std::regex_match(*record, std::regex(R"(^[0-9]{13}\r\n$)"))) << *record;
    }
    sim.signal(SIGINT);
    EXPECT_EQ(sim.exitStatus(in(5s)), 0);
}

TEST(SimProgram, LinkNamesTheTerminalUntilTheProgramEnds) {
    test::TempDir dir;
    const std::string link = dir.file("scale");
    ::symlink("/dev/pts/stale", link.c_str());
    SimProcess sim({"--link", link, "--profile", "caliper", "--rate", "20"});
    ASSERT_TRUE(sim.err().line("\n", in(5s))) << "no link report";
    Device device(link);
    const auto reading = device.reader().line("\r", in(5s));
    ASSERT_TRUE(reading);
    EXPECT_TRUE(std::regex_match(*reading, std::regex(R"(^[+\-][0-9]{3}\.[0-9]{2}\r$)"))) << *reading;

    sim.signal(SIGTERM);
    EXPECT_EQ(sim.exitStatus(in(5s)), 0);
    struct stat info {};
    EXPECT_NE(::lstat(link.c_str(), &info), 0) << "link left behind";
}

TEST(SimProgram, ReplaySendsTheFileWholeAtTheLineSpeed) {
    test::TempDir dir;
    std::string bytes;
    for (int i = 0; i < 2304; ++i)
        bytes.push_back(static_cast<char>(i * 37 % 256));
    std::ofstream(dir.file("capture.bin"), std::ios::binary) << bytes;
    SimProcess sim({"--replay", dir.file("capture.bin"), "--baud", "115200"});
    Device device(terminalPath(sim));
    const auto complete = [&bytes](const std::string& text) { return text.size() >= bytes.size(); };
    ASSERT_TRUE(device.reader().readUntil([](const std::string& text) { return !text.empty(); }, in(5s)));
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(device.reader().readUntil(complete, in(10s)));
    // 2304 bytes at 11520 bytes a second take 200 ms; faster would mean no pacing.
    EXPECT_GE(std::chrono::steady_clock::now() - start, 150ms);
    EXPECT_EQ(device.reader().buffer(), bytes);
    EXPECT_EQ(sim.exitStatus(in(5s)), 0);
}

TEST(SimProgram, BadArgumentsAndFilesEndWithAMessageAndStatus) {
    SimProcess usage({"--rate", "soon"});
    EXPECT_EQ(usage.exitStatus(in(5s)), 2);
    EXPECT_TRUE(usage.err().line("\n", in(1s)));
    EXPECT_NE(usage.err().buffer().find("--help"), std::string::npos);

    SimProcess missing({"--replay", "/nonexistent/capture.bin"});
    EXPECT_EQ(missing.exitStatus(in(5s)), 1);
    EXPECT_TRUE(missing.err().line("\n", in(1s)));

    test::TempDir dir;
    std::ofstream(dir.file("precious.txt")) << "keep me";
    SimProcess occupied({"--link", dir.file("precious.txt")});
    EXPECT_EQ(occupied.exitStatus(in(5s)), 1);
    EXPECT_EQ(std::ifstream(dir.file("precious.txt")).get(), 'k');
}

} // namespace
} // namespace quorvane::sim
