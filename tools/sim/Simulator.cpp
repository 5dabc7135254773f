#include "sim/Simulator.h"

#include <algorithm>
#include <cerrno>
#include <poll.h>
#include <string>
#include <unistd.h>

#include "sim/ByteEscape.h"

namespace quorvane::sim {

namespace {

using namespace std::chrono_literals;

// How often an absent reader is looked for: a hung-up master reports POLLHUP without end, so
// it cannot be waited on, only looked at now and then. Often enough that a program timed from its
// launch (bench/end_to_end.sh) is not also timed waiting for the simulator to notice it.
constexpr auto kReaderCheckInterval = 5ms;
// Longest sleep of the loop when nothing falls due; bounds how late anything can be noticed.
constexpr int kIdleWakeMs = 200;
// Bytes we hold beyond the terminal's own buffer before the feed is told there is no room.
constexpr std::size_t kMaxQueued = 64 * 1024;
// At the end: the reader counts as finished when nothing is unread twice this far apart ...
constexpr int kDrainSettleMs = 20;
// ... or when it has made no progress for this long.
constexpr auto kDrainGrace = 1s;

std::chrono::microseconds since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
}

} // namespace

Simulator::Simulator(PseudoTerminal& terminal, Feed& feed, const StopSignals& stop, std::ostream& log)
    : m_terminal(terminal), m_feed(feed), m_stop(stop), m_log(log) {}

int Simulator::run() {
    bool connected = false;
    while (!m_stop.requested()) {
        if (!connected) {
            if (!waitForReader())
                continue;
            connected = true;
            m_feed.restart();
            m_connectedAt = Clock::now();
        }
        const auto elapsed = since(m_connectedAt);
        if (m_queue.size() < kMaxQueued)
            m_queue.append(m_feed.take(elapsed, kMaxQueued - m_queue.size()));
        if (m_feed.finished() && m_queue.empty())
            return drain();

        pollfd entries[2] = {
            {m_stop.fd(), POLLIN, 0},
            {m_terminal.masterFd(), static_cast<short>(POLLIN | (m_queue.empty() ? 0 : POLLOUT)), 0}};
        if (::poll(entries, 2, pollTimeoutMs(elapsed)) < 0 && errno != EINTR) {
            m_log << "quorvane-sim: poll failed\n" << std::flush;
            return 1;
        }
        if (!serviceTerminal(entries[1].revents)) {
            connected = false;
            m_log << "quorvane-sim: reader closed " << m_terminal.slavePath() << "; waiting\n" << std::flush;
        }
    }
    return 0;
}

bool Simulator::waitForReader() {
    if (m_terminal.readerPresent())
        return true;
    pollfd entry{m_stop.fd(), POLLIN, 0};
    ::poll(&entry, 1, static_cast<int>(std::chrono::milliseconds(kReaderCheckInterval).count()));
    return false;
}

int Simulator::pollTimeoutMs(std::chrono::microseconds elapsed) const {
    // A full queue waits for the reader (POLLOUT), not for the next record.
    if (m_queue.size() >= kMaxQueued)
        return kIdleWakeMs;
    const auto due = m_feed.nextDue();
    if (!due)
        return m_queue.empty() && !m_feed.finished() ? 0 : kIdleWakeMs;
    const auto waitMicros = (*due - elapsed).count();
    if (waitMicros <= 0)
        return 0;
    return static_cast<int>(std::min<std::int64_t>((waitMicros + 999) / 1000, kIdleWakeMs));
}

bool Simulator::serviceTerminal(short events) {
    if ((events & POLLIN) != 0 && !readFromReader())
        return false;
    if ((events & POLLHUP) != 0)
        return false;
    if ((events & POLLOUT) != 0 &&
        m_queue.writeTo(m_terminal.masterFd()) == PendingOutput::WriteResult::Failed)
        // EIO: the slave was closed between poll and write; what did not go stays queued.
        return false;
    return true;
}

bool Simulator::readFromReader() {
    char buffer[4096];
    for (;;) {
        const ssize_t count = ::read(m_terminal.masterFd(), buffer, sizeof buffer);
        if (count > 0) {
            const std::string_view chunk(buffer, static_cast<std::size_t>(count));
            m_log << "rx: " + escapeBytes(chunk) + "\n" << std::flush;
            m_queue.append(m_feed.answer(chunk));
            continue;
        }
        if (count < 0 && errno == EINTR)
            continue;
        // EAGAIN: all read. EIO or end of file: the reader has closed the slave.
        return count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
    }
}

int Simulator::drain() {
    // Closing the master hangs up the slave and discards what the reader has not read yet, so
    // the tail is kept until the reader has it, while requests are still answered.
    auto lastProgress = Clock::now();
    std::optional<int> lastUnread;
    bool settled = false;
    while (!m_stop.requested()) {
        pollfd entries[2] = {
            {m_stop.fd(), POLLIN, 0},
            {m_terminal.masterFd(), static_cast<short>(POLLIN | (m_queue.empty() ? 0 : POLLOUT)), 0}};
        ::poll(entries, 2, kDrainSettleMs);
        const std::size_t queuedBefore = m_queue.size();
        if (!serviceTerminal(entries[1].revents))
            return 0;
        if (m_queue.size() != queuedBefore)
            lastProgress = Clock::now();
        if (!m_queue.empty())
            continue;
        const std::optional<int> unread = m_terminal.unreadBytes();
        if (unread != lastUnread)
            lastProgress = Clock::now();
        lastUnread = unread;
        if (unread == 0) {
            if (settled)
                return 0;
            settled = true;
        } else {
            settled = false;
        }
        if (Clock::now() - lastProgress > kDrainGrace)
            return 0;
    }
    return 0;
}

} // namespace quorvane::sim
