#pragma once
// The application-level owner of the pickers, their results and the entry boxes' internal clipboard.

#include <memory>
#include <string>
#include <vector>

#include "config/Configuration.h"
#include "setup/widgets/HelpTopic.h"
#include "setup/widgets/ModalRunner.h"
#include "setup/widgets/PickerResults.h"

namespace quorvane {

class AsciiChart;
class GetAKey;
class GetAKey2;

/// One per process: the setup dialogs, the analyzer and the virtual device window share it, so they
/// share the pickers' results and the internal clipboard. Loads each picker on first use and keeps it
/// (hidden) until the host is destroyed; the host is the pickers' only owner (they have no Qt parent,
/// so no window that closes takes them along). Pickers are shown through the ModalRunner.
class PickerHost {
public:
    PickerHost(Configuration& config, ModalRunner& runner);
    ~PickerHost();
    PickerHost(const PickerHost&) = delete;
    PickerHost& operator=(const PickerHost&) = delete;

    /// Shows the ASCII chart (with `extraRows` on top, for the pre-input window); its result text,
    /// empty when cancelled.
    std::string pickAscii(int helpTopic, std::vector<std::string> extraRows = {});
    /// Shows the keystroke picker; the macro, empty when cancelled.
    std::string pickKeystroke(int helpTopic);
    /// Shows the hot key picker; the text (empty when cancelled), the key word in results().
    std::string pickHotKey(int helpTopic);
    /// The keystroke picker's "NUL" row: removed while the field editor is open.
    void setKeystrokeNulRow(bool shown);

    /// The last results of the pickers.
    const PickerResults& results() const { return m_results; }
    /// The text shared by every character entry box; keeps NUL and control characters.
    std::string& internalClipboard() { return m_internalClipboard; }
    /// The runner every setup dialog is shown through.
    ModalRunner& runner() { return m_runner; }

private:
    AsciiChart& asciiChart();
    GetAKey& keystrokePicker();

    Configuration& m_config;
    ModalRunner& m_runner;
    PickerResults m_results;
    std::string m_internalClipboard;
    std::unique_ptr<AsciiChart> m_ascii;
    std::unique_ptr<GetAKey> m_keystroke;
    std::unique_ptr<GetAKey2> m_hotKey;
};

} // namespace quorvane
