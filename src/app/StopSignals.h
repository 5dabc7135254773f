#pragma once
// SIGINT, SIGTERM and SIGHUP for the programs with windows: each signal is handed to the Qt event
// loop, where the windows close as their own Quit or Exit would. The display going away is the
// other end nobody asked for: the port is closed before the program goes.

#include <QObject>

#include <functional>

class QSocketNotifier;

namespace quorvane {

/// While it exists, the stop signals call `stop` from the event loop (never inside the handler).
/// A second signal while the first is still being handled calls it again.
class StopSignals : public QObject {
public:
    explicit StopSignals(std::function<void(int signal)> stop);
    ~StopSignals() override;
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    /// False when the handlers could not be installed.
    bool ok() const { return m_ok; }

private:
    void readSignals();

    std::function<void(int)> m_stop;
    QSocketNotifier* m_notifier = nullptr;
    bool m_ok = false;
};

/// Dismisses every open modal dialog and message box, innermost first, as their Cancel or Close
/// would: a window asked to close by a signal must not wait for a person to answer them.
void DismissModalDialogs();

/// Runs `closePort` if the program ends through exit() while it is registered: Qt's X11 connection
/// ends the program that way when the X server goes. Registering again replaces it; an empty
/// function unregisters.
void CloseOnDisplayLoss(std::function<void()> closePort);

} // namespace quorvane
