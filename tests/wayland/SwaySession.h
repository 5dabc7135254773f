#pragma once
// A private headless sway for the Wayland tests, run as an unprivileged user (sway refuses root)
// in a runtime folder of its own, and the environment of programs that use it.

#include "fakes/ChildProcess.h"
#include "fakes/TempDir.h"

#include <optional>
#include <string>
#include <vector>

namespace quorvane::test {

class SwaySession {
public:
    /// Starts sway with the keyboard layout `layout` (xkb name) for its keyboards.
    explicit SwaySession(const std::string& layout = "us");

    /// Ends sway, as when the desktop session goes away; the socket's name is then free.
    void stop();
    /// Starts sway again in the same runtime folder; true once its socket has the same name.
    bool restart();

    /// Empty when the session is usable; otherwise why not.
    const std::string& whyNot() const { return m_whyNot; }
    /// True when whyNot() means a program is missing (the test is skipped, not failed).
    bool notInstalled() const { return m_notInstalled; }
    /// Our environment with WAYLAND_DISPLAY and XDG_RUNTIME_DIR naming this session, without DISPLAY
    /// and QT_QPA_PLATFORM: Qt programs find the compositor as on a Wayland desktop.
    std::vector<std::string> environment() const;
    /// The full path of the compositor's socket, which connects whatever the environment says.
    std::string socketPath() const { return m_runtime.file(m_display); }
    /// Runs swaymsg with these arguments; its standard output.
    std::string swaymsg(const std::vector<std::string>& args) const;
    /// Runs a program on the session and waits for its end; its exit status.
    int run(std::vector<std::string> args) const;
    /// A folder for the test's files.
    const TempDir& files() const { return m_files; }

private:
    bool start();

    std::string m_layout;
    std::string m_whyNot;
    bool m_notInstalled = false;
    TempDir m_runtime;
    TempDir m_files;
    std::string m_display;
    std::string m_ipcSocket;
    std::optional<ChildProcess> m_sway;
};

/// The text a wev log shows typed: each pressed key's UTF-8 text, Return as a line end.
std::string textTypedIntoWev(const std::string& log);

} // namespace quorvane::test
