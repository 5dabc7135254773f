#pragma once
// The one place where the setup window's commands open their dialogs: a table of openers keyed by
// command. A command without an opener says that its dialog is not available yet.

#include "config/Configuration.h"
#include "platform/FileDialogs.h"
#include "platform/SettingsStore.h"
#include "platform/UserPrompts.h"

#include <functional>
#include <map>
#include <string>
#include <string_view>

class QWidget;

namespace quorvane {

/// The setup window's commands that open a dialog.
enum class SetupCommand {
    TargetApplication, ///< the send-keystrokes target application dialog
    DdeCommand,        ///< the DDE server's target application DDE command dialog
    PortSettings,      ///< the port dialog
    RecordStructure,   ///< the record structure dialogs and the field editor
    PreInputTranslations,
    TransferTranslations,
    OutputStrings,
    HotKeys,
    Preferences,
};

/// What an opener is given: the setup window as the dialog's parent, the configuration it edits,
/// the prompts for its messages, the per-user settings store, the file dialogs and the device the
/// configured port uses in this session (--device; empty for its binding).
struct SetupDialogContext {
    QWidget* Parent;
    Configuration& Config;
    UserPrompts& Prompts;
    SettingsStore& Store;
    FileDialogs& Files;
    std::string SessionDevice = {};
};

/// Opens a dialog modally and returns when it closed.
using DialogOpener = std::function<void(const SetupDialogContext&)>;

/// The openers of the setup window's commands.
class SetupDialogs {
public:
    /// Sets (or, with an empty opener, removes) the opener of a command.
    void set(SetupCommand command, DialogOpener opener);
    /// True when the command has an opener.
    bool available(SetupCommand command) const { return m_openers.count(command) != 0; }
    /// Runs the command's opener, or tells the user that the command is not available yet.
    void open(SetupCommand command, const SetupDialogContext& context) const;

private:
    std::map<SetupCommand, DialogOpener> m_openers;
};

/// What the note of a command without a dialog calls it ("The port dialog").
std::string_view SetupCommandName(SetupCommand command);

class PickerHost;

/// The dialogs this build has. They share the process's `pickers`, which must outlive them.
SetupDialogs StandardSetupDialogs(PickerHost& pickers);

} // namespace quorvane
