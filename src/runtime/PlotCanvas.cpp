#include "runtime/PlotCanvas.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QThread>
#include <QWindow>

#include <cstdlib>
#include <ctime>

namespace quorvane {

namespace {

// The thread's CPU time: on a busy machine a frame's wall time also counts the other programs.
long long threadCpuMicros() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<long long>(now.tv_sec) * 1'000'000 + now.tv_nsec / 1000;
}

} // namespace

PlotCanvas::PlotCanvas(const PlotData& plotData, const PlotSettings& settings, QWidget* parent)
    : QWidget(parent), m_data(plotData), m_settings(settings),
      m_frames(this, kMinFrameMs, kLateMs, [this] { startFrame(); }) {
    setObjectName(QStringLiteral("PlotCanvas"));
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(320, 200);
    if (const char* path = std::getenv("QUORVANE_PAINT_LOG"); path && *path) {
        m_paintLog.reset(std::fopen(path, "a"));
        if (m_paintLog)
            std::setvbuf(m_paintLog.get(), nullptr, _IOLBF, 0); // whole lines survive a killed program
    }
}

PlotCanvas::~PlotCanvas() {
    // No frame may be drawn, nor handed back, once the canvas is going.
    if (m_thread) {
        m_thread->quit();
        m_thread->wait();
    }
}

void PlotCanvas::changed() {
    m_dirty = true;
    // A frame under way takes the next one from its end.
    if (!m_drawing)
        m_frames.changed();
}

bool PlotCanvas::framePending() const {
    return m_dirty || m_drawing || m_frames.pending();
}

QRect PlotCanvas::plotArea() const {
    return PlotAreaOf(size(), textSizes());
}

const PlotTextSizes& PlotCanvas::textSizes() const {
    // Measuring text lays it out: once per font, not per frame.
    if (!m_textSizes || m_textSizes->first != font())
        m_textSizes.emplace(font(), MeasurePlotText(font()));
    return m_textSizes->second;
}

const QFont& PlotCanvas::drawingFont() const {
    // A copy of the widget's font would share its private data, font engine caches included, with
    // the widget on this thread.
    if (!m_drawingFont || m_drawingFont->first != font()) {
        QFont own;
        own.fromString(font().toString());
        m_drawingFont.emplace(font(), own);
    }
    return m_drawingFont->second;
}

PlotScene PlotCanvas::sceneOf(PlotFrame frame) const {
    PlotScene scene;
    scene.Axis = m_settings.Axis;
    scene.YMode = m_settings.YMode;
    scene.Size = size();
    scene.PixelRatio = devicePixelRatioF();
    scene.Font = drawingFont();
    scene.Text = textSizes();
    scene.Background = palette().base().color();
    scene.Ink = palette().text().color();
    scene.Grid = palette().mid().color();
    scene.Frame = std::move(frame);
    return scene;
}

void PlotCanvas::startFrame() {
    m_frames.started();
    // A window that is not on the screen (hidden, minimized) draws nothing; its next paint asks again.
    const QWindow* onScreen = window()->windowHandle();
    if (m_drawing || !m_dirty || !isVisible() || onScreen == nullptr || !onScreen->isExposed())
        return;
    const long long cpuStart = threadCpuMicros();
    m_dirty = false;
    m_frames.restartInterval();
    auto scene = std::make_shared<PlotScene>(
        sceneOf(ComputeFrame(m_data, m_settings, plotArea().width(), &m_columns)));
    // A series with one point in the span shows it as a dot; the drawing thread cannot look it up
    // later, as the points move on.
    for (const SeriesFrame& shown : scene->Frame.Series) {
        const PlotSeries* series = m_data.seriesOf(shown.Field);
        scene->Lone.push_back(shown.Stats.Count == 1 && series && shown.First < series->Points.size()
                                  ? std::optional(series->Points[shown.First])
                                  : std::nullopt);
    }
    if (!m_thread) {
        m_thread = new QThread(this);
        m_thread->setObjectName(QStringLiteral("PlotDrawing"));
        m_drawer = new QObject;
        m_drawer->moveToThread(m_thread);
        connect(m_thread, &QThread::finished, m_drawer, &QObject::deleteLater);
        m_picture = std::make_shared<PlotPicture>();
        m_thread->start();
    }
    m_drawing = true;
    const long long own = threadCpuMicros() - cpuStart;
    QMetaObject::invokeMethod(
        m_drawer,
        [this, picture = m_picture, scene, own] {
            QElapsedTimer wall;
            wall.start();
            const long long cpu = threadCpuMicros();
            Drawn drawn;
            drawn.Image = picture->draw(*scene);
            drawn.Times = {wall.nsecsElapsed() / 1000, threadCpuMicros() - cpu, own};
            drawn.Scene = std::move(*scene);
            QMetaObject::invokeMethod(
                this, [this, drawn = std::move(drawn)]() mutable { frameDrawn(std::move(drawn)); },
                Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

void PlotCanvas::frameDrawn(Drawn drawn) {
    const long long cpuStart = threadCpuMicros();
    m_drawing = false;
    m_image = std::move(drawn.Image);
    m_shown = std::move(drawn.Scene);
    ++m_framesPainted;
    update();
    emit framePainted();
    if (m_cursorX >= 0)
        showReadout();
    m_unlogged = drawn.Times;
    m_unlogged->OwnMicros += threadCpuMicros() - cpuStart;
    if (m_dirty)
        changed();
}

QImage PlotCanvas::picture() const {
    PlotScene scene = sceneOf(m_shown.Frame);
    scene.Lone = m_shown.Lone;
    scene.Font = font();
    return PlotPicture().draw(scene);
}

void PlotCanvas::paintEvent(QPaintEvent*) {
    const long long cpuStart = threadCpuMicros();
    QPainter painter(this);
    // Until the next frame after a resize, the last one stays where it was.
    QRegion uncovered(rect());
    if (!m_image.isNull()) {
        painter.drawImage(0, 0, m_image);
        uncovered -= QRect(QPoint(0, 0), m_image.deviceIndependentSize().toSize());
    }
    for (const QRect& part : uncovered)
        painter.fillRect(part, palette().base());
    const QRect area = plotArea();
    if (m_cursorX >= area.left() && m_cursorX <= area.right()) {
        painter.setPen(QPen(palette().text().color(), 0, Qt::DashLine));
        painter.drawLine(m_cursorX, area.top(), m_cursorX, area.bottom());
    }
    painter.end();
    if (m_unlogged && m_paintLog)
        std::fprintf(m_paintLog.get(), "%lld %lld %lld\n", m_unlogged->WallMicros, m_unlogged->CpuMicros,
                     m_unlogged->OwnMicros + threadCpuMicros() - cpuStart);
    m_unlogged.reset();
    if (m_dirty)
        changed();
}

void PlotCanvas::resizeEvent(QResizeEvent*) {
    changed();
}

void PlotCanvas::showEvent(QShowEvent*) {
    if (m_dirty)
        changed();
}

void PlotCanvas::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange)
        changed();
    QWidget::changeEvent(event);
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
    const PlotFrame& frame = m_shown.Frame;
    const QRect area = plotArea();
    const double width = frame.Span.To - frame.Span.From;
    if (m_cursorX < area.left() || m_cursorX > area.right() || !(width > 0)) {
        emit readoutChanged({});
        return;
    }
    const double x = frame.Span.From + (m_cursorX - area.left()) * width / area.width();
    const std::optional<PlotReadout> readout = ReadoutAt(m_data, frame, m_settings.Axis, x);
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
                    .arg(frame.Series[i].Field)
                    .arg(value ? QString::number(*value, 'g', 12) : QStringLiteral("-"));
    }
    emit readoutChanged(text);
}

} // namespace quorvane
