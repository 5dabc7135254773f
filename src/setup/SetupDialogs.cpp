#include "setup/SetupDialogs.h"

#include "serial/PortBindings.h"
#include "setup/HelpWindow.h"
#include "platform/mqtt/PahoMqttClient.h"
#include "setup/PreferencesDialog.h"
#include "setup/ports/AppSelect.h"
#include "setup/ports/DDEParms.h"
#include "setup/ports/PortSetup.h"
#include "setup/records/RecordDialogs.h"
#include "setup/tables/TableDialogs.h"
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

// The translation window and the output string editor are loaded once and kept. They have no Qt
// parent: the setup window goes at the start of Normal Mode, and its children with it, while these
// belong to the openers alone.
struct KeptTables {
    explicit KeptTables(PickerHost& pickers) : Pickers(pickers) {}
    PickerHost& Pickers;
    std::unique_ptr<TableDialogs> Tables;

    TableDialogs& tables(const SetupDialogContext& c) {
        if (!Tables)
            Tables = std::make_unique<TableDialogs>(c.Config, c.Prompts, Pickers);
        return *Tables;
    }
};

} // namespace

SetupDialogs StandardSetupDialogs(PickerHost& pickers) {
    SetupDialogs dialogs;
    const auto kept = std::make_shared<KeptTables>(pickers);
    dialogs.set(SetupCommand::RecordStructure, [&pickers](const SetupDialogContext& c) {
        RecordDialogs records(c.Config, c.Prompts, pickers, c.Parent);
        records.DefineRecordStructure();
    });
    dialogs.set(SetupCommand::PreInputTranslations,
                [kept](const SetupDialogContext& c) { kept->tables(c).PreInTrans(); });
    dialogs.set(SetupCommand::TransferTranslations,
                [kept](const SetupDialogContext& c) { kept->tables(c).DefineTranslate(); });
    dialogs.set(SetupCommand::OutputStrings,
                [kept](const SetupDialogContext& c) { kept->tables(c).GetOutStrings(); });
    dialogs.set(SetupCommand::HotKeys, [kept](const SetupDialogContext& c) { kept->tables(c).MHKActions(); });
    dialogs.set(SetupCommand::TargetApplication, [](const SetupDialogContext& c) {
        AppSelect dialog(c.Config, c.Prompts, c.Files, c.Parent);
        SetHelpTopic(&dialog, AppSelect::kHelpTopic);
        dialog.load();
        dialog.exec();
    });
    dialogs.set(SetupCommand::DdeCommand, [](const SetupDialogContext& c) {
        DDEParms dialog(c.Config, c.Parent);
        SetHelpTopic(&dialog, DDEParms::kHelpTopic);
        dialog.load();
        dialog.exec();
    });
    dialogs.set(SetupCommand::PortSettings, [](const SetupDialogContext& c) {
        PortBindings bindings(c.Store);
        PortSetup dialog(
            c.Config, c.Prompts, bindings, [] { return ListSerialDevices(); }, c.Parent);
        SetHelpTopic(&dialog, PortSetup::kHelpTopic);
        dialog.setFileDialogs(&c.Files);
        dialog.setSessionDevice(c.SessionDevice);
        dialog.load();
        dialog.exec();
    });
    dialogs.set(SetupCommand::Preferences, [](const SetupDialogContext& c) {
        PreferencesDialog dialog(c.Config, c.Prompts, c.Parent);
        dialog.enableMqtt(c.Store, [] { return std::make_unique<PahoMqttClient>(); });
        dialog.enableKeystrokes(c.Store);
        dialog.exec();
    });
    return dialogs;
}

} // namespace quorvane
