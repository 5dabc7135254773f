#pragma once
// The windows of the View menu beside the runtime window: each observes the engine's completed
// records only while it is open, and remembers its geometry per port.

#include <QObject>

namespace quorvane {

class Engine;
class HistoryWindow;
class PlotWindow;
class SettingsStore;

/// Opens, raises and closes the history and plot windows of one engine; both references must
/// outlive it. Closing a window removes its observer and frees what it kept.
class RecordViews final : public QObject {
    Q_OBJECT
public:
    RecordViews(Engine& engine, SettingsStore& store, QObject* parent = nullptr);
    ~RecordViews() override;

    /// Shows the history window, opening it if it is closed.
    void showHistory();
    /// Shows the plot window, opening it if it is closed.
    void showPlot();
    /// Closes both windows (when the engine ends).
    void closeAll();
    /// The open windows, or null.
    HistoryWindow* history() const { return m_history; }
    PlotWindow* plot() const { return m_plot; }

private:
    template <typename Window>
    void closeView(Window*& window, const char* section);

    Engine& m_engine;
    SettingsStore& m_store;
    HistoryWindow* m_history = nullptr;
    PlotWindow* m_plot = nullptr;
};

} // namespace quorvane
