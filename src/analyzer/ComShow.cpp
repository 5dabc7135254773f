#include "analyzer/ComShow.h"

#include "config/CodePage.h"
#include "config/DisplayText.h"
#include "config/InputAnalysis.h"
#include "serial/DisplayForm.h"
#include "serial/SerialPort.h"
#include "setup/widgets/ByteFont.h"
#include "setup/widgets/CharEntryBox.h"
#include "setup/widgets/PickerHost.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTimer>
#include <QVBoxLayout>

namespace quorvane {

namespace {

constexpr int kTickMs = 50;
constexpr std::uint32_t kOptoRsFlowControl = 3;
constexpr char kNulShown = '\xff';

// Every byte is one character of the box in display form, so CR and LF show as their own signs. A
// line break follows each LF and each CR that no LF follows: a CR LF pair ends one line. The breaks are
// the box's only characters that are no bytes, so a position less its line number is a byte position.
QString boxText(std::string_view shown) {
    std::string utf8;
    std::size_t line = 0;
    for (std::size_t i = 0; i < shown.size(); ++i)
        if (shown[i] == '\n' || (shown[i] == '\r' && (i + 1 == shown.size() || shown[i + 1] != '\n'))) {
            utf8 += BytesToDisplayUtf8(shown.substr(line, i + 1 - line));
            utf8 += '\n';
            line = i + 1;
        }
    utf8 += BytesToDisplayUtf8(shown.substr(line));
    return QString::fromStdString(utf8);
}

// The line breaks in `bytes` as boxText puts them.
std::size_t lineBreaks(std::string_view bytes) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        if (bytes[i] == '\n' || (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n')))
            ++count;
    return count;
}

QPushButton* button(const char* name, const char* caption, QWidget* parent) {
    auto* b = new QPushButton(QString::fromUtf8(caption), parent);
    b->setObjectName(QString::fromUtf8(name));
    return b;
}

QLabel* label(const char* name, const char* caption, QWidget* parent) {
    auto* l = new QLabel(QString::fromUtf8(caption), parent);
    l->setObjectName(QString::fromUtf8(name));
    return l;
}

} // namespace

ComShow::ComShow(ComShowParts parts, QWidget* parent)
    : QWidget(parent), m_config(parts.Config), m_prompts(parts.Prompts), m_pickers(parts.Pickers),
      m_port(parts.Port), m_device(std::move(parts.Device)) {
    setObjectName(QStringLiteral("ComShow"));
    setWindowTitle(QStringLiteral("Port Test"));
    buildControls();
    if (isVirtual())
        becomeVirtualDevice();
    setProperty(kHelpTopicProperty, isVirtual() ? kVirtualTopic : kAnalyzerTopic);
    refreshStatus();
}

ComShow::~ComShow() = default;

void ComShow::buildControls() {
    const QFont terminal = ByteFont();
    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setInterval(kTickMs);
    connect(m_timer, &QTimer::timeout, this, &ComShow::Timer1_Timer);

    m_label1 = label("Label1", "Input Data", this);
    m_buffer = new QPlainTextEdit(this);
    m_buffer->setObjectName(QStringLiteral("Buffer"));
    m_buffer->setFont(terminal);
    m_buffer->setReadOnly(true);
    m_buffer->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_buffer->setUndoRedoEnabled(false);
    m_buffer->setContextMenuPolicy(Qt::CustomContextMenu);
    m_buffer->installEventFilter(this);
    m_label1->setBuddy(m_buffer);
    connect(m_buffer, &QPlainTextEdit::customContextMenuRequested, this,
            [this](const QPoint& at) { showEditMenu(m_buffer, at); });
    connect(m_buffer, &QPlainTextEdit::selectionChanged, this, &ComShow::refreshStatus);

    m_label2 = label("Label2", "Total Byte Count:", this);
    m_bufByteCount = label("BufByteCount", "0", this);
    m_frame1 = new QGroupBox(QStringLiteral("Selected Text:"), this);
    m_frame1->setObjectName(QStringLiteral("Frame1"));
    auto* selection = new QGridLayout(m_frame1);
    selection->addWidget(label("Label4", "Byte Count:", m_frame1), 0, 0);
    m_selByteCount = label("SelByteCount", "0", m_frame1);
    selection->addWidget(m_selByteCount, 0, 1);
    selection->addWidget(label("Label3", "Start Position:", m_frame1), 1, 0);
    m_selStartPosition = label("SelStartPosition", "1", m_frame1);
    selection->addWidget(m_selStartPosition, 1, 1);
    selection->setColumnStretch(1, 1);
    m_check1 = new QCheckBox(QStringLiteral("Activate Pre-Input Character Translation Table"), this);
    m_check1->setObjectName(QStringLiteral("Check1"));

    m_frame2 = new QGroupBox(QStringLiteral("Output"), this);
    m_frame2->setObjectName(QStringLiteral("Frame2"));
    m_outputBuffer = new CharEntryBox(m_pickers.internalClipboard(), m_frame2);
    m_outputBuffer->setObjectName(QStringLiteral("OutputBuffer"));
    m_outputBuffer->setFont(terminal);
    m_outputBuffer->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_outputBuffer, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { showEditMenu(m_outputBuffer, at); });
    auto* send = button("SendButton", "&Send", m_frame2);
    auto* chart = button("AsciiChartButton", "ASCII Chart", m_frame2);
    m_dtr = button("DTRButton", "&DTR~", m_frame2);
    m_break = button("Command1", "&Break", m_frame2);
    auto* output = new QGridLayout(m_frame2);
    output->addWidget(m_outputBuffer, 0, 0, 1, 4);
    output->addWidget(send, 1, 0);
    output->addWidget(chart, 1, 1);
    output->addWidget(m_dtr, 1, 2);
    output->addWidget(m_break, 1, 3);
    connect(send, &QPushButton::clicked, this, &ComShow::SendButton_Click);
    connect(chart, &QPushButton::clicked, this, &ComShow::AsciiChartButton_Click);
    connect(m_dtr, &QPushButton::clicked, this, &ComShow::DTRButton_Click);
    connect(m_break, &QPushButton::clicked, this, &ComShow::Command1_Click);

    m_analyze = button("AnalyzeButton", "&Analyze Input", this);
    auto* clear = button("BufferClearButton", "&Clear Input", this);
    auto* quit = button("QuitButton", "&Quit", this);
    connect(m_analyze, &QPushButton::clicked, this, &ComShow::AnalyzeButton_Click);
    connect(clear, &QPushButton::clicked, this, &ComShow::BufferClearButton_Click);
    connect(quit, &QPushButton::clicked, this, &ComShow::QuitButton_Click);

    auto* counts = new QHBoxLayout;
    counts->addWidget(m_label2);
    counts->addWidget(m_bufByteCount);
    counts->addStretch(1);
    auto* side = new QVBoxLayout;
    side->addWidget(m_frame1);
    side->addWidget(m_analyze);
    side->addWidget(clear);
    side->addStretch(1);
    side->addWidget(quit);
    auto* grid = new QGridLayout(this);
    grid->addWidget(m_label1, 0, 0);
    grid->addWidget(m_buffer, 1, 0);
    grid->addLayout(counts, 2, 0);
    grid->addWidget(m_check1, 3, 0);
    grid->addWidget(m_frame2, 4, 0);
    grid->addLayout(side, 1, 1, 4, 1);
    grid->setRowStretch(1, 1);
    grid->setColumnStretch(0, 1);

    m_edit = new QMenu(QStringLiteral("Edit"), this);
    m_edit->setObjectName(QStringLiteral("mnuEdit"));
    const auto entry = [this](const char* name, const char* caption) {
        QAction* a = m_edit->addAction(QString::fromUtf8(caption));
        a->setObjectName(QString::fromUtf8(name));
        return a;
    };
    m_cut = entry("mnuCut", "Cut");
    m_copy = entry("mnuCopy", "Copy");
    m_paste = entry("mnuPaste", "Paste");
    m_ascii = entry("mnuASCII", "ASCII Chart...");
    connect(m_cut, &QAction::triggered, this, [this] { entryKey(Qt::Key_Delete, Qt::ShiftModifier); });
    connect(m_copy, &QAction::triggered, this, [this] {
        if (m_popupTarget == m_buffer)
            copyBuffer();
        else
            entryKey(Qt::Key_C, Qt::ControlModifier);
    });
    connect(m_paste, &QAction::triggered, this, [this] { entryKey(Qt::Key_V, Qt::ControlModifier); });
    connect(m_ascii, &QAction::triggered, this, &ComShow::AsciiChartButton_Click);
    resize(640, 420);
}

void ComShow::becomeVirtualDevice() {
    setWindowTitle(QStringLiteral("Quorvane - Virtual Serial Device"));
    m_label1->setText(QStringLiteral("Input Buffer - (from Quorvane)"));
    m_frame2->setTitle(QStringLiteral("Output - (to Quorvane)"));
    // The layouts close the gaps the hidden controls leave.
    for (QWidget* w :
         {static_cast<QWidget*>(m_label2), static_cast<QWidget*>(m_bufByteCount),
          static_cast<QWidget*>(m_check1), static_cast<QWidget*>(m_frame1), static_cast<QWidget*>(m_analyze),
          static_cast<QWidget*>(m_dtr), static_cast<QWidget*>(m_break)})
        w->hide();
}

void ComShow::startTimer1() {
    if (!isVirtual())
        m_timer->start();
}

void ComShow::Timer1_Timer() {
    if (isVirtual())
        return;
    if (m_config.FlowControl == kOptoRsFlowControl) {
        // One request each time DSR comes on with every other line off.
        const std::uint32_t status = m_port->ReadModemStatus();
        if (status == kModemDsr) {
            if (m_lastModemStatus == 0) {
                m_outputQueue += "?\r";
                m_lastModemStatus = status;
            }
        } else {
            m_lastModemStatus = 0;
        }
    }
    if (m_breakTicks != 0 && m_breakTicks-- == 1)
        m_port->ClearBreak();
    m_port->WritePort(m_outputQueue);
    refreshStatus();

    std::string shown;
    char byte = 0;
    while (shown.size() < kReadPerTick && m_port->ReadPortByte(byte) == 1)
        shown += shownByte(static_cast<unsigned char>(byte));
    if (!shown.empty())
        appendReceived(shown);
}

std::string ComShow::shownByte(unsigned char byte) const {
    if (!m_check1->isChecked())
        return std::string(1, byte == 0 ? kNulShown : static_cast<char>(byte));
    const std::string& s = m_config.PreInputTranslation[byte];
    if (s == std::string_view("\0", 1))
        return std::string(1, kNulShown);
    if (s == "Ignore")
        return {};
    if (s == "Void Record") // voiding a record means nothing here
        return DisplayForm(std::string(1, static_cast<char>(byte)));
    return s;
}

void ComShow::appendReceived(std::string_view shown) {
    if (shown.empty())
        return;
    const bool crBefore = !m_text.empty() && m_text.back() == '\r';
    // New bytes follow the caret only when it waits at the end; a selection or a place the user
    // moved to stays where it is.
    const QTextCursor caret = m_buffer->textCursor();
    const bool following = !caret.hasSelection() && caret.atEnd();
    m_text.append(shown);
    QTextCursor end(m_buffer->document());
    end.movePosition(QTextCursor::End);
    if (crBefore && shown.front() == '\n') {
        // The CR's line break already stands: the LF joins the CR on its line.
        end.movePosition(QTextCursor::PreviousCharacter);
        end.insertText(QString::fromStdString(BytesToDisplayUtf8("\n")));
        end.movePosition(QTextCursor::End);
        shown.remove_prefix(1);
    }
    end.insertText(boxText(shown));
    if (m_text.size() > kBufferLimit)
        dropOldestLines();
    if (following)
        m_buffer->moveCursor(QTextCursor::End);
    refreshStatus();
}

void ComShow::dropOldestLines() {
    // Trim well below the limit so that trimming is rare, and at a line's end when there is one.
    const std::size_t excess = m_text.size() - (kBufferLimit - kBufferLimit / 8);
    std::size_t drop = m_text.find_first_of("\r\n", excess - 1);
    if (drop == std::string::npos)
        drop = excess;
    else if (++drop < m_text.size() && m_text[drop - 1] == '\r' && m_text[drop] == '\n')
        ++drop;
    const std::size_t breaks = lineBreaks(std::string_view(m_text).substr(0, drop));
    m_text.erase(0, drop);
    QTextCursor head(m_buffer->document());
    head.setPosition(static_cast<int>(drop + breaks), QTextCursor::KeepAnchor);
    head.removeSelectedText();
}

int ComShow::bytePosition(int boxPosition) const {
    return boxPosition - m_buffer->document()->findBlock(boxPosition).blockNumber();
}

void ComShow::refreshStatus() {
    const QTextCursor c = m_buffer->textCursor();
    const int start = bytePosition(c.selectionStart());
    m_analyze->setEnabled(!m_text.empty());
    m_bufByteCount->setText(QString::number(m_text.size()));
    m_selByteCount->setText(QString::number(bytePosition(c.selectionEnd()) - start));
    m_selStartPosition->setText(QString::number(start + 1));
}

void ComShow::SendButton_Click() {
    if (isVirtual())
        m_device.Send(m_outputBuffer->storedText());
    else
        m_outputQueue += m_outputBuffer->storedText();
}

void ComShow::AsciiChartButton_Click() {
    const std::string picked = m_pickers.pickAscii(property(kHelpTopicProperty).toInt());
    if (!picked.empty())
        m_outputBuffer->insertPicked(picked);
}

void ComShow::DTRButton_Click() {
    if (!isVirtual())
        m_port->ToggleDtr();
}

void ComShow::Command1_Click() {
    if (isVirtual())
        return;
    m_port->SetBreak();
    m_breakTicks = 2;
}

void ComShow::AnalyzeButton_Click() {
    const auto analysis = AnalyzeInput(m_text);
    if (analysis) {
        const MessageAnswer answer =
            m_prompts.messageBox(BytesToUtf8(InputAnalysisQuestion(*analysis)), kInputAnalysisTitle,
                                 MessageButtons::YesNo, MessageIcon::Question);
        if (answer == MessageAnswer::Yes)
            ApplyInputAnalysis(*analysis, m_config);
    } else {
        m_prompts.beep();
    }
    m_buffer->setFocus(Qt::OtherFocusReason);
}

void ComShow::BufferClearButton_Click() {
    m_text.clear();
    m_buffer->clear();
    m_buffer->setFocus(Qt::OtherFocusReason);
    refreshStatus();
}

void ComShow::QuitButton_Click() {
    if (isVirtual())
        m_device.Quit();
    else
        close();
}

void ComShow::closeEvent(QCloseEvent* event) {
    if (isVirtual()) {
        // The device goes with the engine: closing it ends the run.
        event->ignore();
        m_device.Quit();
        return;
    }
    m_timer->stop();
    if (!m_unloaded) {
        m_unloaded = true;
        m_port->ClosePort(); // lowers DTR and RTS first
        emit unloaded();
    }
    event->accept();
}

bool ComShow::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_buffer || event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    const auto mods = key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    switch (key->key()) {
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Left:
    case Qt::Key_Right:
        return false;
    case Qt::Key_Insert:
        if (mods == Qt::ControlModifier)
            copyBuffer();
        return true;
    default:
        return true; // the box is the device's: nothing typed reaches it
    }
}

void ComShow::showEditMenu(QWidget* target, const QPoint& at) {
    m_popupTarget = target;
    const bool entry = target == m_outputBuffer;
    m_cut->setVisible(entry);
    m_paste->setVisible(entry);
    m_ascii->setVisible(entry);
    if (entry) {
        m_cut->setEnabled(m_outputBuffer->hasSelectedText());
        m_copy->setEnabled(m_outputBuffer->hasSelectedText());
        m_paste->setEnabled(!m_pickers.internalClipboard().empty());
    } else {
        m_copy->setEnabled(true);
    }
    m_edit->popup(target->mapToGlobal(at));
}

void ComShow::copyBuffer() {
    const QTextCursor c = m_buffer->textCursor();
    const auto start = static_cast<std::size_t>(bytePosition(c.selectionStart()));
    const auto length = static_cast<std::size_t>(bytePosition(c.selectionEnd())) - start;
    const std::string text = length > 0 ? m_text.substr(start, length) : m_text;
    QClipboard* clipboard = QApplication::clipboard();
    clipboard->clear();
    clipboard->setText(QString::fromStdString(BytesToUtf8(text)));
}

void ComShow::entryKey(int key, Qt::KeyboardModifiers modifiers) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(m_outputBuffer, &press);
}

} // namespace quorvane
