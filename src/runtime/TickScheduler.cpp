#include "runtime/TickScheduler.h"

#include "engine/Engine.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <limits>

namespace quorvane {

namespace {

constexpr int kTickMs = 50;

// Marks an engine step on the stack for as long as it runs.
class StepDepth {
public:
    explicit StepDepth(int& depth) : m_depth(depth) { ++m_depth; }
    ~StepDepth() { --m_depth; }
    StepDepth(const StepDepth&) = delete;
    StepDepth& operator=(const StepDepth&) = delete;

private:
    int& m_depth;
};

} // namespace

TickScheduler::TickScheduler(Engine& engine, std::function<void()> afterStep, QObject* parent)
    : QObject(parent), m_engine(engine), m_afterStep(std::move(afterStep)), m_timer(new QTimer(this)),
      m_moreInput(new QTimer(this)) {
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setTimerType(Qt::PreciseTimer);
    connect(m_timer, &QTimer::timeout, this, &TickScheduler::tick);
    m_moreInput->setSingleShot(true);
    connect(m_moreInput, &QTimer::timeout, this, &TickScheduler::readPending);
    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
            &TickScheduler::planBeforeBlocking);
}

TickScheduler::~TickScheduler() = default;

void TickScheduler::start(std::function<int()> portDescriptor) {
    m_portDescriptor = std::move(portDescriptor);
    m_running = true;
    watchPort();
    startTicking();
}

void TickScheduler::stop() {
    m_running = false;
    m_timer->stop();
    m_moreInput->stop();
    m_port.reset();
}

void TickScheduler::tick() {
    if (m_depth != 0)
        return;
    {
        const StepDepth step(m_depth);
        m_engine.Timer1_Timer();
    }
    finishStep();
    if (!m_running)
        return;
    // The tick re-arms a port notifier that rested because the engine could not read.
    watchPort();
    planAfterTick();
}

void TickScheduler::readArrived() {
    if (m_depth != 0) {
        m_port->setEnabled(false);
        return;
    }
    bool read = false;
    {
        const StepDepth step(m_depth);
        read = m_engine.ReadArrivedInput();
    }
    // When the engine cannot read (a tick waits, suspended) the notifier rests until the next
    // tick, or it would fire without end.
    if (!read && m_port)
        m_port->setEnabled(false);
    finishStep();
}

void TickScheduler::readPending() {
    if (m_depth != 0)
        return;
    {
        const StepDepth step(m_depth);
        m_engine.ReadPendingInput();
    }
    finishStep();
}

void TickScheduler::finishStep() {
    // A step that lost the device closed its descriptor: the event loop must not poll it again,
    // nor another file that gets its number.
    followPort();
    if (m_afterStep)
        m_afterStep();
    if (m_running && m_engine.inputPending())
        m_moreInput->start(0);
}

void TickScheduler::watchPort() {
    followPort();
    if (m_port)
        m_port->setEnabled(true);
}

void TickScheduler::followPort() {
    const int fd = m_running && m_portDescriptor ? m_portDescriptor() : -1;
    if (m_port && m_port->socket() == fd)
        return;
    if (m_port) {
        // This may run inside the notifier's own signal: it goes once control is back in the loop.
        m_port->setEnabled(false);
        m_port.release()->deleteLater();
    }
    if (fd < 0)
        return;
    m_port = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read, this);
    connect(m_port.get(), &QSocketNotifier::activated, this, &TickScheduler::readArrived);
}

bool TickScheduler::portResting() const {
    return !m_port || !m_port->isEnabled();
}

// After a tick the timer follows the engine: it keeps ticking, waits for the next due time, or
// stops until port data or another event gives the engine work.
void TickScheduler::planAfterTick() {
    const std::optional<std::uint32_t> due = portResting() ? 0U : m_engine.msUntilTickWork();
    if (!due)
        m_timer->stop();
    else if (*due != 0)
        wakeUpIn(*due);
    else if (!m_timer->isActive() || m_timer->isSingleShot())
        startTicking();
}

// Work given between ticks (the bus, a hot key, a menu, a resting notifier) starts the ticks again
// or brings the wake-up forward; a tick already under way is left to plan after itself.
void TickScheduler::planBeforeBlocking() {
    if (!m_running || m_depth != 0 || QCoreApplication::closingDown())
        return;
    if (m_timer->isActive() && !m_timer->isSingleShot())
        return;
    const std::optional<std::uint32_t> due = portResting() ? 0U : m_engine.msUntilTickWork();
    if (!due)
        return;
    const bool armed = m_timer->isActive();
    if (*due == 0) {
        if (!armed || m_timer->remainingTime() > kTickMs)
            startTicking();
    } else if (!armed || m_timer->remainingTime() > static_cast<std::int64_t>(*due)) {
        wakeUpIn(*due);
    }
}

void TickScheduler::startTicking() {
    m_timer->setSingleShot(false);
    m_timer->start(kTickMs);
}

// The clock counts whole milliseconds and a precise timer never fires early, so the tick of the
// wake-up finds the work due; a later tick would only add its lateness.
void TickScheduler::wakeUpIn(std::uint32_t ms) {
    m_timer->setSingleShot(true);
    m_timer->start(static_cast<int>(std::min<std::uint32_t>(ms, std::numeric_limits<int>::max())));
}

} // namespace quorvane
