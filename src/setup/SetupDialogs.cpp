#include "setup/SetupDialogs.h"

#include "setup/PreferencesDialog.h"

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
    case SetupCommand::PortAnalyzer:
        return "The port analyzer";
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
    case SetupCommand::VirtualInstrument:
        return "Virtual Instrument Mode";
    }
    return "This command";
}

SetupDialogs StandardSetupDialogs() {
    SetupDialogs dialogs;
    dialogs.set(SetupCommand::Preferences, [](const SetupDialogContext& c) {
        PreferencesDialog dialog(c.Config, c.Prompts, c.Parent);
        dialog.exec();
    });
    return dialogs;
}

} // namespace quorvane
