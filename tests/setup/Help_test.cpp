// Help: every topic number the program uses has a page, every page's links lead to pages, F1 shows
// the topic of the focused control, the open menu's item or the window, and Help > Index the
// window's. Also the file dialogs' filters in Qt's syntax.

#include <gtest/gtest.h>

#include "platform/qt/QtFileDialogs.h"
#include "runtime/HistoryWindow.h"
#include "runtime/PlotCanvas.h"
#include "runtime/PlotWindow.h"
#include "setup/PreferencesDialog.h"
#include "setup/SetupRig.h"

#include <QFile>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

#include <set>

namespace quorvane {
namespace {

QString page(int topic) {
    QFile file(HelpPagePath(topic));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

TEST(HelpPages, EveryTopicHasATitledPageAndEveryLinkLeadsToOne) {
    const std::set<int> topics(kHelpTopics.begin(), kHelpTopics.end());
    const QRegularExpression link(QStringLiteral("\\]\\(([^)]*)\\)"));
    for (const int topic : kHelpTopics) {
        const QString text = page(topic);
        ASSERT_FALSE(text.isEmpty()) << topic;
        EXPECT_TRUE(text.startsWith(QStringLiteral("# "))) << topic;
        EXPECT_GT(text.size(), 600) << topic << " is too short to help anybody";
        for (const auto& m : link.globalMatch(text)) {
            const QString target = m.captured(1);
            if (target.startsWith(QStringLiteral("http")))
                continue;
            EXPECT_TRUE(target.endsWith(QStringLiteral(".md")) &&
                        topics.count(target.chopped(3).toInt()) != 0)
                << topic << " links to " << target.toStdString();
        }
    }
    // The index reaches every page.
    for (const int topic : kHelpTopics)
        if (topic != kSetupHelpTopic) {
            EXPECT_TRUE(page(kSetupHelpTopic).contains(QStringLiteral("(%1.md)").arg(topic))) << topic;
        }
}

TEST(HelpPages, EveryTopicTheWindowsCarryIsListed) {
    test::SetupRig rig;
    PreferencesDialog preferences(rig.Config, rig.Prompts);
    std::vector<QObject*> objects{rig.Form.get(), &preferences};
    for (QObject* o : rig.Form->findChildren<QObject*>())
        objects.push_back(o);
    int carried = 0;
    for (QObject* o : objects)
        if (const QVariant topic = o->property(kHelpTopicProperty); topic.isValid()) {
            ++carried;
            EXPECT_NE(std::find(kHelpTopics.begin(), kHelpTopics.end(), topic.toInt()), kHelpTopics.end())
                << o->objectName().toStdString() << " " << topic.toInt();
        }
    EXPECT_GE(carried, 11);
}

TEST(HelpWindow, F1ShowsTheTopicOfTheFocusedControlTheOpenMenuOrTheWindow) {
    test::SetupRig rig;
    rig.Help.watchF1Key();
    rig.Form->Form_Load();
    QApplication::setActiveWindow(rig.Form.get());
    QTest::keyClick(rig.Form.get(), Qt::Key_F1);
    EXPECT_TRUE(rig.Help.isVisible());
    EXPECT_EQ(rig.Help.topic(), kSetupHelpTopic);
    EXPECT_TRUE(rig.Help.findChild<QTextBrowser*>("HelpText")->toPlainText().contains("Quorvane Setup"));

    QMenu* mode = rig.menu("XferMethod");
    mode->popup(QPoint(0, 0));
    QApplication::processEvents();
    mode->setActiveAction(rig.action("UseDDE"));
    QTest::keyClick(mode, Qt::Key_F1);
    EXPECT_EQ(rig.Help.topic(), 70);
    mode->setActiveAction(nullptr);
    QTest::keyClick(mode, Qt::Key_F1);
    EXPECT_EQ(rig.Help.topic(), 50);
    mode->close();

    int shown = 0;
    QTimer::singleShot(0, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        auto* text1 = modal->findChild<QLineEdit*>("Text1");
        text1->setEnabled(true);
        text1->setFocus();
        QTest::keyClick(text1, Qt::Key_F1);
        shown = rig.Help.topic();
        modal->close();
    });
    rig.click("mnuPreferences");
    EXPECT_EQ(shown, PreferencesDialog::kHelpTopic);

    rig.click("HelpIndex");
    EXPECT_EQ(rig.Help.topic(), kSetupHelpTopic);

    // The windows of the runtime window's View menu.
    PlotWindow plot("COM1");
    HistoryWindow history("COM1", rig.Store);
    for (QWidget* window : {static_cast<QWidget*>(plot.canvas()), static_cast<QWidget*>(&history)}) {
        QTest::keyClick(window, Qt::Key_F1);
        EXPECT_EQ(rig.Help.topic(), kRecordWindowsTopic);
    }
}

TEST(HelpWindow, FollowsLinksBetweenPagesAndSupportFallsBackToTheIndex) {
    test::SetupRig rig;
    rig.Help.showTopic(40);
    auto* text = rig.Help.findChild<QTextBrowser*>("HelpText");
    text->setSource(QUrl(QStringLiteral("50.md")));
    EXPECT_EQ(rig.Help.topic(), 50);
    EXPECT_TRUE(text->toPlainText().contains("Mode"));
    rig.Help.showTopic(9999); // no page: the index
    EXPECT_EQ(rig.Help.topic(), kSetupHelpTopic);
    rig.Help.showTopic(40);
    rig.click("Tutor"); // no support page configured in this build's tests
    EXPECT_EQ(rig.Help.topic(), kSetupHelpTopic);
    EXPECT_FALSE(rig.Prompts.WaitCursor);
}

// F1 on a control of a dialog shows `topic`; the help window goes back to the index.
void expectTopic(test::SetupRig& rig, QDialog& dialog, const char* control, int topic) {
    QWidget* target = test::control(dialog, control);
    target->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(target, Qt::Key_F1);
    EXPECT_EQ(rig.Help.topic(), topic) << dialog.objectName().toStdString() << " " << control;
    rig.Help.showTopic(kSetupHelpTopic);
}

// The record chain as far as the dialog `Last` (reached by the end event and structure buttons),
// F1 in each dialog, and in the field editor on `EditorBox` under an output mode.
struct ChainCase {
    int EndButton;
    int StructureButton;
    const char* Last;
    std::int16_t OutputMode = 0;
    const char* EditorBox = "FieldExpression";
    int EditorTopic = kRecordChainTopic;
};

class RecordChainHelp : public testing::TestWithParam<ChainCase> {};

TEST_P(RecordChainHelp, F1ShowsTheDefineTopicAndTheMacroBoxesTheirModesTopic) {
    const ChainCase& c = GetParam();
    test::SetupRig rig;
    rig.Help.watchF1Key();
    rig.Config.OutputMode = c.OutputMode;
    const auto last = [&](const QDialog& d) { return d.objectName() == QLatin1String(c.Last); };
    rig.Runner.on("RecType", [&](QDialog& d) {
        expectTopic(rig, d, "StartOfRec_0", kRecordChainTopic);
        test::click(d, QStringLiteral("RecTypeSel_%1").arg(c.EndButton));
        test::click(d, "RectypeOkButton");
    });
    rig.Runner.on("RecStructure", [&](QDialog& d) {
        expectTopic(rig, d, "RecStrucSel_0", kRecordChainTopic);
        test::click(d, QStringLiteral("RecStrucSel_%1").arg(c.StructureButton));
        test::click(d, last(d) ? "CancelButton" : "OKButton");
    });
    rig.Runner.on("Delim", [&](QDialog& d) {
        expectTopic(rig, d, "Text1", kRecordChainTopic);
        test::click(d, "Command2");
    });
    rig.Runner.on("Fixed", [&](QDialog& d) {
        expectTopic(rig, d, "Text1", kRecordChainTopic);
        test::click(d, "Command2");
    });
    rig.Runner.on("Timed", [&](QDialog& d) {
        expectTopic(rig, d, "ClockTicks", kRecordChainTopic);
        test::click(d, "CancelButton");
    });
    rig.Runner.on("RecDefs", [&](QDialog& d) {
        expectTopic(rig, d, c.EditorBox, c.EditorTopic);
        test::click(d, "CancelButton");
    });
    rig.click("DefineRecords");
    EXPECT_EQ(rig.Runner.Shown.back(), QLatin1String(c.Last));
}

INSTANTIATE_TEST_SUITE_P(Dialogs, RecordChainHelp,
                         testing::Values(ChainCase{0, 0, "RecStructure"}, ChainCase{0, 1, "Delim"},
                                         ChainCase{1, 0, "Timed"}, ChainCase{2, 0, "Fixed"},
                                         ChainCase{0, 0, "RecDefs", 1},
                                         ChainCase{0, 0, "RecDefs", 0, "PreambleMacro", 300},
                                         ChainCase{0, 0, "RecDefs", 2, "FieldMacro", 320}));

// Whether a window is blocked by a modal one, as the window is told.
class BlockedState : public QObject {
public:
    bool Blocked = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::WindowBlocked || event->type() == QEvent::WindowUnblocked)
            Blocked = event->type() == QEvent::WindowBlocked;
        return QObject::eventFilter(watched, event);
    }
};

TEST(HelpWindow, AskedForFromAModalDialogTakesInput) {
    test::SetupRig rig;
    rig.Help.watchF1Key();
    BlockedState help;
    rig.Help.installEventFilter(&help);
    QDialog dialog;
    SetHelpTopic(&dialog, kRecordChainTopic);
    auto* box = new QLineEdit(&dialog);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    box->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(box, Qt::Key_F1);
    ASSERT_EQ(rig.Help.topic(), kRecordChainTopic);
    EXPECT_FALSE(help.Blocked);
}

struct FilterCase {
    const char* Windows;
    const char* Qt;
};

class QtFileFilters : public testing::TestWithParam<FilterCase> {};

TEST_P(QtFileFilters, KeepTheDescriptionsAndLetAllFilesMatchNamesWithoutADot) {
    EXPECT_EQ(QtFileFilter(GetParam().Windows).toStdString(), GetParam().Qt);
}

INSTANTIATE_TEST_SUITE_P(
    Filters, QtFileFilters,
    testing::Values(
        FilterCase{"Quorvane Config (*.QV3)|*.QV3|Quorvane 1.x Config (*.QV1)|*.QV1|All Files (*.*)|*.*",
                   "Quorvane Config (*.QV3);;Quorvane 1.x Config (*.QV1);;All Files (*)"},
        FilterCase{"Quorvane Log (*.log)|*.log|All Files (*.*)|*.*", "Quorvane Log (*.log);;All Files (*)"},
        FilterCase{"Pictures|*.png;*.jpg", "Pictures (*.png *.jpg)"}));

} // namespace
} // namespace quorvane
