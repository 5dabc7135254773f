#pragma once
// The simulator's poll loop: waits for a reader, feeds it, answers it, and drains on the way out.

#include <chrono>
#include <ostream>
#include <string_view>

#include "sim/Feed.h"
#include "sim/PendingOutput.h"
#include "sim/PseudoTerminal.h"
#include "sim/StopSignals.h"

namespace quorvane::sim {

/// Runs a feed on a pseudo-terminal until the feed is done and drained or a stop signal arrives.
///
/// While no program has the slave open the device waits: the feed is not asked for anything and
/// bytes already queued are kept for the next reader, whose arrival starts the pacing afresh.
class Simulator {
public:
    /// Plays feed on terminal; received bytes are reported on log.
    Simulator(PseudoTerminal& terminal, Feed& feed, const StopSignals& stop, std::ostream& log);

    /// Runs to the end; the process exit status.
    int run();

private:
    using Clock = std::chrono::steady_clock;

    bool waitForReader();
    int pollTimeoutMs(std::chrono::microseconds elapsed) const;
    // Both return false once the reader has gone.
    bool serviceTerminal(short events);
    bool readFromReader();
    int drain();

    PseudoTerminal& m_terminal;
    Feed& m_feed;
    const StopSignals& m_stop;
    std::ostream& m_log;
    PendingOutput m_queue;
    Clock::time_point m_connectedAt;
};

} // namespace quorvane::sim
