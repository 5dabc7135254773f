#pragma once
// Child processes for the X tests, and a private X server (Xvfb) with a window manager.

#include "platform/x11/X11Display.h"

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <signal.h>
#include <spawn.h>
#include <string>
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

/// Xvfb on a display number it picks itself, with matchbox-window-manager, and a connection to it.
class XvfbSession {
public:
    XvfbSession() {
        for (const char* program : {"Xvfb", "xterm", "matchbox-window-manager"})
            if (findProgram(program).empty()) {
                m_whyNot =
                    std::string(program) + " is not installed (package list: scripts/debian-packages.txt)";
                return;
            }
        int pipeFds[2];
        if (pipe(pipeFds) != 0)
            return;
        m_server.emplace(std::vector<std::string>{findProgram("Xvfb"), "-displayfd", "3", "-nolisten", "tcp",
                                                  "-screen", "0", "1024x768x24"},
                         environmentWith("DISPLAY", std::nullopt), "/dev/null", "/dev/null", pipeFds[1]);
        ::close(pipeFds[1]);
        std::string number;
        char c;
        // Xvfb writes the display number and a line end once it accepts connections.
        while (::read(pipeFds[0], &c, 1) == 1 && c != '\n')
            number += c;
        ::close(pipeFds[0]);
        if (number.empty()) {
            m_whyNot = "Xvfb did not start";
            return;
        }
        m_name = ":" + number;
        m_display.emplace(m_name.c_str());
        if (!m_display->ok()) {
            m_whyNot = "cannot connect to Xvfb on " + m_name;
            return;
        }
        m_wm.emplace(std::vector<std::string>{findProgram("matchbox-window-manager"), "-use_titlebar", "no"},
                     environment());
        m_ready = waitUntil([&] { return windowManagerRunning(); });
        if (!m_ready)
            m_whyNot = "matchbox-window-manager did not start";
    }

    /// Empty when the session is usable; otherwise why not.
    const std::string& whyNot() const { return m_whyNot; }
    bool ready() const { return m_ready; }
    /// ":N".
    const std::string& name() const { return m_name; }
    _XDisplay* display() const { return m_display->get(); }
    /// Our environment with DISPLAY naming this server.
    std::vector<std::string> environment() const { return environmentWith("DISPLAY", m_name); }

private:
    bool windowManagerRunning();

    std::string m_whyNot;
    std::string m_name;
    bool m_ready = false;
    std::optional<ChildProcess> m_server;
    std::optional<X11Display> m_display;
    std::optional<ChildProcess> m_wm;
};

} // namespace quorvane::test
