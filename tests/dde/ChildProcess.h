#pragma once
// Another program for the bus tests: started without a shell, its standard input a pipe, its
// output in files. Waits never block the caller's event loop: `pump` runs between polls.

#include "config/ConfigFiles.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace quorvane::test {

class ChildProcess {
public:
    ChildProcess(std::vector<std::string> args, const std::string& outPath, const std::string& errPath,
                 std::function<void()> pump)
        : m_out(outPath), m_err(errPath), m_pump(std::move(pump)) {
        int input[2];
        if (pipe2(input, O_CLOEXEC) != 0)
            return;
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, input[0], 0);
        posix_spawn_file_actions_addopen(&actions, 1, m_out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, m_err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(input[0]);
        m_input = input[1];
    }
    ~ChildProcess() {
        if (m_input >= 0)
            ::close(m_input);
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    /// Writes to the program's standard input.
    void write(std::string_view text) const {
        [[maybe_unused]] const ssize_t n = ::write(m_input, text.data(), text.size());
    }
    std::string output() const { return ReadWholeFile(m_out).value_or(""); }
    std::string errors() const { return ReadWholeFile(m_err).value_or(""); }

    /// Pumps until `condition` holds or 20 s passed.
    bool waitFor(const std::function<bool()>& condition) const {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < end) {
            if (condition())
                return true;
            m_pump();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return condition();
    }
    bool waitForOutput(const std::string& text) const {
        return waitFor([&] { return output().find(text) != std::string::npos; });
    }
    bool waitForError(const std::string& text) const {
        return waitFor([&] { return errors().find(text) != std::string::npos; });
    }
    /// Pumps until the program ended; its exit status, or -1 after 20 s.
    int wait() {
        int status = -1;
        const bool ended = waitFor([&] {
            int s = 0;
            if (m_pid <= 0 || waitpid(m_pid, &s, WNOHANG) != m_pid)
                return false;
            m_pid = -1;
            status = WIFEXITED(s) ? WEXITSTATUS(s) : 128 + WTERMSIG(s);
            return true;
        });
        return ended ? status : -1;
    }
    /// SIGTERM, then the exit status.
    int stop() {
        if (m_pid > 0)
            kill(m_pid, SIGTERM);
        return wait();
    }

private:
    pid_t m_pid = -1;
    int m_input = -1;
    std::string m_out;
    std::string m_err;
    std::function<void()> m_pump;
};

} // namespace quorvane::test
