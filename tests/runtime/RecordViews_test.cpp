// The View menu's windows on the real engine with the fake platform, offscreen: what they keep and
// show of the records, the history's follow rule, copy and export, the plot's series, ranges,
// statistics, cursor readout, pause, redraw rate and exports (a failing one included), and that a
// closed window observes nothing.

#include "records/HistoryExport.h"
#include "runtime/HistoryWindow.h"
#include "runtime/PlotCanvas.h"
#include "runtime/PlotWindow.h"
#include "runtime/RecordViews.h"
#include "runtime/HoxelRig.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QComboBox>
#include <QDateTime>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QTimer>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

namespace quorvane {
namespace {

using test::HoxelRig;

Configuration balanceConfig() {
    Configuration c = test::engineTestConfig();
    c.RecordStructure = 1;
    c.FieldCount = 4;
    return c;
}

// The runtime window with its View menu wired as the program wires it.
struct ViewsRig : HoxelRig {
    ViewsRig() : HoxelRig(balanceConfig()), Views(Engine, Store) {
        QObject::connect(&Window, &Hoxel::historyRequested, &Views, &RecordViews::showHistory);
        QObject::connect(&Window, &Hoxel::plotRequested, &Views, &RecordViews::showPlot);
        load();
    }
    /// `n` balance records in one tick: field 3 the weight (text "OVER" every tenth), field 4 the unit.
    ViewsRig& weigh(int n) {
        std::string bytes;
        for (int i = 0; i < n; ++i, ++Weighed)
            bytes += Weighed % 10 == 9 ? "US,GS,OVER,g\r"
                                       : "ST,GS," + std::to_string(100 + Weighed % 7) + ".5,g\r";
        send(bytes).tick();
        QApplication::processEvents();
        return *this;
    }
    HistoryWindow& history() {
        Views.history()->refresh();
        return *Views.history();
    }
    QTableView& table() { return *history().findChild<QTableView*>(QStringLiteral("HistoryTable")); }
    /// Draws the plot and returns its frame once it shows the data and choices as they are now.
    const PlotFrame& draw() {
        PlotCanvas* canvas = Views.plot()->canvas();
        canvas->changed();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !canvas->framePending(); }, 10'000));
        return canvas->frame();
    }

    RecordViews Views;
    int Weighed = 0;
};

TEST(RecordViewsMenu, OpensEachWindowOnceFromTheViewAndTrayMenusAndObservesOnlyWhileOpen) {
    ViewsRig rig;
    rig.weigh(3);
    EXPECT_EQ(rig.Views.history(), nullptr);
    rig.menu(QStringLiteral("ViewHistory")).menu(QStringLiteral("mnuPlot"));
    ASSERT_NE(rig.Views.history(), nullptr);
    ASSERT_NE(rig.Views.plot(), nullptr);
    EXPECT_EQ(rig.Views.history()->windowTitle(), QStringLiteral("Quorvane - COM1 History"));
    EXPECT_EQ(rig.Views.plot()->windowTitle(), QStringLiteral("Quorvane - COM1 Plot"));
    HistoryWindow* first = rig.Views.history();
    rig.menu(QStringLiteral("mnuHistory"));
    EXPECT_EQ(rig.Views.history(), first);

    rig.weigh(5);
    EXPECT_EQ(rig.history().history().size(), 5u); // records from before it opened are not there
    rig.Views.history()->resize(500, 300);
    rig.Views.history()->close();
    QApplication::processEvents();
    EXPECT_EQ(rig.Views.history(), nullptr);
    EXPECT_FALSE(rig.Store.GetSetting("Quorvane", "History", "COM1", "").empty());
    rig.weigh(5); // an observer left behind would be a freed window now

    rig.menu(QStringLiteral("ViewHistory"));
    EXPECT_EQ(rig.history().size(), QSize(500, 300));
    EXPECT_EQ(rig.history().history().size(), 0u);
}

TEST(HistoryView, KeepsTheLastNInOrderAndFollowsUnlessScrolledUp) {
    ViewsRig rig;
    rig.Store.SaveSetting("Quorvane", "History", "Size", "200");
    rig.menu(QStringLiteral("ViewHistory"));
    QTableView& table = rig.table();
    QScrollBar* bar = table.verticalScrollBar();
    rig.weigh(150);
    rig.history();
    ASSERT_EQ(table.model()->rowCount(), 150);
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_EQ(table.model()->index(149, 1).data().toString(), QStringLiteral("150"));

    rig.weigh(100);
    rig.history();
    ASSERT_EQ(table.model()->rowCount(), 200);
    EXPECT_EQ(table.model()->index(0, 1).data().toString(), QStringLiteral("51"));
    EXPECT_EQ(table.model()->index(199, 1).data().toString(), QStringLiteral("250"));
    EXPECT_EQ(table.model()->index(199, 2).data().toString(), QStringLiteral("US"));
    EXPECT_EQ(bar->value(), bar->maximum()) << "follows while at the bottom";

    // Scrolled up, the same records stay in view while older ones leave the top.
    bar->setValue(50);
    const QString inView = table.model()->index(bar->value(), 1).data().toString();
    rig.weigh(30);
    rig.history();
    EXPECT_EQ(table.model()->index(bar->value(), 1).data().toString(), inView);
    EXPECT_LT(bar->value(), bar->maximum());

    bar->setValue(bar->maximum());
    rig.weigh(1);
    rig.history();
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_EQ(table.model()->index(199, 1).data().toString(), QStringLiteral("281"));
}

TEST(HistoryView, SizeControlBoundsTheHistoryAndIsRemembered) {
    ViewsRig rig;
    rig.menu(QStringLiteral("ViewHistory"));
    auto* size = rig.history().findChild<QSpinBox*>(QStringLiteral("HistorySize"));
    EXPECT_EQ(size->value(), 10'000);
    rig.weigh(40);
    size->setValue(25);
    emit size->editingFinished();
    EXPECT_EQ(rig.history().history().size(), 25u);
    EXPECT_EQ(rig.table().model()->rowCount(), 25);
    EXPECT_EQ(rig.Store.GetSetting("Quorvane", "History", "Size", ""), "25");
}

TEST(HistoryView, CopiesTheSelectionAsTabSeparatedTextAndExportsCsv) {
    ViewsRig rig;
    rig.menu(QStringLiteral("ViewHistory"));
    rig.send("ST,a\tb,\x01\"q\"\x9D,\xB5g\r").tick();
    QApplication::processEvents();
    QTableView& table = rig.table();
    EXPECT_EQ(table.model()->index(0, 4).data().toString(), QStringLiteral("\u2401\"q\"\u2464"));
    table.selectionModel()->select(QItemSelection(table.model()->index(0, 3), table.model()->index(0, 5)),
                                   QItemSelectionModel::Select);
    rig.history().copySelection();
    EXPECT_EQ(QApplication::clipboard()->text(),
              QStringLiteral("\"a\tb\"\t\"\x01\"\"q\"\"\u009D\"\t\"\u00B5g\r\"\r\n"));

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.csv"));
    ASSERT_TRUE(rig.history().exportCsv(path));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().toStdString(), HistoryCsv(rig.history().history()));
}

TEST(LivePlot, PlotsTheNumericFieldsWithStatisticsOfTheVisibleSpan) {
    ViewsRig rig;
    rig.menu(QStringLiteral("ViewPlot"));
    rig.weigh(40);
    auto* series = rig.Views.plot()->findChild<QListWidget*>(QStringLiteral("Series"));
    ASSERT_EQ(series->count(), 1);
    EXPECT_EQ(series->item(0)->text(), QStringLiteral("Field 3"));

    const PlotFrame& frame = rig.draw();
    ASSERT_EQ(frame.Series.size(), 1u);
    double sum = 0;
    int count = 0;
    for (int i = 0; i < 40; ++i)
        if (i % 10 != 9) {
            sum += 100 + i % 7 + 0.5;
            ++count;
        }
    auto* stats = rig.Views.plot()->findChild<QTableWidget*>(QStringLiteral("Statistics"));
    EXPECT_EQ(stats->item(0, 1)->text().toInt(), count);
    EXPECT_NEAR(stats->item(0, 5)->text().toDouble(), sum / count, 1e-6);
    EXPECT_EQ(stats->item(0, 3)->text(), QStringLiteral("100.5"));
    EXPECT_EQ(stats->item(0, 4)->text(), QStringLiteral("106.5"));
    EXPECT_LE(frame.Y.Low, 100.5);
    EXPECT_GE(frame.Y.High, 106.5);

    rig.Views.plot()->findChild<QComboBox*>(QStringLiteral("YMode"))->setCurrentIndex(2);
    rig.Views.plot()->findChild<QDoubleSpinBox*>(QStringLiteral("YMin"))->setValue(-50);
    rig.Views.plot()->findChild<QDoubleSpinBox*>(QStringLiteral("YMax"))->setValue(50);
    EXPECT_EQ(rig.draw().Y.Low, -50);
    EXPECT_EQ(rig.draw().Y.High, 50);

    series->item(0)->setCheckState(Qt::Unchecked);
    EXPECT_TRUE(rig.draw().Series.empty());
}

TEST(LivePlot, PauseHoldsTheSpanWhileRecordsAreStillKept) {
    ViewsRig rig;
    rig.menu(QStringLiteral("ViewPlot"));
    rig.weigh(10);
    const double end = rig.draw().Span.To;
    rig.Views.plot()->findChild<QPushButton*>(QStringLiteral("Pause"))->click();
    rig.Clock.advance(5000);
    rig.weigh(10);
    EXPECT_EQ(rig.draw().Span.To, end);
    EXPECT_EQ(rig.Views.plot()->data().seriesOf(3)->Points.size(), 18u);
    rig.Views.plot()->findChild<QPushButton*>(QStringLiteral("Pause"))->click();
    EXPECT_GT(rig.draw().Span.To, end);
}

// Moves the mouse over the plot to where X is drawn; returns the readout shown.
QString readoutAt(PlotWindow& plot, double x) {
    PlotCanvas* canvas = plot.canvas();
    const QRect area = canvas->plotArea();
    const PlotSpan span = canvas->frame().Span;
    const QPointF at(area.left() + (x - span.From) / (span.To - span.From) * area.width(), area.center().y());
    QMouseEvent move(QEvent::MouseMove, at, canvas->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(canvas, &move);
    return plot.findChild<QLabel*>(QStringLiteral("CursorReadout"))->text();
}

TEST(LivePlot, ReadsOutTheNearestRecordsTimeAndValuesUnderTheCursor) {
    ViewsRig rig;
    rig.menu(QStringLiteral("ViewPlot"));
    std::vector<std::int64_t> times;
    for (int i = 0; i < 5; ++i) { // weights 100.5 .. 104.5, a second apart
        rig.weigh(1);
        times.push_back(rig.Views.plot()->data().seriesOf(3)->Points.back().UnixMs);
        rig.Clock.advance(950);
    }
    rig.draw();
    PlotWindow& plot = *rig.Views.plot();
    const auto clock = [](std::int64_t ms) {
        return QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("HH:mm:ss.zzz"));
    };
    for (const auto& [offset, record] : {std::pair{200.0, 3}, {-200.0, 3}, {700.0, 4}, {1800.0, 5}}) {
        const QString text = readoutAt(plot, double(times[2]) + offset);
        EXPECT_TRUE(text.startsWith(clock(times[std::size_t(record - 1)]))) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("record %1").arg(record))) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("Field 3: %1.5").arg(99 + record))) << text.toStdString();
    }
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(plot.canvas(), &leave);
    EXPECT_TRUE(plot.findChild<QLabel*>(QStringLiteral("CursorReadout"))->text().isEmpty());
}

TEST(LivePlot, ExportsThePlotAsDrawnToAPngAndSaysWhyAnExportFailsKeepingEverything) {
    ViewsRig rig;
    rig.menu(QStringLiteral("ViewPlot"));
    rig.weigh(30);
    rig.draw();
    PlotWindow& plot = *rig.Views.plot();
    QTemporaryDir dir;
    const QString png = dir.filePath(QStringLiteral("plot.png"));
    ASSERT_TRUE(plot.exportPng(png));
    const QImage image(png);
    ASSERT_EQ(image.size(), plot.canvas()->size());
    const QRgb ink = PlotCanvas::seriesColour(3).rgb();
    int inked = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            inked += image.pixel(x, y) == ink ? 1 : 0;
    EXPECT_GT(inked, 20) << "the series is drawn in the file";
    EXPECT_EQ(plot.canvas()->grab().toImage().convertToFormat(QImage::Format_RGB32),
              image.convertToFormat(QImage::Format_RGB32))
        << "the file holds the frame the window shows";

    // A file inside a file cannot be made: the user is told which and why, and nothing is lost.
    QFile blocker(dir.filePath(QStringLiteral("not-a-folder")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString bad = dir.filePath(QStringLiteral("not-a-folder/plot"));
    for (const bool asPng : {true, false}) {
        QString told;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box != nullptr) {
                told = box->text();
                box->close();
            }
        });
        EXPECT_FALSE(asPng ? plot.exportPng(bad + ".png") : plot.exportCsv(bad + ".csv"));
        EXPECT_TRUE(told.contains(bad)) << told.toStdString();
    }
    EXPECT_EQ(plot.data().seriesOf(3)->Points.size(), 27u);
    EXPECT_EQ(QImage(png).size(), image.size());
    EXPECT_TRUE(plot.exportCsv(dir.filePath(QStringLiteral("plot.csv"))));
}

TEST(LivePlot, RedrawsAtMostThirtyTimesASecondAndOnlyWhenSomethingChanged) {
    ViewsRig rig;
    rig.menu(QStringLiteral("ViewPlot"));
    PlotCanvas* canvas = rig.Views.plot()->canvas();
    QApplication::processEvents();
    QElapsedTimer elapsed;
    elapsed.start();
    const int before = canvas->framesPainted();
    while (elapsed.elapsed() < 500) {
        rig.weigh(20);
        QTest::qWait(5);
    }
    const int frames = canvas->framesPainted() - before;
    EXPECT_GE(frames, 2);
    EXPECT_LE(frames, static_cast<int>(elapsed.elapsed() / PlotCanvas::kMinFrameMs) + 2);

    QTest::qWait(PlotCanvas::kMinFrameMs * 2); // the frame still due
    const int settled = canvas->framesPainted();
    QTest::qWait(150);
    EXPECT_EQ(canvas->framesPainted(), settled) << "nothing changed, nothing drawn";
}

} // namespace
} // namespace quorvane
