#include "engine/bus/CommandInterpreter.h"

#include "engine/bus/DdeBridge.h"
#include "engine/bus/DdeItemView.h"
#include "engine/Engine.h"
#include "engine/output/SerialOutput.h"
#include "platform/DdeBus.h"

namespace quorvane {

struct CommandInterpreter::Row {
    std::string_view Pattern;
    CommandForm Form;
    ArgumentCase Case;
    bool (CommandInterpreter::*Run)(std::string_view argument);
};

namespace {
constexpr auto kBare = CommandForm::Bare;
constexpr auto kParen = CommandForm::Parenthesised;
constexpr auto kAssign = CommandForm::Assignment;
constexpr auto kUpper = ArgumentCase::Upper;
constexpr auto kTyped = ArgumentCase::Typed;
} // namespace

// Tried in order; the first row that matches runs. A text too short for its row's argument falls
// through to the later rows and so ends refused.
const CommandInterpreter::Row CommandInterpreter::kTable[] = {
    {"{BEEP}", kBare, kUpper, &CommandInterpreter::beep},
    {"{TIMER-OFF}", kBare, kUpper, &CommandInterpreter::timerOff},
    {"{TIMER-ON}", kBare, kUpper, &CommandInterpreter::timerOn},
    {"{RESUME1}", kBare, kUpper, &CommandInterpreter::resumeOne},
    {"{SUSPEND}", kBare, kUpper, &CommandInterpreter::suspend},
    {"{RESUME}", kBare, kUpper, &CommandInterpreter::resume},
    {"{BREAK}", kBare, kUpper, &CommandInterpreter::startBreak},
    {"{TOGGLEDTR}", kBare, kUpper, &CommandInterpreter::toggleDtr},
    {"{DTR=ON}", kBare, kUpper, &CommandInterpreter::dtrOn},
    {"{DTR=OFF}", kBare, kUpper, &CommandInterpreter::dtrOff},
    {"{RTS=ON}", kBare, kUpper, &CommandInterpreter::rtsOn},
    {"{RTS=OFF}", kBare, kUpper, &CommandInterpreter::rtsOff},
    {"{RESET}", kBare, kUpper, &CommandInterpreter::reset},
    {"{CLEAR}", kBare, kUpper, &CommandInterpreter::clear},
    {"{APPNORMAL}", kBare, kUpper, &CommandInterpreter::appNormal},
    {"{APPMINIMIZE}", kBare, kUpper, &CommandInterpreter::appMinimize},
    {"{APPEXIT}", kBare, kUpper, &CommandInterpreter::appExit},
    {"{PASTE-COMMAND}", kBare, kUpper, &CommandInterpreter::pasteCommand},
    {"{REFRESH-COMMAND}", kBare, kUpper, &CommandInterpreter::refreshCommand},
    {"{TERMINATE-COMMAND}", kBare, kUpper, &CommandInterpreter::terminateCommand},
    {"{PASTE-BUFFER}", kBare, kUpper, &CommandInterpreter::pasteBuffer},
    {"{REFRESH-BUFFER}", kBare, kUpper, &CommandInterpreter::refreshBuffer},
    {"{TERMINATE-BUFFER}", kBare, kUpper, &CommandInterpreter::terminateBuffer},
    {"{STRIPCRLF-ON}", kBare, kUpper, &CommandInterpreter::stripOn},
    {"{STRIPCRLF-OFF}", kBare, kUpper, &CommandInterpreter::stripOff},
    {"{COPYDATE}", kBare, kUpper, &CommandInterpreter::copyDate},
    {"{COPYRECNUM}", kBare, kUpper, &CommandInterpreter::copyRecordNumber},
    {"{SEND(", kParen, kTyped, &CommandInterpreter::send},
    {"{SENDOUT(", kParen, kTyped, &CommandInterpreter::sendOut},
    {"{TIMERSTRING=", kAssign, kTyped, &CommandInterpreter::timerString},
    {"{SENDCODE(", kParen, kTyped, &CommandInterpreter::sendCode},
    {"{SENDDATE(", kParen, kTyped, &CommandInterpreter::sendDate},
    {"{SENDFILE(", kParen, kTyped, &CommandInterpreter::sendFile},
    {"{PUSH(", kParen, kUpper, &CommandInterpreter::push},
    // Linux paths are case-sensitive: the path is taken as typed.
    {"{CONFIG(", kParen, kTyped, &CommandInterpreter::config},
    {"{COPYFIELD(", kParen, kUpper, &CommandInterpreter::copyField},
    {"{TIMERINTERVAL=", kAssign, kUpper, &CommandInterpreter::timerInterval},
};

CommandInterpreter::CommandInterpreter(CommandTargets targets) : m_targets(std::move(targets)) {}

CommandAck CommandInterpreter::Form_LinkExecute(std::string_view command) {
    if (command.size() > kDdeMaxCommandLength)
        return CommandAck::Refused;
    const CommandText text = NormaliseCommand(command);
    if (text.Upper.empty())
        return CommandAck::Accepted;
    for (const Row& row : kTable) {
        const std::optional<std::string_view> argument = MatchCommand(text, row.Pattern, row.Form, row.Case);
        if (argument)
            return (this->*row.Run)(*argument) ? CommandAck::Accepted : CommandAck::Refused;
    }
    return CommandAck::Refused;
}

bool CommandInterpreter::isVirtual() const {
    return m_targets.Hoxel.activation() == ActivationKind::VirtualInstrument;
}

bool CommandInterpreter::beep(std::string_view) {
    m_targets.Prompts.beep();
    return true;
}

bool CommandInterpreter::timerOff(std::string_view) {
    if (m_targets.Output.timedOutputEnabled())
        m_targets.Output.disableTimedOutput();
    return true;
}

bool CommandInterpreter::timerOn(std::string_view) {
    if (!m_targets.Output.timedOutputEnabled())
        m_targets.Output.enableTimedOutput();
    return true;
}

bool CommandInterpreter::resumeOne(std::string_view) {
    if (m_targets.Hoxel.state().Suspended)
        m_targets.Hoxel.Resume1_Click();
    return true;
}

bool CommandInterpreter::suspend(std::string_view) {
    if (!m_targets.Hoxel.state().Suspended)
        m_targets.Hoxel.SuspendMenu_Click();
    return true;
}

bool CommandInterpreter::resume(std::string_view) {
    if (m_targets.Hoxel.state().Suspended)
        m_targets.Hoxel.SuspendMenu_Click();
    return true;
}

// The line commands are accepted in Virtual Instrument Mode, where SerialOutput leaves the port alone.
bool CommandInterpreter::startBreak(std::string_view) {
    m_targets.Output.StartBreak();
    return true;
}

bool CommandInterpreter::toggleDtr(std::string_view) {
    m_targets.Output.ToggleDtr();
    return true;
}

bool CommandInterpreter::dtrOn(std::string_view) {
    m_targets.Output.setDtr(true);
    return true;
}

bool CommandInterpreter::dtrOff(std::string_view) {
    m_targets.Output.setDtr(false);
    return true;
}

bool CommandInterpreter::rtsOn(std::string_view) {
    m_targets.Output.setRts(true);
    return true;
}

bool CommandInterpreter::rtsOff(std::string_view) {
    m_targets.Output.setRts(false);
    return true;
}

bool CommandInterpreter::reset(std::string_view) {
    m_targets.Hoxel.MReset_Click();
    return true;
}

bool CommandInterpreter::clear(std::string_view) {
    m_targets.Bridge.clearFieldItems();
    return true;
}

bool CommandInterpreter::appNormal(std::string_view) {
    m_targets.Window.setMinimized(false);
    return true;
}

bool CommandInterpreter::appMinimize(std::string_view) {
    m_targets.Window.setMinimized(true);
    return true;
}

bool CommandInterpreter::appExit(std::string_view) {
    m_targets.Hoxel.RequestAppExit();
    return true;
}

bool CommandInterpreter::pasteCommand(std::string_view) {
    return m_targets.Bridge.links().perform(DdeEditCommand::PasteCommand);
}

bool CommandInterpreter::refreshCommand(std::string_view) {
    return m_targets.Bridge.links().perform(DdeEditCommand::RefreshCommand);
}

bool CommandInterpreter::terminateCommand(std::string_view) {
    return m_targets.Bridge.links().perform(DdeEditCommand::TerminateCommand);
}

bool CommandInterpreter::pasteBuffer(std::string_view) {
    return m_targets.Bridge.links().perform(DdeEditCommand::PasteBuffer);
}

bool CommandInterpreter::refreshBuffer(std::string_view) {
    return m_targets.Bridge.links().perform(DdeEditCommand::RefreshBuffer);
}

bool CommandInterpreter::terminateBuffer(std::string_view) {
    return m_targets.Bridge.links().perform(DdeEditCommand::TerminateBuffer);
}

bool CommandInterpreter::stripOn(std::string_view) {
    m_targets.Config.StripBufferCrLf = kTrue;
    return true;
}

bool CommandInterpreter::stripOff(std::string_view) {
    m_targets.Config.StripBufferCrLf = kFalse;
    return true;
}

// A copy is accepted even when the item cannot be read: the clipboard then keeps what it had.
bool CommandInterpreter::copyDate(std::string_view) {
    m_targets.Bridge.copyLink(kDateTimeItem);
    return true;
}

bool CommandInterpreter::copyRecordNumber(std::string_view) {
    m_targets.Bridge.copyLink(kRecordNumberItem);
    return true;
}

bool CommandInterpreter::config(std::string_view path) {
    if (isVirtual())
        return false;
    return m_targets.Reloader.reloadConfiguration(std::string(path));
}

} // namespace quorvane
