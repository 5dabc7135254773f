#pragma once
// The port operations: open, read, write, purge, break, DTR/RTS and modem status of the one port.

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "config/Configuration.h"
#include "platform/Clock.h"
#include "platform/SerialDevice.h"
#include "platform/UserPrompts.h"
#include "serial/PortBindings.h"

namespace quorvane {

/// The program's serial port. Reports failures to the user itself; single-threaded like its callers.
class SerialPort {
public:
    /// Waits about the given time without handling events (ToggleDtr); tests advance a fake clock.
    using Pause = std::function<void(std::chrono::milliseconds)>;
    /// Receives what the engine writes while Virtual Instrument Mode is on, in display form.
    using VirtualSink = std::function<void(std::string_view)>;

    /// Bytes asked of the device per read; ReadPortByte hands them out one at a time.
    static constexpr std::size_t kReadChunk = 4096;
    /// How long ToggleDtr holds DTR low.
    static constexpr std::uint32_t kDtrPulseMs = 155;
    /// Least time between two attempts to reopen a device that went away.
    static constexpr std::uint32_t kReopenIntervalMs = 500;

    /// What watchDevice found.
    enum class DeviceChange {
        None,
        /// The open device went away.
        Lost,
        /// A device waited for from the start is not there; waitReason() says why.
        Absent,
        /// Why the device that is waited for cannot be opened has changed; waitReason() says how.
        StillAway,
        /// The device that went away is open again.
        Back,
        /// The device waited for from the start is open.
        Arrived
    };

    /// The port settings are read from `config` at each OpenPort; `pause` defaults to sleeping.
    SerialPort(SerialDevice& device, const Configuration& config, UserPrompts& prompts, const Clock& clock,
               const PortBindings& bindings, Pause pause = {});

    /// Opens and configures the configured port; false, with the port closed, after telling the user why.
    bool OpenPort();
    /// Lowers DTR and RTS, then closes. Nothing happens while closed.
    void ClosePort();
    /// Closes without touching DTR and RTS (an abandoned activation, a configuration reload).
    void CloseHandleOnly();
    /// Reads at most one byte without waiting: 1 with `byte` set, or 0 when nothing waits.
    int ReadPortByte(char& byte) {
        // Inline for the bytes already read: the engine takes every byte through here.
        if (m_readPos != m_readEnd) {
            byte = m_readBuffer[m_readPos++];
            return 1;
        }
        return refillAndReadByte(byte);
    }
    /// The bytes read ahead and not yet handed out by ReadPortByte.
    std::string_view bufferedBytes() const {
        return {m_readBuffer.data() + m_readPos, m_readEnd - m_readPos};
    }
    /// Hands out the first `count` buffered bytes at once, as that many ReadPortByte calls would.
    void skipBuffered(std::size_t count) { m_readPos += std::min(count, m_readEnd - m_readPos); }
    /// Writes `outputQueue`, leaving in it what the device did not take; in Virtual Instrument Mode hands it
    /// to the sink and empties it.
    void WritePort(std::string& outputQueue);
    /// Discards what waits in both directions, including bytes read ahead.
    void PurgePort();
    /// Starts the break condition.
    void SetBreak();
    /// Ends the break condition.
    void ClearBreak();
    /// Raises DTR.
    void SetDtr();
    /// Lowers DTR.
    void ClearDtr();
    /// Raises RTS.
    void SetRts();
    /// Lowers RTS.
    void ClearRts();
    /// Holds DTR low for 155 ms on the clock, then raises it; no event is handled meanwhile.
    void ToggleDtr();
    /// CTS 0x10, DSR 0x20, ring 0x40, carrier detect 0x80; 0 when closed or unreadable.
    std::uint32_t ReadModemStatus();

    /// Notices a device that went away (closing it and dropping what was read ahead) and, at most every
    /// kReopenIntervalMs, opens the same path again with the same line settings and DTR/RTS levels. Each
    /// change is reported once.
    DeviceChange watchDevice();
    /// OpenPort that waits for a device that cannot be opened yet: watchDevice then reports it absent,
    /// and why, and opens it once it can. False, with the port closed, after telling the user, when
    /// waiting cannot help (the path is a directory or no terminal).
    bool waitForDevice();
    /// True while the device is away and waited for.
    bool waitingForDevice() const { return m_waiting; }
    /// Why the device waited for cannot be opened: "not there yet", "busy (in use by process 12
    /// (minicom))", "not a terminal"...
    const std::string& waitReason() const { return m_reason; }
    /// The path last opened or waited for.
    const std::string& devicePath() const { return m_path; }

    /// "COM" and PortIndex+1, set by OpenPort and by startVirtualMode; empty before either.
    const std::string& PortName() const { return m_portName; }
    /// True while a device is open.
    bool isOpen() const { return m_device.isOpen(); }

    /// Enters Virtual Instrument Mode: closes any open port, sets PortName, sends writes to `sink` and
    /// makes every line-control operation do nothing.
    void startVirtualMode(VirtualSink sink);
    /// Leaves Virtual Instrument Mode.
    void stopVirtualMode();
    /// True in Virtual Instrument Mode.
    bool isVirtual() const { return static_cast<bool>(m_virtualSink); }

private:
    int refillAndReadByte(char& byte);
    void failConfigure(std::string_view message);
    void closeDevice();
    bool lineControlAllowed() const;
    bool reopen();
    void noteOpenFailure(bool configured);
    void tellDiscarded();

    SerialDevice& m_device;
    const Configuration& m_config;
    UserPrompts& m_prompts;
    const Clock& m_clock;
    const PortBindings& m_bindings;
    Pause m_pause;
    VirtualSink m_virtualSink;
    std::string m_portName;
    std::array<char, kReadChunk> m_readBuffer{};
    std::size_t m_readPos = 0;
    std::size_t m_readEnd = 0;
    std::string m_path;
    // DTR and RTS as last set, restored on a reopen.
    bool m_dtr = true;
    bool m_rts = true;
    bool m_waiting = false;
    bool m_lossToReport = false;
    bool m_everOpened = false; // since OpenPort or waitForDevice
    bool m_reasonToReport = false;
    bool m_lasting = false; // the last open failed in a way waiting cannot mend
    std::string m_reason;
    bool m_attempted = false;
    std::uint32_t m_lastAttempt = 0;
};

} // namespace quorvane
