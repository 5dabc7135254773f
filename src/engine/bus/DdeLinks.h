#pragma once
// The runtime window as the client of two links to other applications' items: the command link,
// whose text is executed as a command, and the output buffer link, whose text goes to the device.

#include "config/Configuration.h"
#include "platform/Clipboard.h"
#include "platform/DdeBus.h"
#include "platform/UserPrompts.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quorvane {

/// The two client links.
enum class DdeLinkKind { Command, Buffer };

/// A link's mode: none, or automatic (every change of the item arrives).
enum class DdeLinkMode { None, Automatic };

/// The link entries of the "&Edit" menu and whether each is enabled.
struct DdeEditMenu {
    bool DDEPaste = false;
    bool DDERefresh = false;
    bool DDEKill = false;
    bool DDEPasteBuffer = false;
    bool DDERefreshBuffer = false;
    bool DDEKillBuffer = false;
    bool operator==(const DdeEditMenu&) const = default;
};

/// The link entries of the "&Edit" menu as commands.
enum class DdeEditCommand {
    PasteCommand,
    RefreshCommand,
    TerminateCommand,
    PasteBuffer,
    RefreshBuffer,
    TerminateBuffer
};

/// A link read from the clipboard's "application|topic!item" text.
struct DdeLinkAddress {
    std::string Application;
    std::string Topic;
    std::string Item;
};

/// Reads "application|topic!item" ("application|topic" gives an empty item); nullopt without "|".
std::optional<DdeLinkAddress> ParseDdeLink(std::string_view text);

/// The output buffer link's text as it is queued: a final CR LF cut when `strip` is set and the
/// text is longer than one character.
std::string_view BufferLinkText(std::string_view text, bool strip);

/// Both links, their request flags and the link entries of the "&Edit" menu.
class DdeLinks {
public:
    /// Runs a command that arrived on the command link (its acknowledgement is dropped).
    using CommandRunner = std::function<void(std::string_view command)>;
    /// Queues text for the device.
    using OutputQueuer = std::function<void(std::string_view text)>;

    /// The link settings and StripBufferCrLf are read and written in `config`; all references must
    /// outlive this object.
    DdeLinks(Configuration& config, DdeClient& client, Clipboard& clipboard, UserPrompts& prompts,
             CommandRunner runCommand, OutputQueuer queueOutput);
    DdeLinks(const DdeLinks&) = delete;
    DdeLinks& operator=(const DdeLinks&) = delete;
    ~DdeLinks();

    /// (Re)opens the command link from its settings when its application and topic are set. The
    /// item's text at that moment is not executed: only later changes are.
    void EstablishCommandLink() { establish(DdeLinkKind::Command); }
    /// (Re)opens the output buffer link from its settings when its application and topic are set.
    /// The item's text at that moment is not queued: only later changes are.
    void EstablishBufferLink() { establish(DdeLinkKind::Buffer); }
    /// Start-up: each link that is marked automatic and has an application and topic.
    void establishAutoLinks();
    /// Tick steps 1 and 2: the links requested since the last tick.
    void serveLinkRequests();
    /// True while a link request waits for serveLinkRequests.
    bool linkRequested() const {
        return link(DdeLinkKind::Command).Requested || link(DdeLinkKind::Buffer).Requested;
    }
    /// Ends both links (link mode none).
    void closeLinks();

    /// The command link is to be established at the next tick.
    bool CommandLinkRequested() const { return m_links[0].Requested; }
    /// The output buffer link is to be established at the next tick.
    bool BufferLinkRequested() const { return m_links[1].Requested; }
    /// A link's mode.
    DdeLinkMode mode(DdeLinkKind kind) const { return link(kind).Mode; }

    /// The enabling of the "&Edit" menu's link entries, as when the menu opens.
    DdeEditMenu editMenu() const;
    /// An "&Edit" entry or its command: performed when the entry is enabled; false when it is not.
    bool perform(DdeEditCommand command);
    /// Takes a link's settings from the clipboard and requests it.
    void paste(DdeLinkKind kind);
    /// Requests a link from its stored settings.
    void refresh(DdeLinkKind kind) { link(kind).Requested = true; }
    /// Sets a link's mode to none.
    void terminate(DdeLinkKind kind);

    /// Text arriving on the command link: executed when not empty.
    void commandLinkText(std::string_view text);
    /// Text arriving on the output buffer link: queued for the device, after StripBufferCrLf.
    void bufferLinkText(std::string_view text);

private:
    struct Link {
        DdeLinkMode Mode = DdeLinkMode::None;
        bool Requested = false;
        DdeConversation Conversation = 0;
    };
    struct Settings {
        std::string& App;
        std::string& Topic;
        std::string& Item;
        Flag& Auto;
    };

    Link& link(DdeLinkKind kind) { return m_links[kind == DdeLinkKind::Command ? 0 : 1]; }
    const Link& link(DdeLinkKind kind) const { return m_links[kind == DdeLinkKind::Command ? 0 : 1]; }
    Settings settings(DdeLinkKind kind) const;
    bool canPaste() const;
    void establish(DdeLinkKind kind);
    void arrive(DdeLinkKind kind, DdeConversation conversation, std::string_view text);
    void lost(DdeLinkKind kind);

    Configuration& m_config;
    DdeClient& m_client;
    Clipboard& m_clipboard;
    UserPrompts& m_prompts;
    CommandRunner m_runCommand;
    OutputQueuer m_queueOutput;
    Link m_links[2];
};

} // namespace quorvane
