// The port analyzer window offscreen: bytes from a pseudo-terminal appear in Buffer and Send reaches
// it, the analysis asks and writes the guess, break, DTR, Opto-RS and closing through the fake
// device (a pty refuses the line calls), the pre-input display rule and the growth limit of Buffer;
// the layout of both uses (screenshots with QUORVANE_SCREENSHOTS). Virtual Instrument Mode with the
// engine is the setup activation tests'.

#include <gtest/gtest.h>

#include "analyzer/ComShow.h"
#include "fakes/FakeClock.h"
#include "fakes/FakePrompts.h"
#include "fakes/FakeSerialDevice.h"
#include "fakes/FakeSettingsStore.h"
#include "platform/posix/PosixSerialDevice.h"
#include "serial/PtyPair.h"
#include "serial/SerialPort.h"
#include "setup/DialogLayoutCheck.h"
#include "setup/widgets/CharEntryBox.h"
#include "setup/widgets/PickerHost.h"

#include "setup/RenderCheck.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QMenu>
#include <QTextBlock>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include <chrono>
#include <thread>

namespace quorvane {
namespace {

// The analyzer on `device`, bound as COM1 to `path`, with the port open.
struct AnalyzerRig {
    AnalyzerRig(SerialDevice& device, const std::string& path)
        : Bindings(Store), Port(device, Config, Prompts, Clock, Bindings,
                                [this](std::chrono::milliseconds ms) {
                                    Clock.advance(static_cast<std::uint32_t>(ms.count()));
                                }),
          Pickers(Config, Runner) {
        ResetConfiguration(Config);
        Config.DataBitsIndex = 3; // a pseudo-terminal takes 8 data bits without parity only
        Config.ParityIndex = 0;
        Bindings.setOverride("COM1", path);
        Opened = Port.OpenPort();
        Window = std::make_unique<ComShow>(ComShowParts{Config, Prompts, Pickers, &Port, {}});
    }
    template <typename T = QWidget>
    T* child(const char* name) const {
        return Window->findChild<T*>(QString::fromUtf8(name));
    }
    void click(const char* name) const { child<QPushButton>(name)->click(); }
    QString label(const char* name) const { return child<QLabel>(name)->text(); }
    // Ticks until `condition` holds or 5 s passed.
    template <typename Condition>
    bool tickUntil(Condition condition) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!condition()) {
            if (std::chrono::steady_clock::now() >= end)
                return false;
            Window->Timer1_Timer();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }

    Configuration Config;
    test::FakePrompts Prompts;
    test::FakeSettingsStore Store;
    test::FakeClock Clock;
    PortBindings Bindings;
    SerialPort Port;
    ExecRunner Runner;
    PickerHost Pickers;
    bool Opened = false;
    std::unique_ptr<ComShow> Window;
};

TEST(PortAnalyzerOnPty, ShowsWhatTheDeviceSendsAndSendsTheOutputBox) {
    test::PtyPair pty;
    ASSERT_TRUE(pty.ok());
    PosixSerialDevice device;
    AnalyzerRig rig(device, pty.slavePath());
    ASSERT_TRUE(rig.Opened);
    EXPECT_EQ(rig.Window->windowTitle(), "Port Test");
    EXPECT_FALSE(rig.child<QPushButton>("AnalyzeButton")->isEnabled());

    pty.send(std::string("12.5\r\n\0x", 8));
    ASSERT_TRUE(rig.tickUntil([&] { return rig.Window->bufferText().size() == 8; }));
    EXPECT_EQ(rig.Window->bufferText(), "12.5\r\n\xffx");
    // A CR LF pair shows both signs and breaks the line once.
    const QPlainTextEdit* buffer = rig.child<QPlainTextEdit>("Buffer");
    EXPECT_EQ(buffer->document()->blockCount(), 2);
    EXPECT_EQ(buffer->document()->firstBlock().text(), QString::fromUtf8("12.5\u240d\u240a"));
    rig.Window->Timer1_Timer();
    EXPECT_EQ(rig.label("BufByteCount"), "8");
    EXPECT_EQ(rig.label("SelStartPosition"), "9");
    EXPECT_TRUE(rig.child<QPushButton>("AnalyzeButton")->isEnabled());

    rig.child<CharEntryBox>("OutputBuffer")->setStoredText(std::string("AB\0C", 4));
    rig.click("SendButton");
    rig.click("SendButton"); // the box keeps its text
    rig.Window->Timer1_Timer();
    EXPECT_EQ(pty.receive(8), std::string("AB\0CAB\0C", 8));

    rig.click("BufferClearButton");
    rig.Window->Timer1_Timer();
    EXPECT_EQ(rig.label("BufByteCount"), "0");
    EXPECT_FALSE(rig.child<QPushButton>("AnalyzeButton")->isEnabled());
}

TEST(PortAnalyzerOnPty, AnalyzeAsksAndYesWritesTheGuess) {
    test::PtyPair pty;
    ASSERT_TRUE(pty.ok());
    PosixSerialDevice device;
    AnalyzerRig rig(device, pty.slavePath());
    rig.Window->AnalyzeButton_Click(); // nothing received (the button is disabled): a beep only
    EXPECT_EQ(rig.Prompts.Beeps, 1);
    EXPECT_TRUE(rig.Prompts.Messages.empty());

    pty.send("12.5,g,ST\r\n12.6,g,ST\r\n");
    ASSERT_TRUE(rig.tickUntil([&] { return rig.Window->bufferText().size() == 22; }));
    const Configuration before = rig.Config;
    rig.Prompts.Answers = {MessageAnswer::No, MessageAnswer::Yes};
    rig.click("AnalyzeButton");
    EXPECT_EQ(rig.Config, before);
    rig.click("AnalyzeButton");
    ASSERT_EQ(rig.Prompts.Messages.size(), 2u);
    EXPECT_EQ(rig.Prompts.Messages[1].Title, "Input Analysis Best Guess");
    EXPECT_EQ(rig.Prompts.Messages[1].Text, "Comma delimited records with  3 fields and Cr or CrLf at end of "
                                            "record.\r\rConfigure Quorvane Using these Settings?");
    EXPECT_EQ(rig.Prompts.Messages[1].Buttons, MessageButtons::YesNo);
    EXPECT_EQ(rig.Config.EndOfRecordEvent, 0);
    EXPECT_EQ(rig.Config.RecordStructure, 1);
    EXPECT_EQ(rig.Config.FieldCount, 3);
    EXPECT_EQ(rig.Config.RecordLength, 10);
    EXPECT_EQ(rig.Config.FieldDelimiter, ",");
    EXPECT_TRUE(isSet(rig.Config.ConfigChanged));
}

TEST(PortAnalyzerLines, BreakDtrOptoRsAndClosingDriveTheDevice) {
    test::FakeSerialDevice device;
    AnalyzerRig rig(device, "/dev/fake");
    ASSERT_TRUE(rig.Opened);
    device.Calls.clear();
    rig.click("Command1");
    rig.Window->Timer1_Timer();
    EXPECT_EQ(device.callsOf("break"), (std::vector<std::string>{"break on"}));
    rig.Window->Timer1_Timer();
    EXPECT_EQ(device.callsOf("break"), (std::vector<std::string>{"break on", "break off"}));
    rig.click("DTRButton");
    EXPECT_EQ(device.callsOf("dtr"), (std::vector<std::string>{"dtr off", "dtr on"}));

    // One request each time DSR comes on alone.
    rig.Config.FlowControl = 3;
    for (std::uint32_t status : {kModemDsr, kModemDsr, kModemDsr | kModemCts, kModemDsr})
        device.ModemStatus = status, rig.Window->Timer1_Timer();
    EXPECT_EQ(device.Written, "?\r?\r");

    device.Calls.clear();
    rig.Window->close();
    EXPECT_EQ(device.Calls, (std::vector<std::string>{"dtr off", "rts off", "close"}));
}

TEST(PortAnalyzerLines, PreInputTranslationShowsIgnoresAndKeepsVoidedBytes) {
    test::FakeSerialDevice device;
    AnalyzerRig rig(device, "/dev/fake");
    rig.Config.PreInputTranslation['a'] = "Ignore";
    rig.Config.PreInputTranslation['b'] = "Void Record";
    rig.Config.PreInputTranslation['c'] = "XY";
    rig.Config.PreInputTranslation['d'] = std::string(1, '\0');
    device.Incoming = std::string("abcd\0", 5);
    rig.Window->Timer1_Timer();
    EXPECT_EQ(rig.Window->bufferText(), std::string("abcd\xff", 5));
    rig.child<QCheckBox>("Check1")->setChecked(true);
    rig.click("BufferClearButton");
    device.Incoming = std::string("abcd\0", 5);
    rig.Window->Timer1_Timer();
    EXPECT_EQ(rig.Window->bufferText(), "bXY\xff\xff");
}

TEST(PortAnalyzerBuffer, KeepsTheNewestWholeLinesBeyondItsLimit) {
    test::FakeSerialDevice device;
    AnalyzerRig rig(device, "/dev/fake");
    const std::string line = std::string(98, 'x') + "\r\n";
    std::string batch;
    for (int i = 0; i < 1000; ++i)
        batch += line;
    for (std::size_t total = 0; total <= ComShow::kBufferLimit + batch.size(); total += batch.size())
        rig.Window->appendReceived(batch);
    const std::string& text = rig.Window->bufferText();
    EXPECT_LE(text.size(), ComShow::kBufferLimit);
    EXPECT_GE(text.size(), ComShow::kBufferLimit / 2);
    EXPECT_EQ(text.size() % line.size(), 0u);
    EXPECT_EQ(text.substr(0, line.size()), line);
    const QPlainTextEdit* buffer = rig.child<QPlainTextEdit>("Buffer");
    // The box holds the bytes and a line break after each line.
    EXPECT_EQ(buffer->document()->characterCount() - 1,
              static_cast<int>(text.size()) + buffer->blockCount() - 1);
    EXPECT_EQ(rig.label("BufByteCount").toStdString(), std::to_string(text.size()));
}

TEST(PortAnalyzerBuffer, IsReadOnlyAndItsMenuOnlyCopies) {
    test::FakeSerialDevice device;
    AnalyzerRig rig(device, "/dev/fake");
    rig.Window->appendReceived("12.5\r");
    auto* buffer = rig.child<QPlainTextEdit>("Buffer");
    QKeyEvent typed(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QApplication::sendEvent(buffer, &typed);
    EXPECT_EQ(rig.Window->bufferText(), "12.5\r");
    emit buffer->customContextMenuRequested({1, 1});
    EXPECT_FALSE(rig.child<QAction>("mnuCut")->isVisible());
    EXPECT_FALSE(rig.child<QAction>("mnuPaste")->isVisible());
    rig.child<QAction>("mnuCopy")->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "12.5\r");
    rig.child<QMenu>("mnuEdit")->hide();
}

TEST(PortAnalyzerBuffer, NewBytesKeepASelectionAndFollowOnlyACaretAtTheEnd) {
    test::FakeSerialDevice device;
    AnalyzerRig rig(device, "/dev/fake");
    auto* buffer = rig.child<QPlainTextEdit>("Buffer");
    rig.Window->appendReceived("12.5 g\r\n");
    EXPECT_TRUE(buffer->textCursor().atEnd());
    QTextCursor selection(buffer->document());
    selection.setPosition(0);
    selection.setPosition(4, QTextCursor::KeepAnchor);
    buffer->setTextCursor(selection);
    rig.Window->appendReceived("12.6 g\r\n");
    EXPECT_EQ(buffer->textCursor().selectedText(), "12.5");
    EXPECT_EQ(rig.label("SelByteCount"), "4");
    EXPECT_EQ(rig.label("SelStartPosition"), "1");
    // A caret placed inside stays; one moved back to the end follows again.
    QTextCursor inside(buffer->document());
    inside.setPosition(2);
    buffer->setTextCursor(inside);
    rig.Window->appendReceived("x");
    EXPECT_EQ(buffer->textCursor().position(), 2);
    buffer->moveCursor(QTextCursor::End);
    rig.Window->appendReceived("y");
    EXPECT_TRUE(buffer->textCursor().atEnd());
}

// A use of the window with what it received and what waits to be sent.
struct WindowUse {
    const char* Screenshot;
    bool Virtual;
    std::string Received;
    std::string Output;
};

void PrintTo(const WindowUse& use, std::ostream* os) {
    *os << use.Screenshot;
}

// Buffer draws every control byte and DEL visibly and distinctly; CR, LF and CR LF each end a line and
// look different, a pair split between reads as one received whole, and selections count bytes.
TEST(PortAnalyzerDisplay, ShowsEveryControlByteAndTellsTheLineEndsApart) {
    test::FakeSerialDevice device;
    AnalyzerRig rig(device, "/dev/fake");
    rig.Window->show();
    auto* buffer = rig.child<QPlainTextEdit>("Buffer");
    const auto picture = [&](std::initializer_list<std::string_view> reads) {
        rig.Window->BufferClearButton_Click();
        for (const std::string_view read : reads)
            rig.Window->appendReceived(read);
        buffer->moveCursor(QTextCursor::Start);
        return buffer->viewport()->grab().toImage();
    };
    const std::vector<unsigned char> bytes = test::SignedBytes();
    std::vector<QImage> shown;
    for (const unsigned char b : bytes)
        shown.push_back(picture({std::string(1, static_cast<char>(b))}));
    EXPECT_EQ(test::BlankOrAlike(bytes, shown, picture({})), "");

    const std::vector<unsigned char> ends{'\r', '\n', 0};
    std::vector<QImage> lines;
    for (const std::string_view received : {"1\r2", "1\n2", "1\r\n2"}) {
        lines.push_back(picture({received}));
        EXPECT_EQ(buffer->document()->blockCount(), 2) << received;
    }
    EXPECT_EQ(test::BlankOrAlike(ends, lines, picture({"12"})), "");
    EXPECT_EQ(picture({"1\r", "\n2"}), lines[2]);
    EXPECT_EQ(buffer->document()->blockCount(), 2);

    buffer->selectAll();
    rig.Window->Timer1_Timer();
    EXPECT_EQ(rig.label("SelByteCount"), "4");
    QTextCursor fromTwo = buffer->textCursor();
    fromTwo.setPosition(buffer->document()->lastBlock().position());
    fromTwo.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    buffer->setTextCursor(fromTwo);
    rig.Window->Timer1_Timer();
    EXPECT_EQ(rig.label("SelStartPosition"), "4");
    EXPECT_EQ(rig.label("SelByteCount"), "1");
}

class PortAnalyzerLayout : public testing::TestWithParam<WindowUse> {};

TEST_P(PortAnalyzerLayout, NothingIsClippedOrOverlaps) {
    const WindowUse& use = GetParam();
    test::FakeSerialDevice device;
    AnalyzerRig rig(device, "/dev/fake");
    if (use.Virtual)
        rig.Window = std::make_unique<ComShow>(
            ComShowParts{rig.Config, rig.Prompts, rig.Pickers, nullptr, {[](std::string_view) {}, [] {}}});
    rig.Window->show();
    rig.Window->appendReceived(use.Received);
    rig.child<CharEntryBox>("OutputBuffer")->setStoredText(use.Output);
    test::checkLayout(*rig.Window, QString::fromUtf8(use.Screenshot));
}

INSTANTIATE_TEST_SUITE_P(
    BothUses, PortAnalyzerLayout,
    testing::Values(WindowUse{"analyzer.png", false,
                              "ST,+0012.50 g\r\nST,+0012.51 g\r\nUS,+0012.49 g\r\nST,+0012.50 g\r\n", "P\r"},
                    WindowUse{"analyzer-virtual.png", true, "ACK\r\nACK\r\n", "ST,+0012.50 g\r\n"}),
    [](const testing::TestParamInfo<WindowUse>& param) {
        return param.param.Virtual ? "Virtual" : "Analyzer";
    });

} // namespace
} // namespace quorvane
