#include "serial/SerialPort.h"

#include <thread>

#include "config/ConfigLimits.h"
#include "serial/DisplayForm.h"
#include "serial/SerialLineSettings.h"

namespace quorvane {

// Building the control block from a fixed text ("BuildComDCB failed") has no counterpart here: the line
// settings are plain values that cannot fail to build, so that message is never shown on Linux.

SerialPort::SerialPort(SerialDevice& device, const Configuration& config, UserPrompts& prompts,
                       const Clock& clock, const PortBindings& bindings, Pause pause)
    : m_device(device), m_config(config), m_prompts(prompts), m_clock(clock), m_bindings(bindings),
      m_pause(std::move(pause)) {
    if (!m_pause)
        m_pause = [](std::chrono::milliseconds duration) { std::this_thread::sleep_for(duration); };
}

bool SerialPort::OpenPort() {
    m_virtualSink = nullptr;
    // A second open without a close would leak the first device and leave it locked.
    if (m_device.isOpen())
        closeDevice();
    m_waiting = m_lossToReport = false;
    m_portName = quorvane::PortName(m_config.PortIndex);
    m_path = m_bindings.devicePathFor(m_portName);
    if (m_path.empty() || !m_device.open(m_path)) {
        std::string text = "Device " + m_portName + " Not Available.";
        // The path and the reason tell the user what to fix; the first line stays as users and scripts
        // know it.
        if (const std::string problem = m_device.openProblem(); !m_path.empty() && !problem.empty())
            text += "\n" + m_path + ": " + problem + ".";
        m_prompts.messageBox(text, "Device Error", MessageButtons::Ok, MessageIcon::Exclamation);
        return false;
    }
    // Driver queue sizes (InputBufferSize, OutputBufferSize) have no Linux equivalent.
    const LineSettings settings = LineSettingsFor(m_config);
    switch (m_device.configure(settings)) {
    case ConfigureResult::Ok:
        m_dtr = settings.Dtr;
        m_rts = settings.Rts != RtsControl::Off;
        m_everOpened = true;
        tellDiscarded();
        return true;
    case ConfigureResult::TimeoutsRefused:
        failConfigure("SetComTimeouts failed");
        break;
    case ConfigureResult::SettingsUnreadable:
        failConfigure("GetComState failed");
        break;
    case ConfigureResult::SettingsRefused:
        failConfigure("SetComState failed");
        break;
    }
    return false;
}

void SerialPort::failConfigure(std::string_view message) {
    m_prompts.messageBox(message, kProgramTitle, MessageButtons::Ok, MessageIcon::None);
    closeDevice();
}

void SerialPort::ClosePort() {
    m_waiting = m_lossToReport = false;
    if (!m_device.isOpen())
        return;
    m_device.setDtr(false);
    m_device.setRts(false);
    closeDevice();
}

void SerialPort::CloseHandleOnly() {
    m_waiting = m_lossToReport = false;
    if (m_device.isOpen())
        closeDevice();
}

void SerialPort::closeDevice() {
    m_device.close();
    // Bytes read ahead belong to this device; a reopened port must not deliver them.
    m_readPos = m_readEnd = 0;
}

int SerialPort::refillAndReadByte(char& byte) {
    if (!m_device.isOpen())
        return 0;
    m_readPos = 0;
    m_readEnd = m_device.read(m_readBuffer);
    if (m_readEnd == 0)
        return 0;
    byte = m_readBuffer[m_readPos++];
    return 1;
}

void SerialPort::WritePort(std::string& outputQueue) {
    if (outputQueue.empty())
        return;
    if (isVirtual()) {
        m_virtualSink(DisplayForm(outputQueue));
        outputQueue.clear();
        return;
    }
    // What would be sent to a device that is away is stale by the time it returns.
    if (m_waiting) {
        outputQueue.clear();
        return;
    }
    if (!m_device.isOpen())
        return;
    const std::size_t written = m_device.write(outputQueue);
    outputQueue.erase(0, std::min(written, outputQueue.size()));
}

bool SerialPort::lineControlAllowed() const {
    return !isVirtual() && m_device.isOpen();
}

void SerialPort::PurgePort() {
    m_readPos = m_readEnd = 0;
    if (lineControlAllowed())
        m_device.purge();
}

void SerialPort::SetBreak() {
    if (lineControlAllowed())
        m_device.setBreak(true);
}

void SerialPort::ClearBreak() {
    if (lineControlAllowed())
        m_device.setBreak(false);
}

void SerialPort::SetDtr() {
    if (!lineControlAllowed())
        return;
    m_dtr = true;
    m_device.setDtr(true);
}

void SerialPort::ClearDtr() {
    if (!lineControlAllowed())
        return;
    m_dtr = false;
    m_device.setDtr(false);
}

void SerialPort::SetRts() {
    if (!lineControlAllowed())
        return;
    m_rts = true;
    m_device.setRts(true);
}

void SerialPort::ClearRts() {
    if (!lineControlAllowed())
        return;
    m_rts = false;
    m_device.setRts(false);
}

void SerialPort::ToggleDtr() {
    if (!lineControlAllowed())
        return;
    m_device.setDtr(false);
    // Unsigned difference, so the pulse keeps its length when the tick count wraps around.
    const std::uint32_t start = m_clock.tickCount();
    for (std::uint32_t elapsed = 0; elapsed < kDtrPulseMs; elapsed = m_clock.tickCount() - start)
        m_pause(std::chrono::milliseconds(kDtrPulseMs - elapsed));
    m_device.setDtr(true);
    m_dtr = true;
}

std::uint32_t SerialPort::ReadModemStatus() {
    if (!lineControlAllowed())
        return 0;
    return m_device.modemStatus();
}

void SerialPort::startVirtualMode(VirtualSink sink) {
    if (m_device.isOpen())
        closeDevice();
    m_readPos = m_readEnd = 0;
    m_waiting = m_lossToReport = false;
    m_portName = quorvane::PortName(m_config.PortIndex);
    m_virtualSink = std::move(sink);
}

SerialPort::DeviceChange SerialPort::watchDevice() {
    if (isVirtual())
        return DeviceChange::None;
    if (m_device.isOpen() && m_device.gone()) {
        closeDevice();
        m_waiting = m_lossToReport = true;
        m_attempted = false;
        // The loss is news enough; only a different reason for not reopening is told.
        m_reason = "not there yet";
        m_reasonToReport = false;
    }
    if (m_lossToReport) {
        m_lossToReport = false;
        return m_everOpened ? DeviceChange::Lost : DeviceChange::Absent;
    }
    if (m_reasonToReport) {
        m_reasonToReport = false;
        return DeviceChange::StillAway;
    }
    if (!m_waiting)
        return DeviceChange::None;
    // Unsigned difference, so the pacing survives the tick count wrapping around.
    const std::uint32_t now = m_clock.tickCount();
    if (m_attempted && now - m_lastAttempt < kReopenIntervalMs)
        return DeviceChange::None;
    m_attempted = true;
    m_lastAttempt = now;
    if (!reopen()) {
        if (!m_reasonToReport)
            return DeviceChange::None;
        m_reasonToReport = false;
        return DeviceChange::StillAway;
    }
    m_waiting = false;
    const bool first = !m_everOpened;
    m_everOpened = true;
    return first ? DeviceChange::Arrived : DeviceChange::Back;
}

bool SerialPort::reopen() {
    if (!m_device.open(m_path)) {
        noteOpenFailure(false);
        return false;
    }
    // A device that comes back half-initialised refuses its settings: it is tried again later.
    if (m_device.configure(LineSettingsFor(m_config)) != ConfigureResult::Ok) {
        closeDevice();
        noteOpenFailure(true);
        return false;
    }
    m_device.setDtr(m_dtr);
    m_device.setRts(m_rts);
    tellDiscarded();
    return true;
}

void SerialPort::tellDiscarded() {
    if (const std::size_t count = m_device.discardedAtConfigure(); count != 0)
        m_prompts.notify(
            std::to_string(count) + " bytes that waited in " + m_path +
                " before the port was set up were discarded: the terminal had already altered them.",
            kProgramTitle, MessageIcon::Exclamation);
}

void SerialPort::noteOpenFailure(bool configured) {
    std::string reason;
    m_lasting = false;
    if (configured) {
        reason = "does not take its line settings";
    } else {
        const std::string problem = m_device.openProblem();
        switch (m_device.openFailure()) {
        case OpenFailure::Absent:
            reason = "not there yet";
            break;
        case OpenFailure::Busy:
            reason = problem.starts_with("busy") ? problem : "busy (" + problem + ")";
            break;
        case OpenFailure::NotTerminal:
            reason = "not a terminal";
            m_lasting = true;
            break;
        case OpenFailure::Directory:
            reason = "a directory";
            m_lasting = true;
            break;
        case OpenFailure::Other:
            reason = problem.empty() ? "cannot be opened" : problem;
            break;
        }
    }
    if (reason != m_reason) {
        m_reason = std::move(reason);
        m_reasonToReport = true;
    }
}

bool SerialPort::waitForDevice() {
    if (m_device.isOpen())
        closeDevice();
    m_virtualSink = nullptr;
    m_portName = quorvane::PortName(m_config.PortIndex);
    m_path = m_bindings.devicePathFor(m_portName);
    const LineSettings settings = LineSettingsFor(m_config);
    m_dtr = settings.Dtr;
    m_rts = settings.Rts != RtsControl::Off;
    m_attempted = false;
    m_everOpened = false;
    m_reason.clear();
    // A device already there is simply used; only an absent one is announced and waited for.
    const bool opened = !m_path.empty() && reopen();
    m_everOpened = opened;
    m_waiting = m_lossToReport = !opened;
    // The first report says why; later reports only a change.
    m_reasonToReport = false;
    if (opened || (!m_lasting && !m_path.empty()))
        return true;
    m_waiting = m_lossToReport = false;
    m_prompts.messageBox("Device " + m_portName + " Not Available.\n" + m_path + ": " +
                             (m_path.empty() ? std::string("no device path") : m_reason) +
                             "; waiting cannot change that.",
                         "Device Error", MessageButtons::Ok, MessageIcon::Exclamation);
    return false;
}

void SerialPort::stopVirtualMode() {
    m_virtualSink = nullptr;
}

} // namespace quorvane
