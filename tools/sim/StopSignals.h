#pragma once
// SIGINT and SIGTERM turned into a readable descriptor, so the poll loop wakes and ends cleanly.

namespace quorvane::sim {

/// Catches SIGINT and SIGTERM while it lives; ignores SIGPIPE so a closed output is an error code.
class StopSignals {
public:
    /// Installs the handlers; false when the self-pipe cannot be made.
    bool install();
    /// Readable once a stop signal has arrived.
    int fd() const;
    /// True once a stop signal has arrived.
    bool requested() const;

    StopSignals() = default;
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;
    ~StopSignals();
};

} // namespace quorvane::sim
