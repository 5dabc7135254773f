#include "engine/bus/DdeCommandClient.h"

#include <memory>
#include <string>

namespace quorvane {

DdeCommandClient::~DdeCommandClient() {
    // Silently: whoever receives the trace may be gone by now.
    if (m_commandConversation != 0)
        m_client.disconnect(m_commandConversation);
}

void DdeCommandClient::trace(std::string_view what, long long result) const {
    if (m_trace)
        m_trace(std::string(what) + "Result=" + std::to_string(result));
}

void DdeCommandClient::DdeClientInit() {
    m_registered = true;
    trace("DDEInitialize ", 0);
}

DdeConversation DdeCommandClient::DdeClientConnect(std::string_view service, std::string_view topic) {
    if (!m_registered) {
        trace("DDEConnect ", 0);
        return 0;
    }
    // The handler outlives no conversation: disconnect() drops it with the conversation.
    auto conversation = std::make_shared<DdeConversation>(0);
    *conversation =
        m_client.connect(service, topic, [this, conversation] { serverDisconnected(*conversation); });
    trace("DDEConnect ", *conversation);
    return *conversation;
}

void DdeCommandClient::serverDisconnected(DdeConversation conversation) {
    if (m_trace)
        m_trace("Server App Disconnected");
    if (conversation != 0 && conversation == m_commandConversation)
        m_commandConversation = 0;
}

void DdeCommandClient::DdeClientExecute(DdeConversation conversation, std::string_view command) {
    if (command.empty() || conversation == 0)
        return;
    const DdeExecuteResult result = m_client.execute(conversation, command, kDdeExecuteTimeoutMs);
    trace("DDEExecute ", result == DdeExecuteResult::Accepted ? 1 : 0);
}

void DdeCommandClient::DdeClientDisconnect(DdeConversation& conversation) {
    if (conversation == 0)
        return;
    m_client.disconnect(conversation);
    trace("DDEDisconnect ", 1);
    conversation = 0;
}

void DdeCommandClient::DdeClientUninit() {
    trace("DDE Uninitialize ", m_registered ? 1 : 0);
    m_registered = false;
}

void DdeCommandClient::sendRecordCommand(bool wanted, std::string_view service, std::string_view topic,
                                         std::string_view command) {
    if (m_commandConversation == 0 && wanted)
        m_commandConversation = DdeClientConnect(service, topic);
    DdeClientExecute(m_commandConversation, command);
}

} // namespace quorvane
