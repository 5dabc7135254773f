#pragma once
// The ItemChanged signals of a DDE server, sent from a thread of their own.

#include <QDBusConnection>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace quorvane {

/// One item's new text, as bytes of the code page.
struct ItemChange {
    std::string Item;
    std::string Value;
};

/// Sends the changes handed to it as ItemChanged signals of the server object, in the order they
/// were handed over. The thread handing over (the engine's) pays a move per change and one wake-up
/// per hand-over; converting, marshalling and queuing each message to the bus happen here.
///
/// Every kReceiptEvery signals, and whenever one is asked for, it calls the bus daemon and waits
/// for the answer: the daemon handles a connection's messages in order, so its answer means every
/// signal sent before has left this process. confirmed() then counts those signals.
class ItemChangeSender {
public:
    /// A receipt is taken after this many signals.
    static constexpr std::uint64_t kReceiptEvery = 512;

    /// `receiptArrived` runs on the sending thread after each receipt, or after a receipt asked for
    /// found nothing unconfirmed.
    ItemChangeSender(QDBusConnection connection, std::function<void()> receiptArrived);
    /// Sends whatever was handed over, without waiting for a receipt, and ends the thread.
    ~ItemChangeSender();
    ItemChangeSender(const ItemChangeSender&) = delete;
    ItemChangeSender& operator=(const ItemChangeSender&) = delete;

    /// Queues `changes` after those handed over before, and empties it.
    void send(std::vector<ItemChange>& changes);
    /// Waits until the changes handed over so far are queued to the bus: a message sent after it
    /// reaches the bus after them.
    void drain();
    /// Asks for a receipt once the changes handed over so far are sent.
    void askForReceipt();
    /// Changes handed over that a receipt confirmed.
    std::uint64_t confirmed() const { return m_confirmed.load(std::memory_order_acquire); }

private:
    void run();
    void signal(const ItemChange& change);
    void takeReceipt(std::uint64_t sent);

    QDBusConnection m_connection;
    std::function<void()> m_receiptArrived;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_drained;
    std::vector<ItemChange> m_queue;
    bool m_sending = false;
    bool m_receiptAsked = false;
    bool m_stopping = false;
    std::atomic<std::uint64_t> m_confirmed{0};
    std::thread m_thread;
};

} // namespace quorvane
