#pragma once
// A DDE server on a D-Bus connection: owns org.quorvane.dde.<service>.<topic> while it serves.

#include "platform/DdeBus.h"

#include <QDBusConnection>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace quorvane {

class DdeServerObject;

/// DdeServer over QtDBus. Calls arrive on the thread of the connection's event loop.
///
/// Item changes are signalled as they come while the bus keeps up. QtDBus hands each signal to its
/// own thread, which can fall behind a fast device; queued signals would then pile up without
/// bound. So the server asks the bus daemon for a receipt now and then (its reply comes after every
/// message sent before the call) and, while more than kMaxUnconfirmed signals are unconfirmed, holds
/// the newest value of each changed item and signals those once a receipt arrives.
class QtDdeServer final : public DdeServer {
public:
    /// Signals sent but not yet confirmed by a receipt, beyond which changes are held.
    static constexpr std::uint64_t kMaxUnconfirmed = 4096;
    /// A receipt is asked for after this many signals.
    static constexpr std::uint64_t kReceiptEvery = 512;

    /// Serves on `connection` (normally the session bus).
    explicit QtDdeServer(QDBusConnection connection);
    ~QtDdeServer() override;
    QtDdeServer(const QtDdeServer&) = delete;
    QtDdeServer& operator=(const QtDdeServer&) = delete;

    bool serve(std::string_view service, std::string_view topic, DdeServerHandler& handler) override;
    void withdraw() override;
    void advise(std::string_view item, std::string_view value) override;

    /// Items whose newest change waits for the bus to catch up.
    std::size_t heldChanges() const { return m_held.size(); }

private:
    void signalChange(const QString& item, const QString& value);
    void askForReceipt();
    void receiptArrived(std::uint64_t confirmed);
    void forgetFlow();

    QDBusConnection m_connection;
    std::unique_ptr<DdeServerObject> m_object;
    QString m_busName;
    DdeServerHandler* m_handler = nullptr;
    std::uint64_t m_sent = 0;
    std::uint64_t m_confirmed = 0;
    bool m_receiptAsked = false;
    // Newest held value per item, in the order the items first changed while held.
    std::vector<std::pair<QString, QString>> m_held;
};

} // namespace quorvane
