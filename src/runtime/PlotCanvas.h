#pragma once
// The plot's drawing surface: axes, one min/max line per pixel column of each series, the cursor.
// It redraws at most 30 times a second and only when something changed. The engine runs on this
// widget's thread, so a frame is only computed here (from the pixel columns kept between frames);
// a thread of the canvas' own draws it into an image, and the widget paints the finished image.

#include "records/PlotView.h"
#include "runtime/PacedRefresh.h"
#include "runtime/PlotPicture.h"

#include <QImage>
#include <QWidget>

#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

class QThread;

namespace quorvane {

/// Draws a PlotData as PlotSettings choose; both must outlive the canvas.
class PlotCanvas final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMinFrameMs = 33;
    /// How long after the interval a frame waits for a change from the engine before drawing anyway.
    static constexpr int kLateMs = kMinFrameMs / 2;

    /// With QUORVANE_PAINT_LOG naming a file, each frame's drawing time, the CPU time that took, and
    /// the time the widget's own thread spent on the frame, in microseconds, are appended to it, a
    /// line a frame (for the benchmark of the running program).
    PlotCanvas(const PlotData& plotData, const PlotSettings& settings, QWidget* parent = nullptr);
    ~PlotCanvas() override;

    /// Something to draw changed: redraws when the frame interval allows.
    void changed();
    /// True while a frame is due, being computed or being drawn: when it turns false, the frame shown
    /// is that of the data and choices as they were last changed.
    bool framePending() const;
    /// The frame shown.
    const PlotFrame& frame() const { return m_shown.Frame; }
    /// Frames shown since construction.
    int framesPainted() const { return m_framesPainted; }
    /// The colour of a field's series.
    static QColor seriesColour(int field) { return PlotSeriesColour(field); }
    /// The plot area inside the axes' labels.
    QRect plotArea() const;
    /// The frame shown, drawn again now at the canvas' size, without the cursor.
    QImage picture() const;

signals:
    /// A frame was drawn; the statistics beside the plot follow it.
    void framePainted();
    /// The readout of the record nearest the cursor, or empty when none is.
    void readoutChanged(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // A frame's cost: the drawing's wall and CPU time, and the CPU time of the widget's thread.
    struct FrameTimes {
        long long WallMicros = 0;
        long long CpuMicros = 0;
        long long OwnMicros = 0;
    };
    // What the drawing thread hands back.
    struct Drawn {
        QImage Image;
        PlotScene Scene;
        FrameTimes Times;
    };

    void startFrame();
    PlotScene sceneOf(PlotFrame frame) const;
    void frameDrawn(Drawn drawn);
    const PlotTextSizes& textSizes() const;
    const QFont& drawingFont() const;
    void showReadout();

    const PlotData& m_data;
    const PlotSettings& m_settings;
    // The frame shown and its image.
    PlotScene m_shown;
    QImage m_image;
    std::optional<FrameTimes> m_unlogged;
    PlotColumnCache m_columns;
    mutable std::optional<std::pair<QFont, PlotTextSizes>> m_textSizes;
    // The widget's font, and a font like it that shares no data with it, for the drawing thread.
    mutable std::optional<std::pair<QFont, QFont>> m_drawingFont;
    // The drawing thread and what lives in it; started with the first frame.
    QThread* m_thread = nullptr;
    QObject* m_drawer = nullptr;
    std::shared_ptr<PlotPicture> m_picture;
    bool m_dirty = true;
    bool m_drawing = false;
    PacedRefresh m_frames;
    int m_framesPainted = 0;
    int m_cursorX = -1;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> m_paintLog{nullptr, &std::fclose};
};

} // namespace quorvane
