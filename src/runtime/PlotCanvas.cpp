#include "runtime/PlotCanvas.h"

#include "records/PlotExport.h"

#include <QDateTime>
#include <QMouseEvent>
#include <QPainter>
#include <QStaticText>
#include <QTimer>

#include <array>
#include <cmath>
#include <cstdlib>
#include <ctime>

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

// The thread's CPU time: on a busy machine a frame's wall time also counts the other programs.
long long threadCpuMicros() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<long long>(now.tv_sec) * 1'000'000 + now.tv_nsec / 1000;
}

} // namespace

PlotCanvas::PlotCanvas(const PlotData& plotData, const PlotSettings& settings, QWidget* parent)
    : QWidget(parent), m_data(plotData), m_settings(settings) {
    setObjectName(QStringLiteral("PlotCanvas"));
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(320, 200);
    m_throttle = new QTimer(this);
    m_throttle->setSingleShot(true);
    connect(m_throttle, &QTimer::timeout, this, [this] { update(); });
    m_sinceFrame.start();
    if (const char* path = std::getenv("QUORVANE_PAINT_LOG"); path && *path) {
        m_paintLog.reset(std::fopen(path, "a"));
        if (m_paintLog)
            std::setvbuf(m_paintLog.get(), nullptr, _IOLBF, 0); // whole lines survive a killed program
    }
}

QColor PlotCanvas::seriesColour(int field) {
    static constexpr std::array<QRgb, 8> kColours{0x1f77b4, 0xd62728, 0x2ca02c, 0xff7f0e,
                                                  0x9467bd, 0x8c564b, 0xe377c2, 0x17becf};
    return QColor(kColours[static_cast<std::size_t>(field - 1) % kColours.size()]);
}

void PlotCanvas::changed() {
    if (m_throttle->isActive())
        return;
    const qint64 wait = kMinFrameMs - m_sinceFrame.elapsed();
    m_throttle->start(static_cast<int>(std::max<qint64>(wait, 0)));
}

QRect PlotCanvas::plotArea() const {
    const TextSizes& sizes = textSizes();
    const int left = sizes.YLabels + 8;
    const int bottom = sizes.Height + 8;
    return QRect(left, 8, std::max(width() - left - 12, 1), std::max(height() - bottom - 8, 1));
}

void PlotCanvas::paintEvent(QPaintEvent*) {
    QElapsedTimer timing;
    timing.start();
    const long long cpuStart = threadCpuMicros();
    m_throttle->stop();
    m_sinceFrame.restart();
    const QRect area = plotArea();
    m_frame = ComputeFrame(m_data, m_settings, area.width(), &m_columns);

    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    drawAxes(painter, area);
    painter.setClipRect(area.adjusted(0, -1, 1, 1));
    for (const SeriesFrame& shown : m_frame.Series)
        drawSeries(painter, area, shown);
    if (m_cursorX >= area.left() && m_cursorX <= area.right()) {
        painter.setPen(QPen(palette().text().color(), 0, Qt::DashLine));
        painter.drawLine(m_cursorX, area.top(), m_cursorX, area.bottom());
    }
    painter.end();
    m_paintMicros.push_back(timing.nsecsElapsed() / 1000);
    if (m_paintLog)
        std::fprintf(m_paintLog.get(), "%lld %lld\n", static_cast<long long>(m_paintMicros.back()),
                     threadCpuMicros() - cpuStart);
    emit framePainted();
    if (m_cursorX >= 0)
        showReadout();
}

QString PlotCanvas::xLabel(double x, double step) const {
    if (m_settings.Axis == PlotAxis::Record)
        return QString::number(static_cast<qlonglong>(std::llround(x)));
    const QDateTime time = QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(std::llround(x)));
    return time.toString(step >= 60e3 ? QStringLiteral("HH:mm") : QStringLiteral("HH:mm:ss"));
}

void PlotCanvas::drawAxes(QPainter& painter, const QRect& area) {
    const QColor text = palette().text().color();
    QColor grid = palette().mid().color();
    grid.setAlpha(90);
    const TextSizes& sizes = textSizes();
    const PlotSpan span = m_frame.Span;
    const double width = span.To - span.From;

    // Y: the frame's range, its labels in the first series' colour when each series has its own.
    const AxisRange y = m_frame.Y;
    const bool own = m_settings.YMode == PlotYMode::PerSeries && !m_frame.Series.empty();
    const QColor labels = own ? seriesColour(m_frame.Series.front().Field) : text;
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
    if (m_settings.Axis == PlotAxis::Time) {
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
            m_settings.Axis == PlotAxis::Time
                ? QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(span.From)).offsetFromUtc() * 1000.0
                : 0;
        for (double v = std::ceil((span.From + offset) / step) * step - offset; v <= span.To; v += step) {
            const int px =
                area.left() + static_cast<int>(std::lround((v - span.From) / width * area.width()));
            painter.setPen(grid);
            painter.drawLine(px, area.top(), px, area.bottom());
            painter.setPen(text);
            drawLabel(painter, QRect(px - labelWidth / 2, area.bottom() + 4, labelWidth, sizes.Height),
                      Qt::AlignHCenter | Qt::AlignTop, xLabel(v, step));
        }
    }
    painter.setPen(text);
    painter.drawRect(area.adjusted(0, 0, -1, -1));
}

const PlotCanvas::TextSizes& PlotCanvas::textSizes() const {
    // Measuring text lays it out: once per font, not per frame.
    if (!m_textSizes || m_textSizes->Font != font()) {
        const QFontMetrics metrics = fontMetrics();
        m_textSizes =
            TextSizes{font(), metrics.height(), metrics.horizontalAdvance(QStringLiteral("-000000.000")),
                      metrics.horizontalAdvance(QStringLiteral("00:00:00"))};
        m_labels.clear();
    }
    return *m_textSizes;
}

void PlotCanvas::drawLabel(QPainter& painter, const QRect& box, Qt::Alignment align, const QString& text) {
    // Laid out once: the labels repeat from frame to frame, and laying text out is most of an axis.
    if (m_labels.size() > 512)
        m_labels.clear();
    auto at = m_labels.find(text);
    if (at == m_labels.end()) {
        at = m_labels.insert(text, QStaticText(text));
        at->setTextFormat(Qt::PlainText);
        at->prepare(QTransform(), font());
    }
    const QSizeF size = at->size();
    const double x = (align & Qt::AlignRight) != 0     ? box.right() + 1 - size.width()
                     : (align & Qt::AlignHCenter) != 0 ? box.center().x() + 0.5 - size.width() / 2
                                                       : box.left();
    const double y = (align & Qt::AlignVCenter) != 0 ? box.center().y() + 0.5 - size.height() / 2 : box.top();
    painter.drawStaticText(QPointF(x, y), *at);
}

void PlotCanvas::drawSeries(QPainter& painter, const QRect& area, const SeriesFrame& shown) {
    const PlotSeries* series = m_data.seriesOf(shown.Field);
    if (!series || shown.First >= shown.Last || !(shown.Y.High > shown.Y.Low))
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
    painter.setPen(QPen(seriesColour(shown.Field), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawLines(lines.data(), static_cast<int>(lines.size()));
    if (shown.Stats.Count == 1) {
        // A lone point has no line to show it.
        const double x =
            area.left() + (PlotX(series->Points[shown.First], m_settings.Axis) - m_frame.Span.From) /
                              (m_frame.Span.To - m_frame.Span.From) * area.width();
        painter.drawEllipse(QPointF(x, toY(series->Points[shown.First].Y)), 2.5, 2.5);
    }
}

void PlotCanvas::mouseMoveEvent(QMouseEvent* event) {
    m_cursorX = static_cast<int>(event->position().x());
    showReadout();
    update();
}

void PlotCanvas::leaveEvent(QEvent*) {
    m_cursorX = -1;
    emit readoutChanged({});
    update();
}

void PlotCanvas::showReadout() {
    const QRect area = plotArea();
    const double width = m_frame.Span.To - m_frame.Span.From;
    if (m_cursorX < area.left() || m_cursorX > area.right() || !(width > 0)) {
        emit readoutChanged({});
        return;
    }
    const double x = m_frame.Span.From + (m_cursorX - area.left()) * width / area.width();
    const std::optional<PlotReadout> readout = ReadoutAt(m_data, m_frame, m_settings.Axis, x);
    if (!readout) {
        emit readoutChanged({});
        return;
    }
    QString text =
        QDateTime::fromMSecsSinceEpoch(readout->Stamp.UnixMs).toString(QStringLiteral("HH:mm:ss.zzz")) +
        QStringLiteral("  record %1").arg(readout->Stamp.Sequence);
    for (std::size_t i = 0; i < readout->Values.size(); ++i) {
        const std::optional<double> value = readout->Values[i];
        text += QStringLiteral("   Field %1: %2")
                    .arg(m_frame.Series[i].Field)
                    .arg(value ? QString::number(*value, 'g', 12) : QStringLiteral("-"));
    }
    emit readoutChanged(text);
}

} // namespace quorvane
