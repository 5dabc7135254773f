#pragma once
// The engine's DDE side in one place: the server and its items, the command sent to the target
// application after each record (the DDE output mode), the two client links and the clipboard.

#include "config/Configuration.h"
#include "engine/bus/DdeCommandClient.h"
#include "engine/bus/DdeItemView.h"
#include "engine/bus/DdeLinks.h"
#include "engine/EngineExtensions.h"
#include "engine/RecordDelivery.h"
#include "platform/Clipboard.h"
#include "platform/DdeBus.h"
#include "platform/UserPrompts.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quorvane {

class Engine;

/// Executes one DDE command text; true accepts it. Fed by the server's executes and the command link.
using DdeCommandHandler = std::function<bool(std::string_view command)>;

/// The service name the program serves under.
inline constexpr std::string_view kDdeServiceName = "Quorvane";

/// What the bridge works with; every reference must outlive it.
struct DdeBridgeParts {
    Engine& Hoxel;
    /// Read for the DDE settings; the link settings and StripBufferCrLf are written back here.
    Configuration& Config;
    /// The view the engine was built with.
    DdeItemView& Items;
    DdeServer& Server;
    DdeClient& Client;
    Clipboard& Board;
    UserPrompts& Prompts;
    /// Optional diagnostic lines of the DDE client.
    DdeTrace Trace;
};

/// The DDE server, the DDE output mode, the command client and the links, as engine extensions.
/// Registers itself as the delivery of output mode 1.
class DdeBridge final : public EngineExtensions, private RecordDelivery, private DdeServerHandler {
public:
    explicit DdeBridge(DdeBridgeParts parts);
    DdeBridge(const DdeBridge&) = delete;
    DdeBridge& operator=(const DdeBridge&) = delete;
    ~DdeBridge() override;

    /// Where executes and command-link texts go; until set, every command is refused.
    void setCommandHandler(DdeCommandHandler handler) { m_commands = std::move(handler); }

    /// The DDE output step of a record: the command to the target application.
    void PublishRecord();
    /// The topic served: "SYSTEM" until the first load sets DdeTopic or the port name.
    const std::string& topic() const { return m_topic; }
    /// Puts a link to `item` and the item's text on the clipboard; false for an unknown item.
    bool copyLink(std::string_view item);
    /// Empties the text of the field items 1..FieldCount ({CLEAR}).
    void clearFieldItems();

    /// The command and output buffer links and the "&Edit" menu's link entries.
    DdeLinks& links() { return m_links; }
    /// The client of the command target.
    DdeCommandClient& commandClient() { return m_client; }

    void startDdeClient() override;
    void setServerTopic(std::string_view portName) override;
    void establishAutoLinks() override { m_links.establishAutoLinks(); }
    void serveLinkRequests() override { m_links.serveLinkRequests(); }
    std::optional<std::uint32_t> msUntilTickWork() const override {
        return m_links.linkRequested() ? std::optional<std::uint32_t>(0) : std::nullopt;
    }
    void endServerConversations() override { m_parts.Server.withdraw(); }
    void stopDdeClient() override;

private:
    DeliveryOutcome deliverRecord(const FieldSlots&, int) override;
    bool execute(std::string_view command) override;
    std::optional<std::string> request(std::string_view item) override {
        return m_parts.Items.itemText(item);
    }
    // The item boxes are read-only: clients cannot write into them.
    bool poke(std::string_view, std::string_view) override { return false; }
    std::vector<std::string> items() override { return m_parts.Items.itemNames(); }

    DdeBridgeParts m_parts;
    DdeCommandHandler m_commands;
    DdeCommandClient m_client;
    DdeLinks m_links;
    std::string m_topic = "SYSTEM";
};

} // namespace quorvane
