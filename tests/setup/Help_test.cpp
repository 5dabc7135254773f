// Help: every topic number the program uses has a page, every page's links lead to pages, F1 shows
// the topic of the focused control, the open menu's item or the window, and Help > Index the
// window's. Also the file dialogs' filters in Qt's syntax.

#include <gtest/gtest.h>

#include "platform/qt/QtFileDialogs.h"
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
        if (const QVariant topic = o->property("helpTopic"); topic.isValid()) {
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
