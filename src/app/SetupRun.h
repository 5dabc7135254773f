#pragma once
// `quorvane` without a file: the setup window, and the engine runs it activates.

#include "app/AnalyzerSession.h"
#include "app/RuntimeSession.h"
#include "config/CommandLine.h"
#include "setup/RuntimeHost.h"
#include "setup/widgets/ModalRunner.h"
#include "setup/widgets/PickerHost.h"

#include <memory>

namespace quorvane {

/// Runs the engine in the runtime window for the setup window's activation, one session at a time.
class DesktopRuntimeHost final : public RuntimeHost {
public:
    /// Every reference must outlive the host; `options` carries --device, --trace-dde and the
    /// process's pickers (without them the host loads one set for its analyzer and device windows).
    DesktopRuntimeHost(Configuration& config, UserPrompts& prompts, SoundBeep& sounds, SettingsStore& store,
                       RuntimeOptions options = {});
    ~DesktopRuntimeHost() override;

    bool openPort(std::int16_t activationKind) override;
    void abandonPort() override;
    void showRuntime(std::function<void()> ended) override;
    bool showAnalyzer(const std::string& caption) override;
    void closeAnalyzer() override;
    /// The port analyzer in analyzer use; null while it is closed.
    AnalyzerSession* analyzer() const { return m_analyzer.get(); }
    /// The session of the current run; null between runs.
    RuntimeSession* session() const { return m_session.get(); }

private:
    Configuration& m_config;
    UserPrompts& m_prompts;
    SoundBeep& m_sounds;
    SettingsStore& m_store;
    RuntimeOptions m_options;
    ExecRunner m_runner;
    std::unique_ptr<PickerHost> m_ownPickers;
    std::unique_ptr<RuntimeSession> m_session;
    std::unique_ptr<AnalyzerSession> m_analyzer;
};

/// Shows the setup window and runs until the program ends; returns the exit status.
int RunSetup(int argc, char** argv, const CommandLine& line);

} // namespace quorvane
