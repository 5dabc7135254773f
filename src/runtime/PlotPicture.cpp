#include "runtime/PlotPicture.h"

#include <QDateTime>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>

namespace quorvane {

namespace {

// Steps of the time axis, in milliseconds: the first that leaves room between labels is taken.
constexpr std::array<double, 19> kTimeSteps{1e3,    2e3,    5e3,    10e3,   15e3,   30e3,  60e3,
                                            120e3,  300e3,  600e3,  900e3,  1.8e6,  3.6e6, 7.2e6,
                                            10.8e6, 21.6e6, 43.2e6, 86.4e6, 172.8e6};

QString numberLabel(double value, double step) {
    const int decimals = step >= 1 ? 0 : std::min(12, static_cast<int>(std::ceil(-std::log10(step) - 1e-9)));
    return QString::number(value, 'f', decimals);
}

QString xLabel(PlotAxis axis, double x, double step) {
    if (axis == PlotAxis::Record)
        return QString::number(static_cast<qlonglong>(std::llround(x)));
    const QDateTime time = QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(std::llround(x)));
    return time.toString(step >= 60e3 ? QStringLiteral("HH:mm") : QStringLiteral("HH:mm:ss"));
}

// The grid's translucent colour as it shows over the background. Drawn translucent, every vertical
// grid line would be blended span by span, work Qt's raster engine shares out to a thread pool and
// waits for, line by line.
QColor gridOver(const QColor& background, QColor grid) {
    grid.setAlpha(90);
    QImage dot(1, 1, QImage::Format_RGB32);
    dot.fill(background);
    QPainter(&dot).fillRect(0, 0, 1, 1, grid);
    return dot.pixelColor(0, 0);
}

} // namespace

PlotTextSizes MeasurePlotText(const QFont& font) {
    const QFontMetrics metrics(font);
    return {metrics.height(), metrics.horizontalAdvance(QStringLiteral("-000000.000")),
            metrics.horizontalAdvance(QStringLiteral("00:00:00"))};
}

QRect PlotAreaOf(QSize size, const PlotTextSizes& text) {
    const int left = text.YLabels + 8;
    const int bottom = text.Height + 8;
    return QRect(left, 8, std::max(size.width() - left - 12, 1), std::max(size.height() - bottom - 8, 1));
}

QColor PlotSeriesColour(int field) {
    static constexpr std::array<QRgb, 8> kColours{0x1f77b4, 0xd62728, 0x2ca02c, 0xff7f0e,
                                                  0x9467bd, 0x8c564b, 0xe377c2, 0x17becf};
    return QColor(kColours[static_cast<std::size_t>(field - 1) % kColours.size()]);
}

QImage PlotPicture::draw(const PlotScene& scene) {
    QImage image(scene.Size * scene.PixelRatio, QImage::Format_RGB32);
    image.setDevicePixelRatio(scene.PixelRatio);
    const QRect area = PlotAreaOf(scene.Size, scene.Text);
    QPainter painter(&image);
    painter.setFont(scene.Font);
    painter.fillRect(QRect(QPoint(0, 0), scene.Size), scene.Background);
    drawAxes(painter, scene, area);
    painter.setClipRect(area.adjusted(0, -1, 1, 1));
    for (std::size_t i = 0; i < scene.Frame.Series.size(); ++i)
        drawSeries(painter, scene, area, i);
    return image;
}

void PlotPicture::drawAxes(QPainter& painter, const PlotScene& scene, const QRect& area) {
    const PlotFrame& frame = scene.Frame;
    const QColor grid = gridOver(scene.Background, scene.Grid);
    const PlotTextSizes& sizes = scene.Text;
    const PlotSpan span = frame.Span;
    const double width = span.To - span.From;

    // Y: the frame's range, its labels in the first series' colour when each series has its own.
    const AxisRange y = frame.Y;
    const bool own = scene.YMode == PlotYMode::PerSeries && !frame.Series.empty();
    const QColor labels = own ? PlotSeriesColour(frame.Series.front().Field) : scene.Ink;
    if (y.High > y.Low && y.Step > 0 && (y.High - y.Low) / y.Step < 100) {
        for (double v = y.Low; v <= y.High + y.Step * 1e-6; v += y.Step) {
            const int py =
                area.bottom() - static_cast<int>(std::lround((v - y.Low) / (y.High - y.Low) * area.height()));
            painter.setPen(grid);
            painter.drawLine(area.left(), py, area.right(), py);
            painter.setPen(labels);
            drawLabel(painter, QRect(0, py - sizes.Height / 2, area.left() - 6, sizes.Height),
                      Qt::AlignRight | Qt::AlignVCenter, numberLabel(v, y.Step));
        }
    }

    // X: round steps with room for a label each.
    const int labelWidth = sizes.XLabel + 24;
    const double maxLabels = std::max(area.width() / labelWidth, 2);
    double step = 0;
    if (scene.Axis == PlotAxis::Time) {
        step = kTimeSteps.back();
        for (const double candidate : kTimeSteps)
            if (width / candidate <= maxLabels) {
                step = candidate;
                break;
            }
    } else {
        step = std::max(NiceRange(span.From, span.To, static_cast<int>(maxLabels)).Step, 1.0);
    }
    if (width > 0 && step > 0) {
        // Time steps fall on the local clock's round minutes and hours.
        const double offset =
            scene.Axis == PlotAxis::Time
                ? QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(span.From)).offsetFromUtc() * 1000.0
                : 0;
        for (double v = std::ceil((span.From + offset) / step) * step - offset; v <= span.To; v += step) {
            const int px =
                area.left() + static_cast<int>(std::lround((v - span.From) / width * area.width()));
            painter.setPen(grid);
            painter.drawLine(px, area.top(), px, area.bottom());
            painter.setPen(scene.Ink);
            // A label at the right edge moves left rather than leave the picture.
            QRect box(px - labelWidth / 2, area.bottom() + 4, labelWidth, sizes.Height);
            box.moveRight(std::min(box.right(), scene.Size.width() - 1));
            drawLabel(painter, box, Qt::AlignHCenter | Qt::AlignTop, xLabel(scene.Axis, v, step));
        }
    }
    painter.setPen(scene.Ink);
    painter.drawRect(area.adjusted(0, 0, -1, -1));
}

void PlotPicture::drawLabel(QPainter& painter, const QRect& box, Qt::Alignment align, const QString& text) {
    // Laid out once: the labels repeat from frame to frame, and laying text out is most of an axis.
    if (m_labelFont != painter.font() || m_labels.size() > 512) {
        m_labels.clear();
        m_labelFont = painter.font();
    }
    auto at = m_labels.find(text);
    if (at == m_labels.end()) {
        at = m_labels.insert(text, QStaticText(text));
        at->setTextFormat(Qt::PlainText);
        at->prepare(QTransform(), m_labelFont);
    }
    const QSizeF size = at->size();
    const double x = (align & Qt::AlignRight) != 0     ? box.right() + 1 - size.width()
                     : (align & Qt::AlignHCenter) != 0 ? box.center().x() + 0.5 - size.width() / 2
                                                       : box.left();
    const double y = (align & Qt::AlignVCenter) != 0 ? box.center().y() + 0.5 - size.height() / 2 : box.top();
    painter.drawStaticText(QPointF(x, y), *at);
}

void PlotPicture::drawSeries(QPainter& painter, const PlotScene& scene, const QRect& area,
                             std::size_t index) {
    const SeriesFrame& shown = scene.Frame.Series[index];
    if (shown.First >= shown.Last || !(shown.Y.High > shown.Y.Low))
        return;
    const std::vector<ColumnExtent>& columns = shown.Columns;
    const double scale = area.height() / (shown.Y.High - shown.Y.Low);
    const auto toY = [&](double v) {
        // Values far outside a fixed range are drawn at its edge, never wrapped.
        const double py = area.bottom() - (v - shown.Y.Low) * scale;
        return std::clamp(py, double(area.top() - 2), double(area.bottom() + 2));
    };
    // One vertical stroke per column from its lowest to its highest value, and a line from each
    // column's last value to the next one's first: a single sample anywhere still draws, whatever the
    // number of points, and every pixel of a dense series is stroked once. A 1-pixel pen keeps the
    // raster engine on its fast path.
    std::vector<QLineF>& lines = m_lines;
    lines.clear();
    std::optional<QPointF> before;
    for (std::size_t c = 0; c < columns.size(); ++c) {
        const ColumnExtent& column = columns[c];
        if (!column.Any)
            continue;
        const double x = area.left() + shown.ColumnShift + static_cast<double>(c) + 0.5;
        if (before)
            lines.emplace_back(*before, QPointF(x, toY(column.First)));
        if (column.Max > column.Min)
            lines.emplace_back(x, toY(column.Min), x, toY(column.Max));
        before = QPointF(x, toY(column.Last));
    }
    painter.setPen(QPen(PlotSeriesColour(shown.Field), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawLines(lines.data(), static_cast<int>(lines.size()));
    const std::optional<PlotPoint>& lone = index < scene.Lone.size() ? scene.Lone[index] : std::nullopt;
    if (shown.Stats.Count == 1 && lone) {
        // A lone point has no line to show it.
        const PlotSpan span = scene.Frame.Span;
        const double x =
            area.left() + (PlotX(*lone, scene.Axis) - span.From) / (span.To - span.From) * area.width();
        painter.drawEllipse(QPointF(x, toY(lone->Y)), 2.5, 2.5);
    }
}

} // namespace quorvane
