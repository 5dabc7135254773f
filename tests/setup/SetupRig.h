#pragma once
// The setup window offscreen on the fake platform: scripted prompts, file dialogs and store, real
// configuration files in a temporary folder, a runtime host that records what it was asked, and the
// process's pickers, shown by scripted modal runs.

#include "config/ConfigFileFormat.h"
#include "fakes/FakeFileDialogs.h"
#include "fakes/FakePrompts.h"
#include "fakes/FakeSettingsStore.h"
#include "fakes/TempDir.h"
#include "platform/posix/PosixConfigFileAccess.h"
#include "setup/HelpWindow.h"
#include "setup/MainForm.h"
#include "setup/SetupDialogRig.h"

#include <QAction>
#include <QApplication>
#include <QMenu>

#include <string>
#include <vector>

namespace quorvane::test {

/// Records the activation steps; the port opens unless told otherwise.
class FakeRuntimeHost final : public RuntimeHost {
public:
    bool openPort(std::int16_t activationKind) override {
        Calls.push_back("open " + std::to_string(activationKind));
        return PortOpens;
    }
    void abandonPort() override { Calls.push_back("abandon"); }
    void showRuntime(std::function<void()> ended) override {
        Calls.push_back("show");
        Ended = std::move(ended);
    }
    bool showAnalyzer(const std::string& caption) override {
        Calls.push_back("analyzer " + caption);
        return PortOpens;
    }
    void closeAnalyzer() override { Calls.push_back("close analyzer"); }

    bool PortOpens = true;
    std::vector<std::string> Calls;
    /// What the host runs when the runtime window closes.
    std::function<void()> Ended;
};

struct SetupRig {
    SetupRig() : Form(std::make_unique<MainForm>(parts(Runtime))) {}

    /// The window's parts, with `runtime` starting the engine.
    SetupParts parts(RuntimeHost& runtime) {
        return {Config, Files, Prompts, Dialogs, Store, Commands, runtime, Help, [this] { ++Ends; }, {}, {}};
    }
    /// A new window that activates through `runtime` (which must outlive it).
    void useRuntime(RuntimeHost& runtime) { Form = std::make_unique<MainForm>(parts(runtime)); }

    /// A reset configuration saved as `name` in the folder; its path.
    std::string saveFile(const std::string& name) {
        Configuration c;
        ResetConfiguration(c);
        const std::string path = Dir.file(name);
        Files.replaceFile(path, EncodeConfigFile(c));
        return path;
    }
    /// A menu item or menu of the window by its name.
    QAction* action(const QString& name) const { return Form->findChild<QAction*>(name); }
    QMenu* menu(const QString& name) const { return Form->findChild<QMenu*>(name); }
    /// Triggers a menu item.
    SetupRig& click(const QString& name) {
        action(name)->trigger();
        QApplication::processEvents();
        return *this;
    }
    /// What the window's caption says.
    std::string caption() const { return Form->windowTitle().toStdString(); }

    TempDir Dir;
    Configuration Config = [] {
        Configuration c;
        ResetConfiguration(c);
        return c;
    }();
    PosixConfigFileAccess Files;
    FakePrompts Prompts;
    FakeFileDialogs Dialogs;
    FakeSettingsStore Store;
    ScriptedRunner Runner;
    PickerHost Pickers{Config, Runner};
    SetupDialogs Commands = StandardSetupDialogs(Pickers);
    FakeRuntimeHost Runtime;
    HelpWindow Help;
    int Ends = 0;
    std::unique_ptr<MainForm> Form;
};

} // namespace quorvane::test
