#pragma once
// The plot's drawing surface: axes, one min/max line per pixel column of each series, the cursor.
// It redraws at most 30 times a second and only when something changed.

#include "records/PlotView.h"

#include <QElapsedTimer>
#include <QHash>
#include <QLineF>
#include <QStaticText>
#include <QWidget>

#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

class QTimer;

namespace quorvane {

/// Draws a PlotData as PlotSettings choose; both must outlive the canvas.
class PlotCanvas final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMinFrameMs = 33;

    /// With QUORVANE_PAINT_LOG naming a file, each frame's paint time and the CPU time it took, in
    /// microseconds, are appended to it, a line a frame (for the benchmark of the running program).
    PlotCanvas(const PlotData& plotData, const PlotSettings& settings, QWidget* parent = nullptr);

    /// Something to draw changed: redraws when the frame interval allows.
    void changed();
    /// The frame last drawn.
    const PlotFrame& frame() const { return m_frame; }
    /// Frames drawn since construction, and how long each paint took, in microseconds.
    int framesPainted() const { return static_cast<int>(m_paintMicros.size()); }
    const std::vector<qint64>& paintMicros() const { return m_paintMicros; }
    /// The colour of a field's series.
    static QColor seriesColour(int field);
    /// The plot area inside the axes' labels.
    QRect plotArea() const;

signals:
    /// A frame was drawn; the statistics beside the plot follow it.
    void framePainted();
    /// The readout of the record nearest the cursor, or empty when none is.
    void readoutChanged(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void drawAxes(QPainter& painter, const QRect& area);
    void drawSeries(QPainter& painter, const QRect& area, const SeriesFrame& shown);
    void drawLabel(QPainter& painter, const QRect& box, Qt::Alignment align, const QString& text);
    // The sizes of the axes' texts in the current font.
    struct TextSizes {
        QFont Font;
        int Height = 0;
        int YLabels = 0;
        int XLabel = 0;
    };
    const TextSizes& textSizes() const;
    void showReadout();
    QString xLabel(double x, double step) const;

    const PlotData& m_data;
    const PlotSettings& m_settings;
    PlotFrame m_frame;
    PlotColumnCache m_columns;
    std::vector<QLineF> m_lines; // reused by every frame
    mutable QHash<QString, QStaticText> m_labels;
    mutable std::optional<TextSizes> m_textSizes;
    QTimer* m_throttle = nullptr;
    QElapsedTimer m_sinceFrame;
    std::vector<qint64> m_paintMicros;
    int m_cursorX = -1;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> m_paintLog{nullptr, &std::fclose};
};

} // namespace quorvane
