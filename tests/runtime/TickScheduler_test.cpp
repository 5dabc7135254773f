// The scheduler on a real pseudo-terminal and the real clock: a record whose end arrives between
// ticks is delivered at once, an idle engine has no timer running, and a timed output is sent on
// time while the engine otherwise sleeps (the idle count counts the ticks that ran).

#include "engine/output/SerialOutput.h"
#include "fakes/FakeHotKeys.h"
#include "integration/EngineOnPty.h"
#include "platform/posix/SystemClock.h"
#include "runtime/TickScheduler.h"

#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>

#include <chrono>
#include <gtest/gtest.h>
#include <unistd.h>
#include <vector>

namespace quorvane {
namespace {

using Steady = std::chrono::steady_clock;

class TickSchedulerTest : public testing::Test, public test::EngineOnPty<SystemClock> {
protected:
    TickSchedulerTest() { extensions.add(output); }

    void start() {
        test::EngineOnPty<SystemClock>::start();
        scheduler.start([this] { return device.descriptor(); });
    }
    // Runs the event loop, blocking as a host does, for that long.
    static void runFor(std::chrono::milliseconds span) {
        QEventLoop loop;
        QTimer::singleShot(span, &loop, &QEventLoop::quit);
        loop.exec();
    }
    int ticksSince(int idleTicks) const { return (engine.state().IdleTicks - idleTicks + 256) % 256; }

    test::FakeHotKeys keys;
    SerialOutput output{engine, config, port, view, clock, &keys};
    TickScheduler scheduler{engine, {}};
};

TEST_F(TickSchedulerTest, IdleEngineHasNoTimerAndARecordEndingBetweenTicksIsDeliveredAtOnce) {
    start();
    runFor(std::chrono::milliseconds(200));
    EXPECT_FALSE(scheduler.timer().isActive());

    const int idle = engine.state().IdleTicks;
    ASSERT_EQ(pty.send("1,2"), 3U);
    runFor(std::chrono::milliseconds(30));
    ASSERT_EQ(pty.send("\r"), 1U);
    const auto sent = Steady::now();
    while (engine.state().RecordNumber == 0 && Steady::now() - sent < std::chrono::seconds(2))
        runFor(std::chrono::milliseconds(1));
    EXPECT_EQ(engine.state().RecordNumber, 1);
    EXPECT_EQ(view.Fields.at(2).Text, "2{ENTER}");
    EXPECT_EQ(ticksSince(idle), 0) << "the record waited for a tick";
    EXPECT_FALSE(scheduler.timer().isActive());
}

TEST_F(TickSchedulerTest, TimedOutputIsSentWhenDueWhileTheEngineSleepsBetween) {
    config.TimerInterval = 300;
    config.TimerFlags = 1 | kTimerActionString;
    config.TimerString = "T";
    std::vector<Steady::time_point> arrivals;
    QSocketNotifier master(pty.master(), QSocketNotifier::Read);
    QObject::connect(&master, &QSocketNotifier::activated, [&] {
        char got[64];
        for (ssize_t n = ::read(pty.master(), got, sizeof got); n > 0; --n)
            if (got[n - 1] == 'T')
                arrivals.push_back(Steady::now());
    });
    const auto started = Steady::now();
    start();
    const int idle = engine.state().IdleTicks;
    // Until the fourth action, with room for a loaded machine.
    for (int waited = 0; arrivals.size() < 4 && waited < 5000; waited += 50)
        runFor(std::chrono::milliseconds(50));

    // The first tick, 50 ms on, starts the interval; each action is one interval after the last,
    // never before it and well before the 50 ms ticks would have come to it.
    ASSERT_EQ(arrivals.size(), 4U);
    for (std::size_t i = 0; i < arrivals.size(); ++i) {
        const auto at = std::chrono::duration_cast<std::chrono::milliseconds>(arrivals[i] - started).count();
        EXPECT_GE(at, 350 + 300 * static_cast<long>(i)) << i;
        EXPECT_LE(at, 350 + 300 * static_cast<long>(i) + 250) << i;
    }
    EXPECT_LE(ticksSince(idle), 8) << "the engine ticked between the due times";
    EXPECT_TRUE(scheduler.timer().isSingleShot());
}

} // namespace
} // namespace quorvane
