#include "platform/dbus/QtDdeClient.h"

#include "platform/dbus/BusText.h"
#include "platform/dbus/ItemChangedReceiver.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusServiceWatcher>

namespace quorvane {

namespace {

QString latin1(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QString path() {
    return latin1(kDdeObjectPath);
}
QString interfaceName() {
    return latin1(kDdeInterface);
}

} // namespace

void ItemChangedReceiver::changed(const QString& item, const QString& value) {
    if (!m_item.isEmpty() && item.compare(m_item, Qt::CaseInsensitive) != 0)
        return;
    // A copy: the handler may end the conversation, and with it this receiver's handler.
    const DdeChangeHandler handler = m_handler;
    if (handler)
        handler(fromBusText(item), fromBusText(value));
}

QtDdeClient::~QtDdeClient() {
    for (auto& [id, conversation] : m_conversations)
        close(conversation);
}

DdeConversation QtDdeClient::connect(std::string_view service, std::string_view topic,
                                     DdeDisconnectHandler onDisconnect) {
    const QString busName = latin1(DdeBusName(service, topic));
    if (busName.isEmpty() || !m_connection.isConnected())
        return 0;
    // Watch before asking for the owner, so that an owner leaving in between is not missed.
    auto* watcher = new QDBusServiceWatcher(busName, m_connection, QDBusServiceWatcher::WatchForOwnerChange);
    const QDBusReply<QString> owner = m_connection.interface()->serviceOwner(busName);
    if (!owner.isValid() || owner.value().isEmpty()) {
        // Later: the watcher's own registration with the bus may still have an event queued for it.
        watcher->deleteLater();
        return 0;
    }
    const DdeConversation id = ++m_lastId;
    QObject::connect(
        watcher, &QDBusServiceWatcher::serviceOwnerChanged, watcher,
        [this, id](const QString&, const QString& oldOwner, const QString&) { ownerChanged(id, oldOwner); });
    m_conversations[id] = Conversation{owner.value(), watcher, std::move(onDisconnect), {}};
    return id;
}

void QtDdeClient::ownerChanged(DdeConversation id, const QString& oldOwner) {
    const auto it = m_conversations.find(id);
    if (it == m_conversations.end() || oldOwner != it->second.Owner)
        return;
    const DdeDisconnectHandler handler = std::move(it->second.OnDisconnect);
    close(it->second);
    m_conversations.erase(it);
    if (handler)
        handler();
}

void QtDdeClient::close(Conversation& conversation) {
    // Deleted later: this may run inside a signal of the watcher or of a receiver.
    if (conversation.Watcher) {
        // Disconnected now: a change already queued must not reach a client that is gone.
        QObject::disconnect(conversation.Watcher, &QDBusServiceWatcher::serviceOwnerChanged, nullptr,
                            nullptr);
        conversation.Watcher->deleteLater();
    }
    for (const auto& follower : conversation.Followers) {
        if (!follower)
            continue;
        m_connection.disconnect(conversation.Owner, path(), interfaceName(), QStringLiteral("ItemChanged"),
                                follower, SLOT(changed(QString, QString)));
        follower->deleteLater();
    }
    conversation.Followers.clear();
}

void QtDdeClient::disconnect(DdeConversation conversation) {
    const auto it = m_conversations.find(conversation);
    if (it == m_conversations.end())
        return;
    close(it->second);
    m_conversations.erase(it);
}

DdeExecuteResult QtDdeClient::execute(DdeConversation conversation, std::string_view command, int timeoutMs) {
    const auto it = m_conversations.find(conversation);
    if (it == m_conversations.end())
        return DdeExecuteResult::Failed;
    QDBusMessage call =
        QDBusMessage::createMethodCall(it->second.Owner, path(), interfaceName(), QStringLiteral("Execute"));
    call << toBusText(command);
    const QDBusMessage reply = m_connection.call(call, QDBus::Block, timeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return DdeExecuteResult::Failed;
    return reply.arguments().constFirst().toBool() ? DdeExecuteResult::Accepted : DdeExecuteResult::Refused;
}

DdeRequestResult QtDdeClient::request(DdeConversation conversation, std::string_view item, int timeoutMs) {
    const auto it = m_conversations.find(conversation);
    if (it == m_conversations.end())
        return {};
    QDBusMessage call =
        QDBusMessage::createMethodCall(it->second.Owner, path(), interfaceName(), QStringLiteral("Request"));
    call << toBusText(item);
    const QDBusMessage reply = m_connection.call(call, QDBus::Block, timeoutMs);
    if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty())
        return {fromBusText(reply.arguments().constFirst().toString()), DdeRequestError::Failed};
    const bool unknown =
        reply.type() == QDBusMessage::ErrorMessage && reply.errorName() == latin1(kDdeNoSuchItemError);
    return {std::nullopt, unknown ? DdeRequestError::NoSuchItem : DdeRequestError::Failed};
}

std::optional<std::vector<std::string>> QtDdeClient::items(DdeConversation conversation, int timeoutMs) {
    const auto it = m_conversations.find(conversation);
    if (it == m_conversations.end())
        return std::nullopt;
    const QDBusMessage call =
        QDBusMessage::createMethodCall(it->second.Owner, path(), interfaceName(), QStringLiteral("Items"));
    const QDBusMessage reply = m_connection.call(call, QDBus::Block, timeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return std::nullopt;
    std::vector<std::string> names;
    for (const QString& name : reply.arguments().constFirst().toStringList())
        names.push_back(fromBusText(name));
    return names;
}

bool QtDdeClient::follow(DdeConversation conversation, std::string_view item, DdeChangeHandler onChange) {
    const auto it = m_conversations.find(conversation);
    if (it == m_conversations.end())
        return false;
    auto* receiver = new ItemChangedReceiver(toBusText(item), std::move(onChange));
    if (!m_connection.connect(it->second.Owner, path(), interfaceName(), QStringLiteral("ItemChanged"),
                              receiver, SLOT(changed(QString, QString)))) {
        delete receiver;
        return false;
    }
    it->second.Followers.emplace_back(receiver);
    return true;
}

} // namespace quorvane
