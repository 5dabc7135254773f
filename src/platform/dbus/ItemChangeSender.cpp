#include "platform/dbus/ItemChangeSender.h"

#include "platform/DdeBus.h"
#include "platform/dbus/BusText.h"

#include <QDBusMessage>

namespace quorvane {

namespace {

// A bus daemon that does not answer a receipt within this time is taken to have confirmed: the
// call still went out after the signals, and an error answer would confirm as well.
constexpr int kReceiptTimeoutMs = 2000;

QString latin1(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

ItemChangeSender::ItemChangeSender(QDBusConnection connection, std::function<void()> receiptArrived)
    : m_connection(std::move(connection)), m_receiptArrived(std::move(receiptArrived)),
      m_thread([this] { run(); }) {}

ItemChangeSender::~ItemChangeSender() {
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

void ItemChangeSender::send(std::vector<ItemChange>& changes) {
    if (changes.empty())
        return;
    bool wake = false;
    {
        const std::lock_guard lock(m_mutex);
        wake = m_queue.empty();
        if (wake)
            m_queue.swap(changes);
        else
            m_queue.insert(m_queue.end(), std::make_move_iterator(changes.begin()),
                           std::make_move_iterator(changes.end()));
    }
    changes.clear();
    // A queue that was not empty has a wake-up on its way already.
    if (wake)
        m_wake.notify_one();
}

void ItemChangeSender::drain() {
    std::unique_lock lock(m_mutex);
    m_drained.wait(lock, [this] { return m_queue.empty() && !m_sending; });
}

void ItemChangeSender::askForReceipt() {
    {
        const std::lock_guard lock(m_mutex);
        m_receiptAsked = true;
    }
    m_wake.notify_one();
}

void ItemChangeSender::run() {
    std::vector<ItemChange> sending;
    std::uint64_t sent = 0;
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return !m_queue.empty() || m_receiptAsked || m_stopping; });
        if (m_queue.empty() && m_stopping)
            return;
        sending.swap(m_queue);
        const bool asked = std::exchange(m_receiptAsked, false);
        const bool stopping = m_stopping;
        m_sending = true;
        lock.unlock();
        for (const ItemChange& change : sending)
            signal(change);
        sent += sending.size();
        sending.clear();
        lock.lock();
        m_sending = false;
        lock.unlock();
        m_drained.notify_all();
        const std::uint64_t unconfirmed = sent - m_confirmed.load(std::memory_order_relaxed);
        if (!stopping && (unconfirmed >= kReceiptEvery || (asked && unconfirmed != 0)))
            takeReceipt(sent);
        if (asked || unconfirmed >= kReceiptEvery)
            m_receiptArrived();
        lock.lock();
    }
}

void ItemChangeSender::signal(const ItemChange& change) {
    // The message the object's ItemChanged signal would make: its path, interface, member and (s, s).
    static const QString path = latin1(kDdeObjectPath);
    static const QString interface = latin1(kDdeInterface);
    static const QString member = QStringLiteral("ItemChanged");
    QDBusMessage message = QDBusMessage::createSignal(path, interface, member);
    message.setArguments({toBusText(change.Item), toBusText(change.Value)});
    m_connection.send(message);
}

void ItemChangeSender::takeReceipt(std::uint64_t sent) {
    const QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetId"));
    m_connection.call(call, QDBus::Block, kReceiptTimeoutMs);
    m_confirmed.store(sent, std::memory_order_release);
}

} // namespace quorvane
