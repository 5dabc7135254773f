// Every dialog of the record chain and the shared pickers at its opening size: no caption or box is
// narrower than it needs, and none overlaps another. With QUORVANE_SCREENSHOTS naming a folder, each
// dialog is also saved there as a PNG (docs/images holds the committed ones).

#include <gtest/gtest.h>

#include "setup/SetupDialogRig.h"

#include <QAbstractButton>
#include <QDir>
#include <QLabel>

#include "setup/records/RecDefs.h"

namespace quorvane {
namespace {

using test::click;

void checkAndSave(QDialog& d, const QString& file) {
    d.adjustSize();
    QApplication::processEvents();
    std::vector<QWidget*> shown;
    for (QWidget* w : d.findChildren<QWidget*>()) {
        if (!w->isVisibleTo(&d) || (!qobject_cast<QLabel*>(w) && !qobject_cast<QAbstractButton*>(w)))
            continue;
        EXPECT_GE(w->width(), w->minimumSizeHint().width())
            << file.toStdString() << " " << w->objectName().toStdString();
        EXPECT_GE(w->height(), w->minimumSizeHint().height())
            << file.toStdString() << " " << w->objectName().toStdString();
        shown.push_back(w);
    }
    for (std::size_t i = 0; i < shown.size(); ++i)
        for (std::size_t j = i + 1; j < shown.size(); ++j) {
            const QRect a(shown[i]->mapTo(&d, QPoint()), shown[i]->size());
            const QRect b(shown[j]->mapTo(&d, QPoint()), shown[j]->size());
            if (shown[i]->parentWidget() == shown[j]->parentWidget()) {
                EXPECT_FALSE(a.intersects(b))
                    << file.toStdString() << ": " << shown[i]->objectName().toStdString() << " "
                    << shown[j]->objectName().toStdString();
            }
        }
    const QByteArray folder = qgetenv("QUORVANE_SCREENSHOTS");
    if (!folder.isEmpty())
        d.grab().save(QDir(QString::fromLocal8Bit(folder)).filePath(file));
}

TEST(RecordDialogsLayout, NothingIsClippedOrOverlaps) {
    test::RecordDialogRig rig;
    rig.Config.OutputMode = 2;
    rig.Runner.on("RecType", [](QDialog& d) {
        checkAndSave(d, "records-rectype.png");
        click(d, "RecTypeSel_0");
        click(d, "RectypeOkButton");
    });
    rig.Runner.on("RecStructure", [](QDialog& d) {
        checkAndSave(d, "records-recstructure.png");
        click(d, "RecStrucSel_1");
        click(d, "OKButton");
    });
    rig.Runner.on("Delim", [](QDialog& d) {
        checkAndSave(d, "records-delim.png");
        click(d, "Command2");
    });
    rig.Dialogs.DefineRecordStructure();

    rig.Runner.on("RecType", [](QDialog& d) {
        click(d, "RecTypeSel_1");
        click(d, "RectypeOkButton");
    });
    rig.Runner.on("Timed", [](QDialog& d) {
        checkAndSave(d, "records-timed.png");
        click(d, "CancelButton");
    });
    rig.Dialogs.DefineRecordStructure();

    rig.Runner.on("RecType", [](QDialog& d) {
        click(d, "RecTypeSel_2");
        click(d, "RectypeOkButton");
    });
    rig.Runner.on("Fixed", [](QDialog& d) {
        checkAndSave(d, "records-fixed.png");
        test::retype(d, "Text1", "24");
        click(d, "Command1");
    });
    rig.Runner.on("RecDefs", [](QDialog& d) {
        test::retype(d, "FieldLength", "8");
        checkAndSave(d, "records-recdefs.png");
        click(d, "CancelButton");
    });
    rig.Runner.on("AsciiChart", [](QDialog& d) {
        checkAndSave(d, "picker-asciichart.png");
        click(d, "AsciiCancelButton");
    });
    rig.Runner.on("GetAKey", [](QDialog& d) {
        checkAndSave(d, "picker-getakey.png");
        click(d, "CancelButton");
    });
    rig.Runner.on("GetAKey2", [](QDialog& d) {
        checkAndSave(d, "picker-getakey2.png");
        click(d, "CancelButton");
    });
    rig.Dialogs.DefineRecordStructure();
    rig.Pickers.pickAscii(320);
    rig.Pickers.pickKeystroke(300);
    rig.Pickers.pickHotKey(330);
}

} // namespace
} // namespace quorvane
