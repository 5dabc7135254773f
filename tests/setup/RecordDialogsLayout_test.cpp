// Every dialog of the record chain and the shared pickers at its opening size, through checkAndSave
// (clipped or overlapping captions; screenshots with QUORVANE_SCREENSHOTS).

#include <gtest/gtest.h>

#include "setup/DialogLayoutCheck.h"
#include "setup/SetupDialogRig.h"

#include "setup/records/RecDefs.h"

namespace quorvane {
namespace {

using test::checkAndSave;
using test::click;

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
