#pragma once
// Child processes for tests that run real programs: started with their own environment and output
// files, ended with the test.

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <string_view>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace quorvane::test {

/// Polls condition until it holds or the deadline passes.
template <typename Condition>
bool waitUntil(Condition condition, std::chrono::milliseconds deadline = std::chrono::seconds(15)) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

/// The full path of a program found on PATH; empty when it is not installed.
inline std::string findProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        const std::size_t end = std::min(dirs.find(':', start), dirs.size());
        const std::string candidate = dirs.substr(start, end - start) + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return {};
}

/// Our environment with one variable set (or removed when value is nullopt).
inline std::vector<std::string> environmentWith(const std::string& name, std::optional<std::string> value) {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e)
        if (std::string_view(*e).substr(0, name.size() + 1) != name + "=")
            env.emplace_back(*e);
    if (value)
        env.push_back(name + "=" + *value);
    return env;
}

/// A child process, ended (SIGTERM, then SIGKILL) when this object goes.
class ChildProcess {
public:
    ChildProcess(std::vector<std::string> args, const std::vector<std::string>& env,
                 const std::string& out = "/dev/null", const std::string& err = "/dev/null",
                 int extraFd = -1) {
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        std::vector<std::string> envCopy = env;
        std::vector<char*> envp;
        for (auto& e : envCopy)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (extraFd >= 0)
            posix_spawn_file_actions_adddup2(&actions, extraFd, 3);
        if (posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~ChildProcess() { stop(); }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool ok() const { return m_pid > 0; }
    pid_t pid() const { return m_pid; }
    /// True while the process has not ended.
    bool running() {
        if (m_pid <= 0)
            return false;
        int status = 0;
        if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;
            m_exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            return false;
        }
        return true;
    }
    /// The exit status (128 + signal when killed) once running() saw the end; nullopt before.
    std::optional<int> exitStatus() const { return m_exitStatus; }
    /// Sends SIGTERM and waits for the end, then SIGKILL.
    void stop() {
        if (m_pid <= 0)
            return;
        kill(m_pid, SIGTERM);
        if (!waitUntil([&] { return !running(); }, std::chrono::seconds(5))) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        m_pid = -1;
    }

private:
    pid_t m_pid = -1;
    std::optional<int> m_exitStatus;
};

} // namespace quorvane::test
