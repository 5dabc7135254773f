#include "platform/dbus/QtDdeServer.h"

#include "platform/dbus/BusText.h"
#include "platform/dbus/DdeServerObject.h"

#include <QDBusConnectionInterface>

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
    m_busName = busName;
    m_handler = &handler;
    return true;
}

void QtDdeServer::withdraw() {
    if (!m_object)
        return;
    m_connection.unregisterService(m_busName);
    m_connection.unregisterObject(latin1(kDdeObjectPath));
    m_object.reset();
    m_busName.clear();
    m_handler = nullptr;
}

void QtDdeServer::advise(std::string_view item, std::string_view value) {
    if (m_object)
        emit m_object->ItemChanged(toBusText(item), toBusText(value));
}

} // namespace quorvane
