#pragma once
// The operating system's serial device, as the port operations in serial/ drive it.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace quorvane {

/// Parity codes, as ParityIndex stores them.
enum class SerialParity : std::int16_t { None = 0, Odd = 1, Even = 2, Mark = 3, Space = 4 };

/// Stop-bit codes, as StopBitsIndex stores them.
enum class SerialStopBits : std::int16_t { One = 0, OneAndHalf = 1, Two = 2 };

/// How the RTS line is driven.
enum class RtsControl { Off, On, Handshake };

/// Line settings applied at open. Parity is never checked on input: bytes with parity errors pass unchanged.
struct LineSettings {
    std::int32_t BaudRate = 9600;
    /// Data bits per byte, 5 to 8.
    int ByteSize = 8;
    SerialParity Parity = SerialParity::None;
    SerialStopBits StopBits = SerialStopBits::One;
    /// Output waits while CTS is low.
    bool CtsOutputFlow = false;
    /// XON/XOFF from the device pauses our output.
    bool XonXoffOutput = false;
    /// We send XON/XOFF to pace the device.
    bool XonXoffInput = false;
    /// DTR level after open.
    bool Dtr = true;
    RtsControl Rts = RtsControl::On;
    bool operator==(const LineSettings&) const = default;
};

/// Outcome of applying line settings, one value per step that can fail.
enum class ConfigureResult {
    Ok,
    /// Reads could not be made non-blocking.
    TimeoutsRefused,
    /// The device's current settings could not be read.
    SettingsUnreadable,
    /// The device refused the settings (for example a baud rate its driver does not support).
    SettingsRefused,
};

/// Modem-status bits, as the port analyzer shows them.
inline constexpr std::uint32_t kModemCts = 0x10;
inline constexpr std::uint32_t kModemDsr = 0x20;
inline constexpr std::uint32_t kModemRing = 0x40;
inline constexpr std::uint32_t kModemCarrier = 0x80;

/// What kept a device from opening, as far as waiting for it is concerned.
enum class OpenFailure {
    /// Anything else (permissions, a hung-up terminal): it may pass.
    Other,
    /// Nothing at the path (yet).
    Absent,
    /// Another program has it open or locked.
    Busy,
    /// The path leads to something that is no terminal: waiting cannot mend it.
    NotTerminal,
    /// The path is a directory: waiting cannot mend it.
    Directory
};

/// One serial device, opened exclusively. Never blocks; never throws.
class SerialDevice {
public:
    virtual ~SerialDevice() = default;
    /// Opens `path` for reading and writing, exclusively and without blocking; false when absent, in use or
    /// denied.
    virtual bool open(const std::string& path) = 0;
    /// After a failed open, why, as the system puts it ("No such file or directory", "locked by process
    /// 1234 (cat)"); empty when unknown.
    virtual std::string openProblem() const { return {}; }
    /// After a failed open, what kind of failure it was.
    virtual OpenFailure openFailure() const { return OpenFailure::Other; }
    /// True once a read or write found the device gone (unplugged, hung up, its node removed); an open
    /// clears it.
    virtual bool gone() const { return false; }
    /// Applies raw mode, `settings` and the DTR/RTS levels they name.
    virtual ConfigureResult configure(const LineSettings& settings) = 0;
    /// Bytes the last configure found waiting and dropped because they had come in under other input
    /// processing (a cooked terminal's), so they were not what the device sent.
    virtual std::size_t discardedAtConfigure() const { return 0; }
    /// Reads what is waiting, at most `buffer.size()` bytes; 0 when nothing waits or on failure.
    virtual std::size_t read(std::span<char> buffer) = 0;
    /// Writes as much of `data` as the device takes now; the count written, 0 on failure.
    virtual std::size_t write(std::string_view data) = 0;
    /// Discards what waits in both directions.
    virtual bool purge() = 0;
    /// Starts (true) or ends (false) the break condition.
    virtual bool setBreak(bool on) = 0;
    /// Raises or lowers DTR.
    virtual bool setDtr(bool on) = 0;
    /// Raises or lowers RTS.
    virtual bool setRts(bool on) = 0;
    /// The kModem* bits of the input lines; 0 when they cannot be read.
    virtual std::uint32_t modemStatus() = 0;
    /// Closes the device without touching its lines; harmless when closed.
    virtual void close() = 0;
    /// True between a successful open and close.
    virtual bool isOpen() const = 0;
};

} // namespace quorvane
