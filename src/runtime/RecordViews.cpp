#include "runtime/RecordViews.h"

#include "engine/Engine.h"
#include "runtime/HistoryWindow.h"
#include "runtime/PlotWindow.h"

namespace quorvane {

namespace {

void restoreGeometry(QWidget& window, const SettingsStore& store, const char* section,
                     const std::string& port) {
    const std::string saved = store.GetSetting(kRecordWindowsApplication, section, port, "");
    if (!saved.empty())
        window.restoreGeometry(QByteArray::fromBase64(QByteArray::fromStdString(saved)));
}

void showAndRaise(QWidget& window) {
    window.show();
    window.raise();
    window.activateWindow();
}

} // namespace

RecordViews::RecordViews(Engine& engine, SettingsStore& store, QObject* parent)
    : QObject(parent), m_engine(engine), m_store(store) {}

RecordViews::~RecordViews() {
    closeAll();
}

void RecordViews::closeAll() {
    closeView(m_history, "History");
    closeView(m_plot, "Plot");
}

void RecordViews::showHistory() {
    if (!m_history) {
        const std::string port = m_engine.portName();
        m_history = new HistoryWindow(port, m_store);
        restoreGeometry(*m_history, m_store, "History", port);
        connect(m_history, &HistoryWindow::closed, this, [this] { closeView(m_history, "History"); });
        m_engine.addRecordObserver(*m_history);
    }
    showAndRaise(*m_history);
}

void RecordViews::showPlot() {
    if (!m_plot) {
        const std::string port = m_engine.portName();
        m_plot = new PlotWindow(port);
        restoreGeometry(*m_plot, m_store, "Plot", port);
        connect(m_plot, &PlotWindow::closed, this, [this] { closeView(m_plot, "Plot"); });
        m_engine.addRecordObserver(*m_plot);
    }
    showAndRaise(*m_plot);
}

template <typename Window>
void RecordViews::closeView(Window*& window, const char* section) {
    if (!window)
        return;
    Window* closing = window;
    window = nullptr;
    m_engine.removeRecordObserver(*closing);
    m_store.SaveSetting(kRecordWindowsApplication, section, m_engine.portName(),
                        closing->saveGeometry().toBase64().toStdString());
    closing->disconnect(this);
    closing->hide();
    // Not deleted inside its own close event.
    closing->deleteLater();
}

} // namespace quorvane
