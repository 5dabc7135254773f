#pragma once
// A window's repaint paced to the engine's steps while records keep coming.

#include <QElapsedTimer>

#include <functional>

class QObject;
class QTimer;

namespace quorvane {

/// Runs a repaint at most once per interval while changes keep coming. A change that finds the
/// interval over has it run as soon as control is back in the event loop: after the engine step that
/// made the change, in the pause before the device's next bytes, not in the middle of a later step's
/// reading. A change within the interval leaves it to a later change past the interval, or to a timer
/// `lateMs` after the interval when no more changes come.
class PacedRefresh {
public:
    /// `run` is called from the event loop of `owner`, which owns the timer.
    PacedRefresh(QObject* owner, int intervalMs, int lateMs, std::function<void()> run);

    /// Something the repaint shows changed.
    void changed();
    /// The repaint is under way: nothing is due any more.
    void started();
    /// The interval counts from now.
    void restartInterval() { m_since.restart(); }
    /// True while a repaint is due.
    bool pending() const;

private:
    QTimer* m_timer;
    QElapsedTimer m_since;
    int m_intervalMs;
    int m_lateMs;
    // Due, and runs as soon as control is back in the event loop.
    bool m_soon = false;
};

} // namespace quorvane
