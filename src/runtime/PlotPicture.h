#pragma once
// One plot frame drawn into an image: axes with their labels, one min/max stroke per pixel column of
// each series. It paints on a QImage only and reads nothing but its scene, so it runs on a thread of
// its own while the engine's thread goes on taking records.

#include "records/PlotView.h"

#include <QColor>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QLineF>
#include <QRect>
#include <QStaticText>

#include <optional>
#include <vector>

namespace quorvane {

/// The sizes of the axes' texts in a font, in pixels.
struct PlotTextSizes {
    int Height = 0;
    int YLabels = 0;
    int XLabel = 0;
};

/// Measures the widest labels of the axes in `font`.
PlotTextSizes MeasurePlotText(const QFont& font);

/// The plot area inside the axes' labels of a surface of `size`.
QRect PlotAreaOf(QSize size, const PlotTextSizes& text);

/// The colour of a field's series.
QColor PlotSeriesColour(int field);

/// Everything a picture of a frame needs, held by value: nothing in it is shared with the thread
/// that made it.
struct PlotScene {
    PlotFrame Frame;
    PlotAxis Axis = PlotAxis::Time;
    PlotYMode YMode = PlotYMode::Automatic;
    /// The surface in logical pixels, and device pixels per logical one.
    QSize Size;
    qreal PixelRatio = 1;
    QFont Font;
    PlotTextSizes Text;
    QColor Background;
    QColor Ink;
    QColor Grid;
    /// Per series of the frame: its point when it is the only one in the span, which no line shows.
    std::vector<std::optional<PlotPoint>> Lone;
};

/// Draws scenes; keeps the labels it laid out for the next frames. One thread at a time.
class PlotPicture {
public:
    /// The scene drawn into an opaque image of its size.
    QImage draw(const PlotScene& scene);

private:
    void drawAxes(QPainter& painter, const PlotScene& scene, const QRect& area);
    void drawSeries(QPainter& painter, const PlotScene& scene, const QRect& area, std::size_t index);
    void drawLabel(QPainter& painter, const QRect& box, Qt::Alignment align, const QString& text);

    QHash<QString, QStaticText> m_labels;
    QFont m_labelFont;
    std::vector<QLineF> m_lines; // reused by every frame
};

} // namespace quorvane
