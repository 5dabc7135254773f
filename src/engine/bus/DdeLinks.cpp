#include "engine/bus/DdeLinks.h"

#include "config/CodePage.h"
#include "engine/bus/DdeCommandClient.h"

namespace quorvane {

std::optional<DdeLinkAddress> ParseDdeLink(std::string_view text) {
    const std::size_t bar = text.find('|');
    if (bar == std::string_view::npos)
        return std::nullopt;
    // The item separator is looked for after the application only, so an application name with a
    // "!" cannot give a topic that ends before it starts.
    const std::size_t bang = text.find('!', bar + 1);
    DdeLinkAddress address;
    address.Application = text.substr(0, bar);
    if (bang == std::string_view::npos) {
        address.Topic = text.substr(bar + 1);
    } else {
        address.Topic = text.substr(bar + 1, bang - bar - 1);
        address.Item = text.substr(bang + 1);
    }
    return address;
}

std::string_view BufferLinkText(std::string_view text, bool strip) {
    if (strip && text.size() > 1 && text.ends_with("\r\n"))
        text.remove_suffix(2);
    return text;
}

DdeLinks::DdeLinks(Configuration& config, DdeClient& client, Clipboard& clipboard, UserPrompts& prompts,
                   CommandRunner runCommand, OutputQueuer queueOutput)
    : m_config(config), m_client(client), m_clipboard(clipboard), m_prompts(prompts),
      m_runCommand(std::move(runCommand)), m_queueOutput(std::move(queueOutput)) {}

DdeLinks::~DdeLinks() {
    closeLinks();
}

DdeLinks::Settings DdeLinks::settings(DdeLinkKind kind) const {
    if (kind == DdeLinkKind::Command)
        return {m_config.CommandLinkApp, m_config.CommandLinkTopic, m_config.CommandLinkItem,
                m_config.CommandLinkAuto};
    return {m_config.BufferLinkApp, m_config.BufferLinkTopic, m_config.BufferLinkItem,
            m_config.BufferLinkAuto};
}

void DdeLinks::establishAutoLinks() {
    for (const DdeLinkKind kind : {DdeLinkKind::Command, DdeLinkKind::Buffer})
        if (isSet(settings(kind).Auto))
            establish(kind);
}

void DdeLinks::serveLinkRequests() {
    for (const DdeLinkKind kind : {DdeLinkKind::Command, DdeLinkKind::Buffer}) {
        if (!link(kind).Requested)
            continue;
        establish(kind);
        link(kind).Requested = false;
    }
}

void DdeLinks::closeLinks() {
    terminate(DdeLinkKind::Command);
    terminate(DdeLinkKind::Buffer);
}

void DdeLinks::terminate(DdeLinkKind kind) {
    Link& l = link(kind);
    l.Mode = DdeLinkMode::None;
    if (l.Conversation != 0) {
        // Cleared first: closing may run handlers that look at the link.
        const DdeConversation conversation = l.Conversation;
        l.Conversation = 0;
        m_client.disconnect(conversation);
    }
}

void DdeLinks::establish(DdeLinkKind kind) {
    const Settings s = settings(kind);
    if (s.App.empty() || s.Topic.empty())
        return;
    terminate(kind);
    Link& l = link(kind);
    const DdeConversation conversation = m_client.connect(s.App, s.Topic, [this, kind] { lost(kind); });
    std::optional<std::string> baseline;
    if (conversation != 0) {
        baseline = m_client.request(conversation, s.Item, kDdeExecuteTimeoutMs).Value;
        const bool following =
            baseline && m_client.follow(conversation, s.Item,
                                        [this, kind, conversation](std::string_view, std::string_view value) {
                                            arrive(kind, conversation, value);
                                        });
        if (!following) {
            m_client.disconnect(conversation);
            baseline.reset();
        }
    }
    if (!baseline) {
        const std::string what = kind == DdeLinkKind::Command ? "Command" : "Output Buffer";
        m_prompts.messageBox("Cannot Establish DDE " + what +
                                 " Link With: " + BytesToUtf8(s.App + "," + s.Topic + "," + s.Item),
                             kProgramTitle, MessageButtons::Ok, MessageIcon::None);
        return;
    }
    // The item's text at this moment is the baseline, not an arrival: it was meant for an earlier
    // link, and running it again would repeat a reload, an exit or a refresh at every start and
    // resend the device's last text. Only the changes from here on are executed or queued.
    l.Conversation = conversation;
    l.Mode = DdeLinkMode::Automatic;
}

void DdeLinks::lost(DdeLinkKind kind) {
    // The server went away: the conversation is closed already and the link is dead until refreshed.
    Link& l = link(kind);
    l.Conversation = 0;
    l.Mode = DdeLinkMode::None;
}

void DdeLinks::arrive(DdeLinkKind kind, DdeConversation conversation, std::string_view text) {
    const Link& l = link(kind);
    if (l.Mode != DdeLinkMode::Automatic || l.Conversation != conversation)
        return;
    if (kind == DdeLinkKind::Command)
        commandLinkText(text);
    else
        bufferLinkText(text);
}

void DdeLinks::commandLinkText(std::string_view text) {
    if (!text.empty() && m_runCommand)
        m_runCommand(text);
}

void DdeLinks::bufferLinkText(std::string_view text) {
    const std::string_view s = BufferLinkText(text, isSet(m_config.StripBufferCrLf));
    if (!s.empty() && m_queueOutput)
        m_queueOutput(s);
}

bool DdeLinks::canPaste() const {
    const std::optional<std::string> text = m_clipboard.link();
    return text && ParseDdeLink(*text) && m_clipboard.hasText();
}

DdeEditMenu DdeLinks::editMenu() const {
    const bool pasteable = canPaste();
    const auto refreshable = [this](DdeLinkKind kind) {
        const Settings s = settings(kind);
        return !s.App.empty() && !s.Topic.empty();
    };
    DdeEditMenu menu;
    menu.DDEPaste = pasteable;
    menu.DDERefresh = refreshable(DdeLinkKind::Command);
    menu.DDEKill = mode(DdeLinkKind::Command) == DdeLinkMode::Automatic;
    menu.DDEPasteBuffer = pasteable;
    menu.DDERefreshBuffer = refreshable(DdeLinkKind::Buffer);
    menu.DDEKillBuffer = mode(DdeLinkKind::Buffer) == DdeLinkMode::Automatic;
    return menu;
}

bool DdeLinks::perform(DdeEditCommand command) {
    const DdeEditMenu menu = editMenu();
    switch (command) {
    case DdeEditCommand::PasteCommand:
        if (menu.DDEPaste)
            paste(DdeLinkKind::Command);
        return menu.DDEPaste;
    case DdeEditCommand::RefreshCommand:
        if (menu.DDERefresh)
            refresh(DdeLinkKind::Command);
        return menu.DDERefresh;
    case DdeEditCommand::TerminateCommand:
        if (menu.DDEKill)
            terminate(DdeLinkKind::Command);
        return menu.DDEKill;
    case DdeEditCommand::PasteBuffer:
        if (menu.DDEPasteBuffer)
            paste(DdeLinkKind::Buffer);
        return menu.DDEPasteBuffer;
    case DdeEditCommand::RefreshBuffer:
        if (menu.DDERefreshBuffer)
            refresh(DdeLinkKind::Buffer);
        return menu.DDERefreshBuffer;
    case DdeEditCommand::TerminateBuffer:
        if (menu.DDEKillBuffer)
            terminate(DdeLinkKind::Buffer);
        return menu.DDEKillBuffer;
    }
    return false;
}

void DdeLinks::paste(DdeLinkKind kind) {
    const std::optional<std::string> text = m_clipboard.link();
    const std::optional<DdeLinkAddress> address = text ? ParseDdeLink(*text) : std::nullopt;
    if (!address)
        return;
    const Settings s = settings(kind);
    s.App = address->Application;
    s.Topic = address->Topic;
    s.Item = address->Item;
    link(kind).Requested = true;
}

} // namespace quorvane
