#pragma once
// The port analyzer in analyzer use: its own port, opened for it and closed when the window closes.

#include "config/Configuration.h"
#include "platform/SettingsStore.h"
#include "platform/UserPrompts.h"

#include <functional>
#include <memory>
#include <string>

namespace quorvane {

class ComShow;
class PickerHost;

/// One analyzer window on the configured port. Every reference must outlive the session.
class AnalyzerSession {
public:
    /// `device` (--device) replaces the port's binding for this session when not empty; `pickers` are
    /// the process's.
    AnalyzerSession(Configuration& config, UserPrompts& prompts, SettingsStore& store, PickerHost& pickers,
                    const std::string& device);
    ~AnalyzerSession();
    AnalyzerSession(const AnalyzerSession&) = delete;
    AnalyzerSession& operator=(const AnalyzerSession&) = delete;

    /// Opens the port and shows the window captioned `caption`; false after the port layer told the
    /// user why. `closed` runs from the event loop once the window closed its port.
    bool show(const std::string& caption, std::function<void()> closed);
    /// Closes the window, which closes the port.
    void close();
    /// The window; null before show.
    ComShow* window() const;

private:
    struct Parts;
    std::unique_ptr<Parts> m_parts;
};

} // namespace quorvane
