#pragma once
// A pseudo-terminal for tests: the test holds the master side, the code under test opens the slave path.

#include <chrono>
#include <fcntl.h>
#include <pty.h>
#include <string>
#include <unistd.h>

namespace quorvane::test {

class PtyPair {
public:
    PtyPair() {
        int slave = -1;
        char name[256] = {};
        if (::openpty(&m_master, &slave, name, nullptr, nullptr) != 0)
            return;
        m_slavePath = name;
        // Only the code under test holds the slave side, so its exclusive open is the only one.
        ::close(slave);
        ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
        // A program the test starts must not hold the master too, or closing it here would hang up nothing.
        ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
    }
    ~PtyPair() {
        if (m_master >= 0)
            ::close(m_master);
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool ok() const { return m_master >= 0 && !m_slavePath.empty(); }
    int master() const { return m_master; }
    const std::string& slavePath() const { return m_slavePath; }

    /// Writes what the master side takes now; the count written.
    std::size_t send(std::string_view data) const {
        const ssize_t n = ::write(m_master, data.data(), data.size());
        return n > 0 ? static_cast<std::size_t>(n) : 0;
    }

    /// Reads from the master side until `size` bytes came or the deadline passed.
    std::string receive(std::size_t size,
                        std::chrono::milliseconds deadline = std::chrono::seconds(5)) const {
        std::string got;
        const auto end = std::chrono::steady_clock::now() + deadline;
        char buffer[4096];
        while (got.size() < size && std::chrono::steady_clock::now() < end) {
            const ssize_t n = ::read(m_master, buffer, sizeof buffer);
            if (n > 0)
                got.append(buffer, static_cast<std::size_t>(n));
        }
        return got;
    }

private:
    int m_master = -1;
    std::string m_slavePath;
};

} // namespace quorvane::test
