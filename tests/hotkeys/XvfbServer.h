#pragma once
// A private X server for tests (Xvfb on a display number it picks itself), the xdotool presses
// that reach it, and a second client that holds keys the code under test then cannot grab.

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

extern char** environ;

namespace quorvane::test {

using SteadyClock = std::chrono::steady_clock;

/// Starts a program found on PATH with the environment changed by `env` ("NAME=value" sets NAME,
/// "NAME" removes it) and standard error sent to `errorPath`; its process id, or -1.
inline pid_t spawnProgram(std::vector<std::string> args, const std::vector<std::string>& env = {},
                          const std::string& errorPath = "/dev/null") {
    std::vector<std::string> environment = env;
    std::erase_if(environment, [](const std::string& e) { return e.find('=') == std::string::npos; });
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string_view entry(*e);
        const bool changed = std::ranges::any_of(env, [&](const std::string& name) {
            const std::string_view key = std::string_view(name).substr(0, name.find('='));
            return entry.starts_with(key) && entry.size() > key.size() && entry[key.size()] == '=';
        });
        if (!changed)
            environment.emplace_back(entry);
    }
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (auto& e : environment)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, errorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

/// Runs a program to its end; its exit status, -1 on failure.
inline int runProgram(std::vector<std::string> args, const std::vector<std::string>& env = {}) {
    const pid_t pid = spawnProgram(std::move(args), env);
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

/// Xvfb for the life of the object; `display()` is empty when it could not be started.
class XvfbServer {
public:
    XvfbServer() { start({}); }
    ~XvfbServer() { stop(); }
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    /// Ends the server, as when it crashes or the session ends; display() stays what it was.
    void stop() {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
        m_pid = -1;
    }
    /// A new server on the display number of the one stopped; true once it accepts connections.
    bool restart() {
        stop();
        const std::string number = m_display.empty() ? std::string() : m_display.substr(1);
        m_display.clear();
        start(number);
        return !m_display.empty() && m_display.substr(1) == number;
    }

    /// ":N", or empty when the server did not start.
    const std::string& display() const { return m_display; }

    /// `xdotool key` with the blank-separated key combinations, in order; true when xdotool succeeded.
    bool key(const std::string& keys) const {
        std::vector<std::string> args{"xdotool", "key"};
        for (std::size_t start = 0; start < keys.size();) {
            const std::size_t end = std::min(keys.find(' ', start), keys.size());
            args.push_back(keys.substr(start, end - start));
            start = end + 1;
        }
        return runProgram(args, {"DISPLAY=" + m_display}) == 0;
    }

private:
    // Display number `number`, or one Xvfb picks when it is empty.
    void start(const std::string& number) {
        int ready[2];
        if (pipe(ready) != 0)
            return;
        fcntl(ready[0], F_SETFD, FD_CLOEXEC);
        // -noreset: the server would otherwise reset, refusing connections meanwhile, whenever its last
        // client leaves, as it does between tests.
        std::vector<std::string> args{"Xvfb",      "-displayfd", std::to_string(ready[1]),
                                      "-nolisten", "tcp",        "-noreset"};
        if (!number.empty())
            args.insert(args.begin() + 1, ":" + number);
        m_pid = spawnProgram(args);
        close(ready[1]);
        if (m_pid < 0) {
            close(ready[0]);
            return;
        }
        // Xvfb writes its display number once it accepts connections.
        std::string written;
        const auto end = SteadyClock::now() + std::chrono::seconds(15);
        while (SteadyClock::now() < end && (written.empty() || written.back() != '\n')) {
            pollfd readable{ready[0], POLLIN, 0};
            if (poll(&readable, 1, 100) <= 0)
                continue;
            char c = 0;
            if (read(ready[0], &c, 1) != 1)
                break;
            written += c;
        }
        close(ready[0]);
        if (!written.empty() && written.back() == '\n')
            m_display = ":" + written.substr(0, written.size() - 1);
    }

    pid_t m_pid = -1;
    std::string m_display;
};

/// Another X client: grabs keys on the root window so that nobody else can.
class OtherClient {
public:
    explicit OtherClient(const std::string& display) : m_connection(xcb_connect(display.c_str(), nullptr)) {
        if (xcb_connection_has_error(m_connection) != 0)
            return;
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        m_symbols = xcb_key_symbols_alloc(m_connection);
    }
    ~OtherClient() {
        if (m_symbols != nullptr)
            xcb_key_symbols_free(m_symbols);
        xcb_disconnect(m_connection);
    }
    OtherClient(const OtherClient&) = delete;
    OtherClient& operator=(const OtherClient&) = delete;

    /// First keycode of a keysym.
    xcb_keycode_t keycode(xcb_keysym_t keysym) const {
        xcb_keycode_t* codes = xcb_key_symbols_get_keycode(m_symbols, keysym);
        const xcb_keycode_t code = codes != nullptr ? codes[0] : 0;
        std::free(codes);
        return code;
    }
    /// Grabs the key with exactly `modifiers`; false when another client holds it.
    bool grab(xcb_keysym_t keysym, std::uint16_t modifiers) const {
        xcb_generic_error_t* error = xcb_request_check(
            m_connection, xcb_grab_key_checked(m_connection, 1, m_root, modifiers, keycode(keysym),
                                               XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        std::free(error);
        return error == nullptr;
    }
    /// Releases a grab of this client.
    void ungrab(xcb_keysym_t keysym, std::uint16_t modifiers) const {
        xcb_ungrab_key(m_connection, keycode(keysym), m_root, modifiers);
        std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    }
    /// The modifier and lock state of the keyboard now.
    std::uint16_t modifierState() const {
        xcb_query_pointer_reply_t* reply =
            xcb_query_pointer_reply(m_connection, xcb_query_pointer(m_connection, m_root), nullptr);
        const std::uint16_t mask = reply != nullptr ? reply->mask : 0;
        std::free(reply);
        return mask;
    }

private:
    xcb_connection_t* m_connection;
    xcb_window_t m_root = 0;
    xcb_key_symbols_t* m_symbols = nullptr;
};

/// Polls `condition` until it holds or the deadline passes.
template <typename Condition>
bool waitFor(Condition condition, std::chrono::milliseconds deadline = std::chrono::seconds(10)) {
    const auto end = SteadyClock::now() + deadline;
    while (!condition()) {
        if (SteadyClock::now() >= end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

} // namespace quorvane::test
