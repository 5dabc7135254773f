#pragma once
// When the engine runs, for either host (the runtime window, the headless run): the 50 ms tick
// while a tick step has work, one wake-up when the next work is due at a known time (the timed
// output), and no timer at all otherwise; bytes that arrive at the port between ticks are read at
// once; a read loop cut after its slice goes on from the event loop.

#include <QObject>

#include <functional>
#include <memory>

class QSocketNotifier;
class QTimer;

namespace quorvane {

class Engine;

/// Runs the engine's steps from the event loop. One step at a time: a step that waits in a nested
/// event loop (a message box, typing) keeps the others out until it returns.
class TickScheduler final : public QObject {
    Q_OBJECT
public:
    /// `afterStep` runs after each step that returned to the event loop: the host shows what
    /// changed, and may stop the scheduler (the end of the run).
    TickScheduler(Engine& engine, std::function<void()> afterStep, QObject* parent = nullptr);
    ~TickScheduler() override;

    /// Starts ticking, the first tick one period from now. `portDescriptor` answers the open port's
    /// file descriptor, -1 while there is none (virtual device, device lost): the engine then
    /// ticks to read.
    void start(std::function<int()> portDescriptor);
    /// No more steps until start().
    void stop();
    /// One tick; dropped while another step runs.
    void tick();
    /// True while a step is on the stack.
    bool busy() const { return m_depth != 0; }
    /// The timer behind the ticks, named "Timer1".
    const QTimer& timer() const { return *m_timer; }

private:
    void readArrived();
    void readPending();
    void finishStep();
    void watchPort();
    // Keeps the notifier on the port's current descriptor, leaving a resting one resting.
    void followPort();
    void planAfterTick();
    void planBeforeBlocking();
    bool portResting() const;
    void startTicking();
    void wakeUpIn(std::uint32_t ms);

    Engine& m_engine;
    std::function<void()> m_afterStep;
    std::function<int()> m_portDescriptor;
    QTimer* m_timer = nullptr;
    QTimer* m_moreInput = nullptr;
    std::unique_ptr<QSocketNotifier> m_port;
    int m_depth = 0;
    bool m_running = false;
};

} // namespace quorvane
