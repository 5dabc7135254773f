#pragma once
// A serial device through POSIX termios: exclusive, non-blocking, raw.

#include "platform/SerialDevice.h"
#include "platform/posix/SystemCalls.h"
#include "platform/posix/UucpLock.h"

namespace quorvane {

/// A terminal device (/dev/ttyS0, /dev/ttyUSB0, a pseudo-terminal). A device that refuses a modem-line
/// call (a pseudo-terminal has no lines) reports the failure, which callers ignore.
class PosixSerialDevice final : public SerialDevice {
public:
    /// Uses the system's calls and the UUCP lock files in `lockDirectory`.
    explicit PosixSerialDevice(std::string lockDirectory = kUucpLockDirectory);
    /// Uses `calls`, which must outlive the device, and the UUCP lock files in `lockDirectory`.
    explicit PosixSerialDevice(SystemCalls& calls, std::string lockDirectory = kUucpLockDirectory);
    /// Closes the device if open.
    ~PosixSerialDevice() override;
    PosixSerialDevice(const PosixSerialDevice&) = delete;
    PosixSerialDevice& operator=(const PosixSerialDevice&) = delete;

    /// Also refuses a device that another process holds: by TIOCEXCL or flock, by a live UUCP lock, or
    /// simply open (as a terminal, cat or a script holds it).
    bool open(const std::string& path) override;
    std::string openProblem() const override { return m_problem; }
    OpenFailure openFailure() const override { return m_failure; }
    /// Set by EIO, ENXIO or ENODEV from a read or write, and by a hang-up seen when a read finds nothing.
    bool gone() const override { return m_gone; }
    /// Reads stay non-blocking; the speed may be any positive rate. Settings the driver did not take are
    /// refused, except on a pseudo-terminal, which keeps 8 data bits without parity whatever it is asked.
    ConfigureResult configure(const LineSettings& settings) override;
    std::size_t discardedAtConfigure() const override { return m_discarded; }
    std::size_t read(std::span<char> buffer) override;
    /// Writes until the device stops taking bytes.
    std::size_t write(std::string_view data) override;
    bool purge() override;
    bool setBreak(bool on) override;
    bool setDtr(bool on) override;
    bool setRts(bool on) override;
    std::uint32_t modemStatus() override;
    void close() override;
    bool isOpen() const override { return m_fd >= 0; }
    /// The open terminal's file descriptor (-1 when closed), for the host to wait on.
    int descriptor() const { return m_fd; }

private:
    bool setModemLine(int line, bool on);
    int ioctl(unsigned long request, void* argument);
    bool failOpen(std::string problem, OpenFailure failure);
    bool failOpen(int error);
    void noteFailure();

    SystemCalls m_systemCalls;
    SystemCalls& m_calls;
    UucpLock m_lock;
    int m_fd = -1;
    bool m_pseudoTerminal = false;
    std::string m_problem;
    OpenFailure m_failure = OpenFailure::Other;
    bool m_gone = false;
    std::size_t m_discarded = 0;
};

} // namespace quorvane
