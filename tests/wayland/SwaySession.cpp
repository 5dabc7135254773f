#include "wayland/SwaySession.h"

#include "config/ConfigFiles.h"

#include <filesystem>
#include <sstream>
#include <sys/stat.h>

namespace quorvane::test {

namespace {

// sway refuses to run as root; "nobody" exists on every system.
constexpr const char* kUnprivilegedId = "65534";

std::vector<std::string> without(std::vector<std::string> env, const std::string& name) {
    std::erase_if(env, [&](const std::string& e) { return e.starts_with(name + "="); });
    return env;
}

} // namespace

SwaySession::SwaySession(const std::string& layout) : m_layout(layout) {
    for (const char* program : {"sway", "setpriv", "swaymsg"})
        if (findProgram(program).empty()) {
            m_whyNot = std::string(program) + " is not installed (package list: scripts/debian-packages.txt)";
            m_notInstalled = true;
            return;
        }
    const std::string runtime = m_runtime.path().string();
    const std::string config = m_runtime.file("config");
    WriteWholeFile(config, "xwayland disable\n"
                           "output HEADLESS-1 resolution 1024x768\n"
                           "input type:keyboard xkb_layout " +
                               layout + "\n");
    // The runtime folder belongs to the user sway runs as, and to no one else.
    const auto id = static_cast<uid_t>(std::stoul(kUnprivilegedId));
    if (::chown(runtime.c_str(), id, id) != 0 || ::chmod(runtime.c_str(), 0700) != 0 ||
        ::chown(config.c_str(), id, id) != 0) {
        m_whyNot = "cannot hand the runtime folder to the unprivileged user";
        return;
    }
    if (!start())
        m_whyNot = "sway did not start: " + ReadWholeFile(m_files.file("sway.err")).value_or("");
}

bool SwaySession::start() {
    std::vector<std::string> env = without(without(environment(), "WAYLAND_DISPLAY"), "HOME");
    for (const char* setting : {"WLR_BACKENDS=headless", "WLR_RENDERER=pixman", "WLR_LIBINPUT_NO_DEVICES=1",
                                "XDG_CONFIG_HOME=/nonexistent"})
        env.emplace_back(setting);
    env.push_back("HOME=" + m_runtime.path().string());
    m_sway.emplace(std::vector<std::string>{findProgram("setpriv"), std::string("--reuid=") + kUnprivilegedId,
                                            std::string("--regid=") + kUnprivilegedId, "--clear-groups",
                                            findProgram("sway"), "-c", m_runtime.file("config")},
                   env, m_files.file("sway.out"), m_files.file("sway.err"));
    // sway names its sockets itself: the Wayland one and the IPC one for swaymsg.
    const std::string previous = m_display;
    m_display.clear();
    m_ipcSocket.clear();
    return waitUntil([&] {
        if (!m_sway->running())
            return false;
        for (const auto& entry : std::filesystem::directory_iterator(m_runtime.path())) {
            const std::string name = entry.path().filename().string();
            if (name.starts_with("wayland-") && !name.ends_with(".lock"))
                m_display = name;
            else if (name.starts_with("sway-ipc."))
                m_ipcSocket = entry.path().string();
        }
        return !m_display.empty() && !m_ipcSocket.empty() && (previous.empty() || m_display == previous);
    });
}

void SwaySession::stop() {
    if (m_sway)
        m_sway->stop();
    // A sway that was killed leaves its sockets behind.
    for (const auto& entry : std::filesystem::directory_iterator(m_runtime.path()))
        if (entry.path().filename().string() != "config")
            std::filesystem::remove(entry.path());
}

bool SwaySession::restart() {
    stop();
    return start();
}

std::vector<std::string> SwaySession::environment() const {
    std::vector<std::string> env = environmentWith("DISPLAY", std::nullopt);
    env = without(without(without(env, "XDG_RUNTIME_DIR"), "WAYLAND_DISPLAY"), "QT_QPA_PLATFORM");
    env.push_back("XDG_RUNTIME_DIR=" + m_runtime.path().string());
    if (!m_display.empty())
        env.push_back("WAYLAND_DISPLAY=" + m_display);
    return env;
}

int SwaySession::run(std::vector<std::string> args) const {
    args[0] = findProgram(args[0]);
    ChildProcess child(std::move(args), environment(), m_files.file("run.out"), m_files.file("run.err"));
    waitUntil([&] { return !child.running(); });
    return child.exitStatus().value_or(-1);
}

std::string SwaySession::swaymsg(const std::vector<std::string>& args) const {
    std::vector<std::string> command{"swaymsg", "-s", m_ipcSocket};
    command.insert(command.end(), args.begin(), args.end());
    run(command);
    return ReadWholeFile(m_files.file("run.out")).value_or("");
}

std::string textTypedIntoWev(const std::string& log) {
    std::istringstream lines(log);
    std::string text;
    bool pressed = false;
    for (std::string line; std::getline(lines, line);) {
        if (line.find("wl_keyboard] key:") != std::string::npos) {
            pressed = line.find("(pressed)") != std::string::npos;
            continue;
        }
        const auto sym = line.find("sym: ");
        if (!pressed || sym == std::string::npos)
            continue;
        pressed = false;
        if (line.find("sym: Return ") != std::string::npos) {
            text += '\n';
            continue;
        }
        const auto start = line.find("utf8: '");
        const auto end = line.rfind('\'');
        if (start != std::string::npos && end > start + 7)
            text += line.substr(start + 7, end - start - 7);
    }
    return text;
}

} // namespace quorvane::test
