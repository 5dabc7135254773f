#pragma once
// The quorvane program run as a child process with its output in files, and a pty writer.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "config/ConfigFileFormat.h"
#include "config/ConfigFiles.h"
#include "fakes/TempDir.h"
#include "serial/PtyPair.h"

extern char** environ;

namespace quorvane::test {

/// The quorvane program (QUORVANE_BINARY) run with `args`, its output in files of `dir`, or its
/// standard output on `standardOutput` when that is a descriptor.
class HeadlessProcess {
public:
    HeadlessProcess(const test::TempDir& dir, std::vector<std::string> args, int standardOutput = -1)
        : m_err(dir.file("stderr.txt")) {
        args.insert(args.begin(), QUORVANE_BINARY);
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (standardOutput >= 0)
            posix_spawn_file_actions_adddup2(&actions, standardOutput, 1);
        else
            posix_spawn_file_actions_addopen(&actions, 1, dir.file("stdout.txt").c_str(),
                                             O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, m_err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        // Started as from a shell, whatever the test runner ignores: a reader that leaves raises SIGPIPE.
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        sigset_t defaults;
        sigemptyset(&defaults);
        sigaddset(&defaults, SIGPIPE);
        posix_spawnattr_setsigdefault(&attributes, &defaults);
        sigset_t unblocked;
        sigemptyset(&unblocked);
        posix_spawnattr_setsigmask(&attributes, &unblocked);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
        setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
        if (posix_spawn(&m_pid, argv[0], &actions, &attributes, argv.data(), environ) != 0)
            m_pid = -1;
        posix_spawnattr_destroy(&attributes);
        posix_spawn_file_actions_destroy(&actions);
    }
    ~HeadlessProcess() {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
    }

    /// Waits for the exit; the exit status, or -1 when it did not end in time.
    int wait(std::chrono::milliseconds limit = std::chrono::seconds(20)) {
        const auto end = std::chrono::steady_clock::now() + limit;
        int status = 0;
        while (std::chrono::steady_clock::now() < end) {
            if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return -1;
    }
    void signal(int number) const { kill(m_pid, number); }
    /// The running program's pid; -1 once it has been waited for.
    pid_t pid() const { return m_pid; }
    std::string standardError() const { return ReadWholeFile(m_err).value_or(""); }
    /// Polls standard error until it holds `text`.
    bool waitForMessage(const std::string& text) const {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < end) {
            if (standardError().find(text) != std::string::npos)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

private:
    pid_t m_pid = -1;
    std::string m_err;
};

// Three comma-delimited fields ended by CR, the LF after it ignored, logged with postambles that
// put the delimiters and the LF back: the log file then holds exactly the bytes the device sent.
inline std::string writeCaptureConfiguration(const test::TempDir& dir, const std::string& log = "capture.log",
                                             const std::string& name = "capture.QV3") {
    Configuration c;
    ResetConfiguration(c);
    c.DataBitsIndex = 3;
    c.ParityIndex = 0;
    c.RecordStructure = 1;
    c.FieldCount = 3;
    c.OutputMode = 2;
    c.LogFileName = dir.file(log);
    c.PreInputTranslation[10] = "Ignore";
    c.FieldPostamble[1] = ",";
    c.FieldPostamble[2] = ",";
    c.FieldPostamble[3] = "\n";
    const std::string path = dir.file(name);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    WriteWholeFile(path, EncodeConfigFile(c));
    return path;
}

/// Polls until the file at `path` holds at least `size` bytes; false when it does not within 60 s.
inline bool waitForFileSize(const std::string& path, std::uintmax_t size) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    std::error_code error;
    while (std::chrono::steady_clock::now() < end) {
        if (const auto now = std::filesystem::file_size(path, error); !error && now >= size)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

/// Writes all of `data` into the device side of the pty, waiting while it is full.
inline bool sendAll(const test::PtyPair& pty, std::string_view data) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!data.empty() && std::chrono::steady_clock::now() < end) {
        const std::size_t n = pty.send(data);
        data.remove_prefix(n);
        if (n == 0) {
            pollfd writable{pty.master(), POLLOUT, 0};
            poll(&writable, 1, 100);
        }
    }
    return data.empty();
}

} // namespace quorvane::test
