#pragma once
// The live plot window: every field that reads as a number is a series that can be shown or
// hidden, over received time or record number, with per-series statistics of the visible span.

#include "engine/RecordObserver.h"
#include "records/PlotView.h"

#include <QElapsedTimer>
#include <QWidget>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTableWidget;
class QTimer;

namespace quorvane {

class PlotCanvas;

/// Object names: `PlotCanvas`, `Series` (checkable list), `XAxis`, `Span`, `YMode`, `YMin`, `YMax`,
/// `Pause`, `ExportPng`, `ExportPlotCsv`, `Statistics`, `CursorReadout`.
class PlotWindow final : public QWidget, public RecordObserver {
    Q_OBJECT
public:
    explicit PlotWindow(std::string_view portName, QWidget* parent = nullptr);
    ~PlotWindow() override;

    void recordCompleted(const CompletedRecord& record) override;

    const PlotData& data() const { return m_data; }
    const PlotSettings& settings() const { return m_settings; }
    PlotCanvas* canvas() const { return m_canvas; }
    /// Writes the plot as drawn to a PNG file; false, after telling the user, when it cannot.
    bool exportPng(const QString& path);
    /// Writes the shown series' points of the visible span as CSV; false, after telling the user.
    bool exportCsv(const QString& path);

signals:
    /// The window was closed by the user.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void fillSpans();
    void settingsChanged();
    void pauseToggled(bool paused);
    void addSeriesEntries();
    void framePainted();
    void showStatistics();
    void chooseExport(bool png);
    bool writeFile(const QString& path, const QByteArray& bytes);

    PlotData m_data;
    PlotSettings m_settings;
    PlotCanvas* m_canvas = nullptr;
    QListWidget* m_series = nullptr;
    QComboBox* m_axis = nullptr;
    QComboBox* m_span = nullptr;
    QComboBox* m_yMode = nullptr;
    QDoubleSpinBox* m_yMin = nullptr;
    QDoubleSpinBox* m_yMax = nullptr;
    QPushButton* m_pause = nullptr;
    QTableWidget* m_statistics = nullptr;
    QLabel* m_readout = nullptr;
    std::size_t m_listedSeries = 0;
    QTimer* m_statisticsLater = nullptr;
    QElapsedTimer m_sinceStatistics;
    bool m_statisticsNow = true;
    static constexpr qint64 kStatisticsMs = 250;
};

} // namespace quorvane
