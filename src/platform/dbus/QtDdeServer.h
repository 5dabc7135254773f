#pragma once
// A DDE server on a D-Bus connection: owns org.quorvane.dde.<service>.<topic> while it serves.

#include "platform/DdeBus.h"

#include <QDBusConnection>

#include <memory>
#include <string>

namespace quorvane {

class DdeServerObject;

/// DdeServer over QtDBus. Calls arrive on the thread of the connection's event loop.
class QtDdeServer final : public DdeServer {
public:
    /// Serves on `connection` (normally the session bus).
    explicit QtDdeServer(QDBusConnection connection);
    ~QtDdeServer() override;
    QtDdeServer(const QtDdeServer&) = delete;
    QtDdeServer& operator=(const QtDdeServer&) = delete;

    bool serve(std::string_view service, std::string_view topic, DdeServerHandler& handler) override;
    void withdraw() override;
    void advise(std::string_view item, std::string_view value) override;

private:
    QDBusConnection m_connection;
    std::unique_ptr<DdeServerObject> m_object;
    QString m_busName;
    DdeServerHandler* m_handler = nullptr;
};

} // namespace quorvane
