#include "platform/dbus/QtDdeServer.h"

#include "platform/dbus/BusText.h"
#include "platform/dbus/DdeServerObject.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>

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
    auto object = std::make_unique<DdeServerObject>(toBusText(service), toBusText(topic), handler);
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
    m_busName = busName;
    m_handler = &handler;
    return true;
}

void QtDdeServer::withdraw() {
    if (!m_object)
        return;
    m_connection.unregisterService(m_busName);
    m_connection.unregisterObject(latin1(kDdeObjectPath));
    // The receipt asked for goes with the object, which is the context of its answer.
    m_object.reset();
    forgetFlow();
    m_busName.clear();
    m_handler = nullptr;
}

void QtDdeServer::advise(std::string_view item, std::string_view value) {
    if (!m_object)
        return;
    QString name = toBusText(item);
    QString text = toBusText(value);
    // Once changes are held, later ones are held too, so each item's changes stay in order.
    if (m_held.empty() && m_sent - m_confirmed < kMaxUnconfirmed) {
        signalChange(name, text);
        return;
    }
    const auto same =
        std::find_if(m_held.begin(), m_held.end(), [&](const auto& held) { return held.first == name; });
    if (same != m_held.end())
        same->second = std::move(text);
    else
        m_held.emplace_back(std::move(name), std::move(text));
    askForReceipt();
}

void QtDdeServer::signalChange(const QString& item, const QString& value) {
    emit m_object->ItemChanged(item, value);
    if (++m_sent % kReceiptEvery == 0)
        askForReceipt();
}

void QtDdeServer::askForReceipt() {
    if (m_receiptAsked)
        return;
    m_receiptAsked = true;
    // The daemon handles one connection's messages in order: its answer to this call means every
    // signal sent before it has left this process.
    const QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetId"));
    auto* watcher = new QDBusPendingCallWatcher(m_connection.asyncCall(call), m_object.get());
    const std::uint64_t sent = m_sent;
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, m_object.get(),
                     [this, sent](QDBusPendingCallWatcher* finished) {
                         finished->deleteLater();
                         receiptArrived(sent);
                     });
}

void QtDdeServer::receiptArrived(std::uint64_t confirmed) {
    // An error answer (a bus going away) confirms as well: the call still came after the signals.
    m_receiptAsked = false;
    m_confirmed = confirmed;
    std::vector<std::pair<QString, QString>> held;
    held.swap(m_held);
    for (const auto& [item, value] : held)
        signalChange(item, value);
    if (m_sent != m_confirmed)
        askForReceipt();
}

void QtDdeServer::forgetFlow() {
    m_sent = m_confirmed = 0;
    m_receiptAsked = false;
    m_held.clear();
}

} // namespace quorvane
