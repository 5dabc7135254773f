#pragma once
// A desktop of named windows in stacking order, and a program launcher that opens them.

#include "platform/WindowSystem.h"

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace quorvane::test {

/// Windows with titles, a stacking order, a focus and a minimized state; activation can be refused.
class FakeWindowSystem final : public WindowSystem {
public:
    struct Window {
        std::string Title;
        bool Minimized = false;
        bool RefusesActivation = false;
    };

    /// A new window on top of the others; it does not take the focus.
    WindowId addWindow(std::string title, bool minimized = false) {
        const WindowId id = ++m_lastId;
        Windows[id] = Window{std::move(title), minimized, false};
        Stacking.insert(Stacking.begin(), id);
        return id;
    }
    void removeWindow(WindowId id) {
        Windows.erase(id);
        std::erase(Stacking, id);
        if (Foreground == id)
            Foreground = kNoWindow;
    }

    std::vector<WindowId> topLevelWindows() override { return Stacking; }
    std::string windowTitle(WindowId window) override {
        const auto it = Windows.find(window);
        return it == Windows.end() ? std::string() : it->second.Title;
    }
    WindowId foregroundWindow() override { return Foreground; }
    bool activate(WindowId window) override {
        Log.push_back("activate " + std::to_string(window));
        const auto it = Windows.find(window);
        if (it == Windows.end() || it->second.RefusesActivation)
            return false;
        raise(window);
        Foreground = window;
        return true;
    }
    bool isMinimized(WindowId window) override { return Windows[window].Minimized; }
    void restore(WindowId window) override {
        Log.push_back("restore " + std::to_string(window));
        Windows[window].Minimized = false;
        raise(window);
        Foreground = window;
    }
    void show(WindowId window) override { Log.push_back("show " + std::to_string(window)); }
    void minimize(WindowId window) override {
        Log.push_back("minimize " + std::to_string(window));
        Windows[window].Minimized = true;
        if (Foreground == window)
            Foreground = kNoWindow;
    }

    std::map<WindowId, Window> Windows;
    std::vector<WindowId> Stacking; // top first
    WindowId Foreground = kNoWindow;
    std::vector<std::string> Log;

private:
    void raise(WindowId window) {
        std::erase(Stacking, window);
        Stacking.insert(Stacking.begin(), window);
    }

    WindowId m_lastId = 100;
};

/// Records the command lines it is asked to start and answers through OnStart (by default a
/// failure with "No such file or directory").
class FakeProgramLauncher final : public ProgramLauncher {
public:
    LaunchResult startProgram(std::string_view commandLine) override {
        Started.emplace_back(commandLine);
        return OnStart ? OnStart(commandLine) : LaunchResult{0, "No such file or directory"};
    }

    std::vector<std::string> Started;
    std::function<LaunchResult(std::string_view)> OnStart;
};

} // namespace quorvane::test
