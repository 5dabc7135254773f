#pragma once
// The pseudo-terminal the simulated device talks through: we hold the master, the capture
// program opens the slave as its serial device.

#include <optional>
#include <string>
#include <variant>

namespace quorvane::sim {

/// A raw-mode pseudo-terminal pair whose master end is non-blocking.
class PseudoTerminal {
public:
    /// Opens a new pair; a text says why it could not.
    static std::variant<PseudoTerminal, std::string> open();

    PseudoTerminal(PseudoTerminal&& other) noexcept;
    PseudoTerminal& operator=(PseudoTerminal&& other) noexcept;
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;
    ~PseudoTerminal();

    /// The master descriptor, for poll(), read() and write().
    int masterFd() const { return m_master; }
    /// The slave's device path, e.g. /dev/pts/4.
    const std::string& slavePath() const { return m_slavePath; }

    /// True while some program has the slave open. Once the device has been probed with
    /// unreadBytes this stays true until the terminal is closed.
    bool readerPresent() const;
    /// Bytes written to the master that the reader has not read yet; none when that cannot be
    /// told (the reader opened the slave exclusively).
    std::optional<int> unreadBytes();

private:
    PseudoTerminal(int master, std::string slavePath);
    void closeAll();

    int m_master = -1;
    // Our own slave descriptor, opened only to count unread bytes: holding it hides the reader's
    // hang-up from the master, so it is opened only for the final drain.
    int m_probe = -1;
    std::string m_slavePath;
};

} // namespace quorvane::sim
