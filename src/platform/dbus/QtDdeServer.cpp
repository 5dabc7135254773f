#include "platform/dbus/QtDdeServer.h"

#include "platform/dbus/BusText.h"
#include "platform/dbus/DdeServerObject.h"

#include <algorithm>

namespace quorvane {

namespace {

QString latin1(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

QtDdeServer::QtDdeServer(QDBusConnection connection) : m_connection(std::move(connection)) {}

QtDdeServer::~QtDdeServer() {
    withdraw();
}

bool QtDdeServer::serve(std::string_view service, std::string_view topic, DdeServerHandler& handler) {
    const QString busName = latin1(DdeBusName(service, topic));
    if (m_object && busName == m_busName && m_handler == &handler)
        return true;
    withdraw();
    if (busName.isEmpty() || !m_connection.isConnected())
        return false;
    // An answer leaves after the signals of every change made before it, as the signals did
    // when they were sent at once: a client that asks for an item and follows its changes never
    // gets an older value after the answer.
    auto object = std::make_unique<DdeServerObject>(toBusText(service), toBusText(topic), handler,
                                                    [this] { sendChangesNow(); });
    const QString path = latin1(kDdeObjectPath);
    if (!m_connection.registerObject(path, object.get(),
                                     QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals |
                                         QDBusConnection::ExportAllProperties))
        return false;
    // The name is requested after the object exists, so a client that sees the name can call it.
    if (!m_connection.registerService(busName)) {
        m_connection.unregisterObject(path);
        return false;
    }
    m_object = std::move(object);
    forgetFlow();
    m_sender = std::make_unique<ItemChangeSender>(m_connection, [this, context = m_object.get()] {
        QMetaObject::invokeMethod(
            context, [this] { receiptArrived(); }, Qt::QueuedConnection);
    });
    m_busName = busName;
    m_handler = &handler;
    return true;
}

void QtDdeServer::withdraw() {
    if (!m_object)
        return;
    // Clients are told every change made while serving, the held newest values included, before
    // the name goes: the sender's messages are queued to the bus ahead of the name's release.
    for (ItemChange& held : m_held)
        m_outbox.push_back(std::move(held));
    m_sender->send(m_outbox);
    m_sender.reset();
    m_connection.unregisterService(m_busName);
    m_connection.unregisterObject(latin1(kDdeObjectPath));
    // A hand-over or receipt still posted goes with the object, its context.
    m_object.reset();
    forgetFlow();
    m_busName.clear();
    m_handler = nullptr;
}

void QtDdeServer::advise(std::string_view item, std::string_view value) {
    if (!m_object)
        return;
    // Once changes are held, later ones are held too, so each item's changes stay in order.
    if (m_held.empty() && m_sent - m_sender->confirmed() < kMaxUnconfirmed) {
        m_outbox.push_back({std::string(item), std::string(value)});
        ++m_sent;
        handOverLater();
        return;
    }
    const auto same =
        std::find_if(m_held.begin(), m_held.end(), [&](const ItemChange& held) { return held.Item == item; });
    if (same != m_held.end())
        same->Value.assign(value);
    else
        m_held.push_back({std::string(item), std::string(value)});
    handOverLater();
}

void QtDdeServer::handOverLater() {
    // The step under way may add more: its changes go over together once it has returned.
    if (m_handOverPosted)
        return;
    m_handOverPosted = true;
    QMetaObject::invokeMethod(
        m_object.get(), [this] { handOver(); }, Qt::QueuedConnection);
}

void QtDdeServer::handOver() {
    m_handOverPosted = false;
    m_sender->send(m_outbox);
    // The receipt for everything handed over lets the held changes follow.
    if (!m_held.empty())
        m_sender->askForReceipt();
}

void QtDdeServer::sendChangesNow() {
    if (!m_sender)
        return;
    // Held values go too: the bound is passed by at most one change per item.
    handOverHeld();
    m_sender->drain();
}

void QtDdeServer::receiptArrived() {
    if (!m_held.empty() && m_sent - m_sender->confirmed() < kMaxUnconfirmed)
        handOverHeld();
}

void QtDdeServer::handOverHeld() {
    m_sent += m_held.size();
    for (ItemChange& held : m_held)
        m_outbox.push_back(std::move(held));
    m_held.clear();
    handOver();
}

void QtDdeServer::forgetFlow() {
    m_outbox.clear();
    m_handOverPosted = false;
    m_sent = 0;
    m_held.clear();
}

} // namespace quorvane
