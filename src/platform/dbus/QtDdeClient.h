#pragma once
// A DDE client on a D-Bus connection: a conversation lasts while the server's bus name keeps the
// owner it had when the conversation opened.

#include "platform/DdeBus.h"

#include <QDBusConnection>
#include <QPointer>

#include <map>
#include <vector>

class QDBusServiceWatcher;

namespace quorvane {

class ItemChangedReceiver;

/// DdeClient over QtDBus. Calls block without running the event loop; disconnects and item
/// changes arrive through the event loop.
class QtDdeClient final : public DdeClient {
public:
    /// Talks on `connection` (normally the session bus).
    explicit QtDdeClient(QDBusConnection connection) : m_connection(std::move(connection)) {}
    ~QtDdeClient() override;
    QtDdeClient(const QtDdeClient&) = delete;
    QtDdeClient& operator=(const QtDdeClient&) = delete;

    DdeConversation connect(std::string_view service, std::string_view topic,
                            DdeDisconnectHandler onDisconnect) override;
    void disconnect(DdeConversation conversation) override;
    bool connected(DdeConversation conversation) const override {
        return m_conversations.contains(conversation);
    }
    DdeExecuteResult execute(DdeConversation conversation, std::string_view command, int timeoutMs) override;
    DdeRequestResult request(DdeConversation conversation, std::string_view item, int timeoutMs) override;
    std::optional<std::vector<std::string>> items(DdeConversation conversation, int timeoutMs) override;
    bool follow(DdeConversation conversation, std::string_view item, DdeChangeHandler onChange) override;

private:
    struct Conversation {
        QString Owner;
        QPointer<QDBusServiceWatcher> Watcher;
        DdeDisconnectHandler OnDisconnect;
        std::vector<QPointer<ItemChangedReceiver>> Followers;
    };

    void close(Conversation& conversation);
    void ownerChanged(DdeConversation id, const QString& oldOwner);

    QDBusConnection m_connection;
    std::map<DdeConversation, Conversation> m_conversations;
    DdeConversation m_lastId = 0;
};

} // namespace quorvane
