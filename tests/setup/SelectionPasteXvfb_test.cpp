// The middle button on a private X server: it pastes the X primary selection into a character entry
// box by the box's rules (the box shows what it stores), and a digit box refuses a selection that is
// not all digits, with the beep of a refused key. The clicks are real pointer events (xdotool).

#include "setup/widgets/CharEntryBox.h"
#include "setup/widgets/DigitBox.h"
#include "x11/XvfbSession.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QTest>
#include <QVBoxLayout>

#include <cstdio>

namespace quorvane {
namespace {

test::XvfbSession* session = nullptr;

template <typename Condition>
bool pumpUntil(Condition condition) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > 10000)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// A middle click at the right end of `box`, pressed through the X server.
bool middleClick(QWidget* box) {
    const QPoint at = box->mapToGlobal(QPoint(box->width() - 4, box->height() / 2));
    test::ChildProcess tool({test::findProgram("xdotool"), "mousemove", std::to_string(at.x()),
                             std::to_string(at.y()), "click", "2"},
                            session->environment());
    return pumpUntil([&] { return !tool.running(); }) && tool.exitStatus() == 0;
}

TEST(MiddleButtonPaste, EntersTheSelectionByTheBoxesRulesOrRefusesIt) {
    if (test::findProgram("xdotool").empty())
        GTEST_SKIP() << "xdotool is not installed";
    std::string internalClipboard;
    QWidget window;
    auto* entry = new CharEntryBox(internalClipboard);
    auto* digits = new DigitBox;
    int refused = 0;
    digits->onRefused = [&] { ++refused; };
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(entry);
    layout->addWidget(digits);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QClipboard* clipboard = QApplication::clipboard();
    ASSERT_TRUE(clipboard->supportsSelection());

    entry->setStoredText("P\r\nX");
    clipboard->setText(QString::fromUtf8("zz\u240d9Q"), QClipboard::Selection);
    ASSERT_TRUE(middleClick(entry));
    ASSERT_TRUE(pumpUntil([&] { return entry->storedText() != "P\r\nX"; }));
    EXPECT_EQ(entry->storedText(), "P\r\nXzz\r9Q");
    EXPECT_EQ(entry->text(), QString::fromUtf8("P\u240d\u240aXzz\u240d9Q"));

    digits->setText("512");
    ASSERT_TRUE(middleClick(digits));
    ASSERT_TRUE(pumpUntil([&] { return refused == 1; }));
    EXPECT_EQ(digits->text(), "512");
    clipboard->setText(QStringLiteral("34"), QClipboard::Selection);
    ASSERT_TRUE(middleClick(digits));
    ASSERT_TRUE(pumpUntil([&] { return digits->text() != "512"; }));
    EXPECT_EQ(digits->text(), "51234");
    EXPECT_EQ(refused, 1);
}

} // namespace
} // namespace quorvane

int main(int argc, char** argv) {
    quorvane::test::XvfbSession x;
    if (!x.ready()) {
        std::fprintf(stderr, "no X server for the test: %s\n", x.whyNot().c_str());
        return x.whyNot().find("not installed") != std::string::npos ? 0 : 1;
    }
    quorvane::session = &x;
    qputenv("DISPLAY", QByteArray::fromStdString(x.name()));
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
