#include "setup/SetupDialogs.h"

#include "setup/PreferencesDialog.h"
#include "setup/records/RecordDialogs.h"
#include "setup/widgets/ModalRunner.h"
#include "setup/widgets/PickerHost.h"

#include <memory>
#include <string>

namespace quorvane {

void SetupDialogs::set(SetupCommand command, DialogOpener opener) {
    if (opener)
        m_openers[command] = std::move(opener);
    else
        m_openers.erase(command);
}

void SetupDialogs::open(SetupCommand command, const SetupDialogContext& context) const {
    if (const auto it = m_openers.find(command); it != m_openers.end()) {
        it->second(context);
        return;
    }
    context.Prompts.messageBox(std::string(SetupCommandName(command)) + " is not available yet.",
                               kProgramTitle, MessageButtons::Ok, MessageIcon::Information);
}

std::string_view SetupCommandName(SetupCommand command) {
    switch (command) {
    case SetupCommand::TargetApplication:
        return "The target application dialog";
    case SetupCommand::DdeCommand:
        return "The target application DDE command dialog";
    case SetupCommand::PortSettings:
        return "The port settings dialog";
    case SetupCommand::RecordStructure:
        return "The input data record structure dialogs";
    case SetupCommand::PreInputTranslations:
        return "The pre-input character translations";
    case SetupCommand::TransferTranslations:
        return "The pre-transfer character translations";
    case SetupCommand::OutputStrings:
        return "The serial output strings dialog";
    case SetupCommand::HotKeys:
        return "The hot key dialog";
    case SetupCommand::Preferences:
        return "The Preferences dialog";
    }
    return "This command";
}

namespace {

// The pickers, their results and the internal clipboard live as long as the setup window's dialogs,
// so every dialog that picks a character or key shares them.
struct SharedPickers {
    ExecRunner Runner;
    std::unique_ptr<PickerHost> Host;

    PickerHost& host(const SetupDialogContext& c) {
        if (!Host)
            Host = std::make_unique<PickerHost>(c.Config, Runner, c.Parent);
        return *Host;
    }
};

} // namespace

SetupDialogs StandardSetupDialogs() {
    SetupDialogs dialogs;
    const auto pickers = std::make_shared<SharedPickers>();
    dialogs.set(SetupCommand::RecordStructure, [pickers](const SetupDialogContext& c) {
        RecordDialogs records(c.Config, c.Prompts, pickers->host(c), c.Parent);
        records.DefineRecordStructure();
    });
    dialogs.set(SetupCommand::Preferences, [](const SetupDialogContext& c) {
        PreferencesDialog dialog(c.Config, c.Prompts, c.Parent);
        dialog.exec();
    });
    return dialogs;
}

} // namespace quorvane
