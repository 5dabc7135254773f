#include "runtime/PlotWindow.h"

#include "records/PlotExport.h"
#include "runtime/PlotCanvas.h"
#include "setup/widgets/HelpTopic.h"

#include <QBuffer>
#include <QCloseEvent>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSaveFile>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>
#include <span>

namespace quorvane {

namespace {

struct SpanChoice {
    const char* Caption;
    double Width;
};

constexpr SpanChoice kTimeSpans[]{{"10 s", 10e3},    {"30 s", 30e3}, {"1 min", 60e3}, {"5 min", 300e3},
                                  {"15 min", 900e3}, {"1 h", 3.6e6}, {"6 h", 21.6e6}, {"24 h", 86.4e6}};
constexpr SpanChoice kRecordSpans[]{{"100 records", 100},
                                    {"1,000 records", 1e3},
                                    {"10,000 records", 1e4},
                                    {"100,000 records", 1e5},
                                    {"1,000,000 records", 1e6}};
constexpr int kDefaultTimeSpan = 2;
constexpr int kDefaultRecordSpan = 1;

QString statisticText(double value) {
    return QString::number(value, 'g', 10);
}

} // namespace

PlotWindow::PlotWindow(std::string_view portName, QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("PlotWindow"));
    setWindowTitle(QStringLiteral("Quorvane - %1 Plot").arg(QString::fromStdString(std::string(portName))));
    SetHelpTopic(this, kRecordWindowsTopic);
    buildControls();
    resize(900, 560);
}

PlotWindow::~PlotWindow() = default;

void PlotWindow::buildControls() {
    m_canvas = new PlotCanvas(m_data, m_settings, this);
    connect(m_canvas, &PlotCanvas::framePainted, this, &PlotWindow::framePainted);
    m_statisticsLater = new QTimer(this);
    m_statisticsLater->setSingleShot(true);
    connect(m_statisticsLater, &QTimer::timeout, this, &PlotWindow::showStatistics);

    m_series = new QListWidget(this);
    m_series->setObjectName(QStringLiteral("Series"));
    connect(m_series, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        const int field = item->data(Qt::UserRole).toInt();
        if (item->checkState() == Qt::Checked)
            m_settings.Hidden.erase(field);
        else
            m_settings.Hidden.insert(field);
        settingsChanged();
    });

    m_axis = new QComboBox(this);
    m_axis->setObjectName(QStringLiteral("XAxis"));
    m_axis->addItems({QStringLiteral("Received time"), QStringLiteral("Record number")});
    m_span = new QComboBox(this);
    m_span->setObjectName(QStringLiteral("Span"));
    fillSpans();
    connect(m_axis, &QComboBox::currentIndexChanged, this, [this](int index) {
        m_settings.Axis = index == 1 ? PlotAxis::Record : PlotAxis::Time;
        m_settings.Paused = false;
        m_pause->setChecked(false);
        fillSpans();
        settingsChanged();
    });
    connect(m_span, &QComboBox::currentIndexChanged, this, [this](int) {
        m_settings.SpanWidth = m_span->currentData().toDouble();
        settingsChanged();
    });

    m_yMode = new QComboBox(this);
    m_yMode->setObjectName(QStringLiteral("YMode"));
    m_yMode->addItems(
        {QStringLiteral("Automatic"), QStringLiteral("Automatic per series"), QStringLiteral("Fixed")});
    m_yMin = new QDoubleSpinBox(this);
    m_yMin->setObjectName(QStringLiteral("YMin"));
    m_yMax = new QDoubleSpinBox(this);
    m_yMax->setObjectName(QStringLiteral("YMax"));
    for (QDoubleSpinBox* bound : {m_yMin, m_yMax}) {
        bound->setRange(-1e12, 1e12);
        bound->setDecimals(4);
        bound->setEnabled(false);
        connect(bound, &QDoubleSpinBox::valueChanged, this, [this] {
            m_settings.FixedLow = m_yMin->value();
            m_settings.FixedHigh = m_yMax->value();
            settingsChanged();
        });
    }
    m_yMax->setValue(100);
    for (QDoubleSpinBox* bound : {m_yMin, m_yMax})
        bound->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("-0000000.0000")) + 40);
    connect(m_yMode, &QComboBox::currentIndexChanged, this, [this](int index) {
        m_settings.YMode = static_cast<PlotYMode>(index);
        const bool fixed = m_settings.YMode == PlotYMode::Fixed;
        if (fixed && !m_canvas->frame().Series.empty()) {
            // Start the fixed range where the automatic one was.
            const AxisRange shown = m_canvas->frame().Y;
            m_yMin->setValue(shown.Low);
            m_yMax->setValue(shown.High);
        }
        m_yMin->setEnabled(fixed);
        m_yMax->setEnabled(fixed);
        settingsChanged();
    });

    m_pause = new QPushButton(QStringLiteral("&Pause"), this);
    m_pause->setObjectName(QStringLiteral("Pause"));
    m_pause->setCheckable(true);
    connect(m_pause, &QPushButton::toggled, this, &PlotWindow::pauseToggled);
    auto* png = new QPushButton(QStringLiteral("Export P&NG..."), this);
    png->setObjectName(QStringLiteral("ExportPng"));
    connect(png, &QPushButton::clicked, this, [this] { chooseExport(true); });
    auto* csv = new QPushButton(QStringLiteral("Export &CSV..."), this);
    csv->setObjectName(QStringLiteral("ExportPlotCsv"));
    connect(csv, &QPushButton::clicked, this, [this] { chooseExport(false); });

    m_statistics = new QTableWidget(0, 7, this);
    m_statistics->setObjectName(QStringLiteral("Statistics"));
    m_statistics->setHorizontalHeaderLabels(
        {QStringLiteral("Series"), QStringLiteral("Count"), QStringLiteral("Last"), QStringLiteral("Min"),
         QStringLiteral("Max"), QStringLiteral("Mean"), QStringLiteral("Std. dev.")});
    m_statistics->verticalHeader()->hide();
    m_statistics->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_statistics->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_statistics->setMaximumHeight(fontMetrics().height() * 7);
    m_readout = new QLabel(this);
    m_readout->setObjectName(QStringLiteral("CursorReadout"));
    m_readout->setTextInteractionFlags(Qt::TextSelectableByMouse);
    connect(m_canvas, &PlotCanvas::readoutChanged, m_readout, &QLabel::setText);

    // The X axis above the plot; the series, the Y axis and the commands in a column beside it, so
    // nothing is squeezed at large scales.
    auto* bar = new QHBoxLayout;
    const auto labelled = [&](QBoxLayout* row, const QString& caption, QWidget* control) {
        auto* label = new QLabel(caption, this);
        label->setBuddy(control);
        row->addWidget(label);
        row->addWidget(control, 1);
    };
    labelled(bar, QStringLiteral("&X axis"), m_axis);
    bar->addSpacing(12);
    labelled(bar, QStringLiteral("&Span"), m_span);
    bar->addStretch(3);

    auto* side = new QVBoxLayout;
    side->addWidget(m_series, 1);
    auto* yForm = new QFormLayout;
    yForm->addRow(QStringLiteral("&Y axis"), m_yMode);
    yForm->addRow(QStringLiteral("Mi&n"), m_yMin);
    yForm->addRow(QStringLiteral("Ma&x"), m_yMax);
    side->addLayout(yForm);
    for (QPushButton* button : {m_pause, png, csv})
        side->addWidget(button);
    auto* middle = new QHBoxLayout;
    middle->addLayout(side);
    middle->addWidget(m_canvas, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addLayout(middle, 1);
    layout->addWidget(m_readout);
    layout->addWidget(m_statistics);
}

void PlotWindow::fillSpans() {
    const QSignalBlocker quiet(m_span);
    m_span->clear();
    const bool time = m_settings.Axis == PlotAxis::Time;
    for (const SpanChoice& choice :
         time ? std::span<const SpanChoice>(kTimeSpans) : std::span<const SpanChoice>(kRecordSpans))
        m_span->addItem(QString::fromUtf8(choice.Caption), choice.Width);
    m_span->setCurrentIndex(time ? kDefaultTimeSpan : kDefaultRecordSpan);
    m_settings.SpanWidth = m_span->currentData().toDouble();
}

void PlotWindow::recordCompleted(const CompletedRecord& record) {
    const std::size_t before = m_data.series().size();
    m_data.add(record);
    if (m_data.series().size() != before)
        addSeriesEntries();
    if (!m_settings.Paused)
        m_canvas->changed();
}

void PlotWindow::addSeriesEntries() {
    const QSignalBlocker quiet(m_series);
    for (const PlotSeries& series : m_data.series()) {
        bool listed = false;
        for (int row = 0; row < m_series->count() && !listed; ++row)
            listed = m_series->item(row)->data(Qt::UserRole).toInt() == series.Field;
        if (listed)
            continue;
        int row = 0;
        while (row < m_series->count() && m_series->item(row)->data(Qt::UserRole).toInt() < series.Field)
            ++row;
        auto* item = new QListWidgetItem(QStringLiteral("Field %1").arg(series.Field));
        item->setData(Qt::UserRole, series.Field);
        item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        item->setCheckState(Qt::Checked);
        item->setForeground(PlotCanvas::seriesColour(series.Field));
        m_series->insertItem(row, item);
    }
}

void PlotWindow::settingsChanged() {
    m_statisticsNow = true;
    m_canvas->changed();
}

void PlotWindow::framePainted() {
    // Numbers that change with every frame cannot be read: they follow the frames a few times a
    // second, at once when the series shown or the user's choices changed.
    const qint64 since = m_sinceStatistics.isValid() ? m_sinceStatistics.elapsed() : kStatisticsMs;
    if (m_statisticsNow || since >= kStatisticsMs ||
        m_statistics->rowCount() != static_cast<int>(m_canvas->frame().Series.size())) {
        showStatistics();
        return;
    }
    if (!m_statisticsLater->isActive())
        m_statisticsLater->start(static_cast<int>(kStatisticsMs - since));
}

void PlotWindow::pauseToggled(bool paused) {
    m_settings.PausedEnd = PlotSpanEnd(m_data, m_settings);
    m_settings.Paused = paused;
    m_pause->setText(paused ? QStringLiteral("&Resume") : QStringLiteral("&Pause"));
    m_statisticsNow = true;
    m_canvas->changed();
}

void PlotWindow::showStatistics() {
    m_statisticsLater->stop();
    m_sinceStatistics.restart();
    m_statisticsNow = false;
    const PlotFrame& frame = m_canvas->frame();
    m_statistics->setRowCount(static_cast<int>(frame.Series.size()));
    for (int row = 0; row < static_cast<int>(frame.Series.size()); ++row) {
        const SeriesFrame& shown = frame.Series[static_cast<std::size_t>(row)];
        const SeriesStatistics& s = shown.Stats;
        const bool any = s.Count > 0;
        const QStringList cells{QStringLiteral("Field %1").arg(shown.Field),
                                QString::number(static_cast<qulonglong>(s.Count)),
                                any ? statisticText(s.Last) : QString(),
                                any ? statisticText(s.Min) : QString(),
                                any ? statisticText(s.Max) : QString(),
                                any ? statisticText(s.Mean) : QString(),
                                s.Count > 1 ? statisticText(s.StdDev) : QString()};
        for (int column = 0; column < cells.size(); ++column) {
            QTableWidgetItem* item = m_statistics->item(row, column);
            if (!item) {
                item = new QTableWidgetItem;
                m_statistics->setItem(row, column, item);
            }
            if (item->text() != cells[column])
                item->setText(cells[column]);
            if (column == 0)
                item->setForeground(PlotCanvas::seriesColour(shown.Field));
        }
    }
}

bool PlotWindow::writeFile(const QString& path, const QByteArray& bytes) {
    // Written beside the target and renamed over it: a failed export leaves an older file whole.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        QMessageBox::warning(
            this, windowTitle(),
            QStringLiteral("The plot could not be written to %1: %2").arg(path, file.errorString()));
        return false;
    }
    return true;
}

bool PlotWindow::exportPng(const QString& path) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    m_canvas->picture().save(&buffer, "PNG");
    return writeFile(path, bytes);
}

bool PlotWindow::exportCsv(const QString& path) {
    const PlotFrame frame = ComputeFrame(m_data, m_settings);
    std::vector<int> fields;
    for (const SeriesFrame& shown : frame.Series)
        fields.push_back(shown.Field);
    const std::string text = PlotCsv(m_data, fields, m_settings.Axis, frame.Span);
    return writeFile(path, QByteArray(text.data(), static_cast<qsizetype>(text.size())));
}

void PlotWindow::chooseExport(bool png) {
    const QString path = QFileDialog::getSaveFileName(
        this, png ? QStringLiteral("Export PNG") : QStringLiteral("Export CSV"), QString(),
        png ? QStringLiteral("PNG images (*.png)") : QStringLiteral("CSV files (*.csv)"));
    if (path.isEmpty())
        return;
    if (png)
        exportPng(path);
    else
        exportCsv(path);
}

void PlotWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    emit closed();
}

} // namespace quorvane
