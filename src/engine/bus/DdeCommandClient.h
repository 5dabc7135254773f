#pragma once
// The client that sends the DDE command to the target application after each record: one
// registration, one conversation opened lazily and forgotten when the server goes away.

#include "platform/DdeBus.h"

#include <functional>
#include <string_view>

namespace quorvane {

/// Receives the optional diagnostic lines ("DDEConnect Result=1" ...); never shown to the user.
using DdeTrace = std::function<void(std::string_view line)>;

/// An execute waits this long for the target's answer.
inline constexpr int kDdeExecuteTimeoutMs = 1000;

/// The DDE client operations. None of them reports an error to the user.
class DdeCommandClient {
public:
    /// `client` must outlive this object; `trace` may be empty.
    explicit DdeCommandClient(DdeClient& client, DdeTrace trace = {})
        : m_client(client), m_trace(std::move(trace)) {}
    DdeCommandClient(const DdeCommandClient&) = delete;
    DdeCommandClient& operator=(const DdeCommandClient&) = delete;
    ~DdeCommandClient();

    /// Registers the client; connections fail until it is registered.
    void DdeClientInit();
    /// A conversation with the server of (service, topic), or 0 when none answers.
    DdeConversation DdeClientConnect(std::string_view service, std::string_view topic);
    /// Sends `command` over `conversation` with the 1000 ms limit; nothing when either is empty or 0.
    void DdeClientExecute(DdeConversation conversation, std::string_view command);
    /// Ends `conversation` when it is open and sets it to 0.
    void DdeClientDisconnect(DdeConversation& conversation);
    /// Ends the registration.
    void DdeClientUninit();

    /// The conversation with the command target; 0 when there is none.
    DdeConversation& CommandConversation() { return m_commandConversation; }
    /// The command step of a record: connects when there is no conversation and a command is
    /// wanted, then executes `command`.
    void sendRecordCommand(bool wanted, std::string_view service, std::string_view topic,
                           std::string_view command);

private:
    void trace(std::string_view what, long long result) const;
    void serverDisconnected(DdeConversation conversation);

    DdeClient& m_client;
    DdeTrace m_trace;
    bool m_registered = false;
    DdeConversation m_commandConversation = 0;
};

} // namespace quorvane
