#pragma once
// A DDE server on a D-Bus connection: owns org.quorvane.dde.<service>.<topic> while it serves.

#include "platform/DdeBus.h"
#include "platform/dbus/ItemChangeSender.h"

#include <QDBusConnection>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quorvane {

class DdeServerObject;

/// DdeServer over QtDBus. Calls arrive on the thread of the connection's event loop.
///
/// Item changes are collected while the engine's step runs and handed to an ItemChangeSender when
/// control is back in the event loop, so a burst of records costs the engine's thread one wake-up
/// of the sending thread, not a queued signal per change. The sender can fall behind a fast
/// device; changes would then pile up without bound. So, while more than kMaxUnconfirmed changes
/// are not yet confirmed by a receipt from the bus daemon, the server holds the newest value of
/// each changed item and hands those over once a receipt arrives.
class QtDdeServer final : public DdeServer {
public:
    /// Signals sent but not yet confirmed by a receipt, beyond which changes are held.
    static constexpr std::uint64_t kMaxUnconfirmed = 4096;

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
    void handOverLater();
    void handOver();
    void handOverHeld();
    void sendChangesNow();
    void receiptArrived();
    void forgetFlow();

    QDBusConnection m_connection;
    std::unique_ptr<DdeServerObject> m_object;
    // Exists while serving; destroyed before the object, so it signals nothing for a gone object.
    std::unique_ptr<ItemChangeSender> m_sender;
    QString m_busName;
    DdeServerHandler* m_handler = nullptr;
    // Changes of the step under way, in order.
    std::vector<ItemChange> m_outbox;
    bool m_handOverPosted = false;
    // Changes put in the outbox since serving began.
    std::uint64_t m_sent = 0;
    // Newest held value per item, in the order the items first changed while held.
    std::vector<ItemChange> m_held;
};

} // namespace quorvane
