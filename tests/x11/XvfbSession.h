#pragma once
// A private X server (Xvfb) with a window manager, for the X tests.

#include "fakes/ChildProcess.h"
#include "platform/x11/X11Display.h"

#include <csignal>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

namespace quorvane::test {

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
    /// xdotool with these arguments on this display; true when it succeeded.
    bool xdotool(std::vector<std::string> args) const {
        args.insert(args.begin(), findProgram("xdotool"));
        ChildProcess tool(std::move(args), environment());
        return waitUntil([&] { return !tool.running(); }) && tool.exitStatus() == 0;
    }
    /// Kills the X server under its clients, as a crash would; nothing of the session works after.
    void killServer() {
        m_display.reset();
        if (m_server && m_server->ok())
            ::kill(m_server->pid(), SIGKILL);
        m_server.reset();
        m_ready = false;
    }

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
