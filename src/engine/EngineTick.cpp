#include "engine/Engine.h"
#include "expr/ValueFormat.h"

namespace quorvane {

namespace {

constexpr unsigned char kCarriageReturn = 13;
constexpr std::int16_t kOptoRs = 3;
// The longest stretch of reading without a return to the host, and how often the clock is looked at.
constexpr std::uint32_t kReadSliceMs = 5;
constexpr std::uint32_t kReadSliceCheckBytes = 64;

// Holds the "tick running" mark for the length of one tick, whatever way it ends.
class TickGuard {
public:
    explicit TickGuard(bool& running) : m_running(running) { m_running = true; }
    ~TickGuard() { m_running = false; }
    TickGuard(const TickGuard&) = delete;
    TickGuard& operator=(const TickGuard&) = delete;

private:
    bool& m_running;
};

// Tells the delivery that the records completed from here on come from one read of the port, and
// that the read is over when it goes out of scope (however the read ends).
class DeliveryBatch {
public:
    explicit DeliveryBatch(RecordDelivery& delivery) : m_delivery(delivery) { m_delivery.beginBatch(); }
    ~DeliveryBatch() { m_delivery.endBatch(); }
    DeliveryBatch(const DeliveryBatch&) = delete;
    DeliveryBatch& operator=(const DeliveryBatch&) = delete;

private:
    RecordDelivery& m_delivery;
};

} // namespace

void Engine::Timer1_Timer() {
    // A tick that falls due while another waits in a message box is dropped, not queued.
    if (m_tickRunning || m_exitRequested || m_closed)
        return;
    TickGuard guard(m_tickRunning);

    m_ext.serveLinkRequests();
    if (m_state.BreakTicks != 0) {
        if (m_state.BreakTicks == 1)
            m_services.Port.ClearBreak();
        --m_state.BreakTicks;
    }
    showDateTime();
    m_ext.timedOutputStep();
    FlushOutputQueue();
    watchPort();

    if (m_state.Suspended) {
        m_inputPending = false;
        return;
    }
    m_state.IdleTicks = (m_state.IdleTicks + 1) % 256;
    readInput(true);
}

bool Engine::needsTick() const {
    return msUntilTickWork() == 0U;
}

std::optional<std::uint32_t> Engine::msUntilTickWork() const {
    if (m_closed || m_exitRequested)
        return std::nullopt;
    // The virtual device hands its bytes over only on the tick.
    if (isVirtual() || m_inputPending || m_services.Port.waitingForDevice())
        return 0;
    if (m_state.BreakTicks != 0 || isSet(m_config.ShowDateTime) || !m_outputQueue.empty() ||
        m_state.ExitCountdown != 0)
        return 0;
    if (!m_state.Suspended && m_framing.gapCanEndRecord())
        return 0;
    return m_ext.msUntilTickWork();
}

void Engine::ReadPendingInput() {
    if (!m_inputPending || m_tickRunning || m_exitRequested || m_closed)
        return;
    TickGuard guard(m_tickRunning);
    if (m_state.Suspended) {
        m_inputPending = false;
        return;
    }
    readInput(m_pendingTickWork);
}

bool Engine::ReadArrivedInput() {
    // A read loop cut after its slice goes on through ReadPendingInput, with its tick's work.
    if (m_inputPending)
        return true;
    if (m_tickRunning || m_exitRequested || m_closed || m_state.Suspended)
        return false;
    TickGuard guard(m_tickRunning);
    readInput(false);
    return true;
}

void Engine::readInput(bool tickWork) {
    // A device that sends faster than records are delivered never leaves the port empty: the loop
    // hands control back after a slice so the host can serve signals and the bus, and goes on
    // where it stopped (the gap and the exit countdown wait until the port is found empty).
    m_inputPending = false;
    const DeliveryBatch batch(*m_delivery);
    const std::uint32_t start = m_services.Time.tickCount();
    std::uint32_t nextCheck = kReadSliceCheckBytes;
    for (std::uint32_t taken = 1;; ++taken) {
        if (taken >= nextCheck) {
            nextCheck = taken + kReadSliceCheckBytes;
            if (m_services.Time.tickCount() - start >= kReadSliceMs) {
                m_inputPending = true;
                m_pendingTickWork = tickWork;
                return;
            }
        }
        // Runs of plain field bytes are framed straight from the port's buffer; an Opto-RS carriage
        // return and the virtual device's bytes go one at a time.
        if (m_config.FlowControl != kOptoRs && !isVirtual()) {
            if (const std::size_t run = m_framing.FramePlainRun(m_services.Port.bufferedBytes()); run != 0) {
                m_services.Port.skipBuffered(run);
                taken += static_cast<std::uint32_t>(run - 1);
                continue;
            }
        }
        unsigned char byte = 0;
        if (ReadInputByte(byte) == 0) {
            // Bytes read between ticks leave the gap and the exit countdown to the ticks, which
            // count them.
            if (!tickWork)
                return;
            m_framing.CheckRecordGap();
            // A one-record run the gap has just ended suspends the engine; the exit countdown
            // counts only ticks that ran.
            if (m_state.Suspended || m_exitRequested || m_closed)
                return;
            if (m_state.ExitCountdown != 0) {
                m_state.ExitCountdown = static_cast<std::int16_t>(m_state.ExitCountdown + 2);
                if (m_state.ExitCountdown > 2)
                    ExitMenu_Click();
            }
            return;
        }
        if (byte == kCarriageReturn && m_config.FlowControl == kOptoRs)
            optoRequest();
        m_framing.FrameByte(byte);
        // A one-record run that has its record, or a log failure given up, suspends the engine:
        // what follows stays in the port until the engine runs again.
        if (m_state.Suspended || m_exitRequested || m_closed)
            return;
    }
}

void Engine::showDateTime() {
    if (!isSet(m_config.ShowDateTime))
        return;
    LocalDateTime now = m_services.Time.now();
    now.Millisecond = 0;
    if (m_state.LastShownTime == now)
        return;
    m_services.View.setDateTimeText(FormatDateTime(now, m_config.DateTimeFormat, m_env.Locale));
    m_state.LastShownTime = now;
}

void Engine::optoRequest() {
    // Carriage returns alternate: one sends the Opto-RS request, the next voids the record it ends.
    if (m_state.OptoRequestSent) {
        if (m_state.InRecord)
            m_state.VoidPending = true;
        m_state.OptoRequestSent = false;
    } else {
        QueueOutput("?\r");
        m_state.OptoRequestSent = true;
    }
}

int Engine::ReadInputByte(unsigned char& byte) {
    if (isVirtual())
        return m_virtualInput.takeByte(byte) ? 1 : 0;
    char received = 0;
    if (m_services.Port.ReadPortByte(received) == 0) {
        // A read that found the device gone is noticed before the gap check can end its record.
        watchPort();
        return 0;
    }
    byte = static_cast<unsigned char>(received);
    return 1;
}

void Engine::FlushOutputQueue() {
    // In Virtual Instrument Mode the port hands the queue to the virtual device window.
    if (!m_outputQueue.empty())
        m_services.Port.WritePort(m_outputQueue);
}

bool Engine::QueueOutput(std::string_view text) {
    if (text.size() > kMaxQueuedFileOutput - std::min(m_outputQueue.size(), kMaxQueuedFileOutput))
        return false;
    m_outputQueue += text;
    return true;
}

bool Engine::QueueFileForSending(const std::string& path) {
    if (m_outputQueue.size() > kMaxQueuedFileOutput)
        return false;
    const std::optional<std::string> bytes =
        m_services.Files.readFile(path, kMaxQueuedFileOutput - m_outputQueue.size());
    if (!bytes)
        return false;
    m_outputQueue += *bytes;
    return true;
}

} // namespace quorvane
