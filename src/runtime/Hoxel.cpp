#include "runtime/Hoxel.h"

#include "config/CodePage.h"
#include "config/DisplayText.h"
#include "engine/bus/DdeBridge.h"
#include "engine/Engine.h"
#include "engine/FieldLayout.h"
#include "engine/output/SerialOutput.h"
#include "runtime/AboutBox.h"
#include "runtime/ItemBox.h"
#include "runtime/TickScheduler.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QSystemTrayIcon>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace quorvane {

namespace {

constexpr double kTwipsPerInch = 1440;
// The window's own geometry in twips, around the row rules of the field and button columns.
constexpr int kMarginTwips = 120;
constexpr int kBandTopTwips = 60;
constexpr int kRowsTopTwips = 390;
constexpr int kBoxHeightTwips = 255;
constexpr int kGapTwips = 60;
constexpr int kColumnGapTwips = 240;
constexpr int kFieldBoxWidthTwips = 2000;
constexpr int kRecordBoxWidthTwips = 900;
constexpr int kDateBoxWidthTwips = 2400;
constexpr int kButtonWidthTwips = 1500;
// How long after their interval the boxes' texts wait for an engine step before showing anyway.
constexpr int kTextsLateMs = 16;

QString display(std::string_view bytes) {
    return QString::fromStdString(BytesToUtf8(bytes));
}

// Received data in the program's display form: every byte a visible character of its own.
QString shown(std::string_view bytes) {
    return QString::fromStdString(BytesToDisplayUtf8(bytes));
}

QIcon programIcon() {
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(0x1f, 0x5f, 0x9f));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setPixelSize(44);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(pixmap.rect(), Qt::AlignCenter, QStringLiteral("Q"));
    return QIcon(pixmap);
}

} // namespace

Hoxel::Hoxel(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("Hoxel"));
    setWindowIcon(programIcon());
    buildMenus();
    buildControls();
    // A twip is 1/1440 inch at the screen's logical DPI; a font taller than the row rules allow
    // enlarges every size alike, so the rows and columns keep their proportions and nothing clips.
    const int rowNeed = std::max(fontMetrics().height() + 6, m_recordNumber->minimumSizeHint().height());
    m_pixelsPerTwip = std::max(logicalDpiY() / kTwipsPerInch, rowNeed / double(kBoxHeightTwips));
    m_focusWatch =
        connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { focusMoved(now); });
    layOut();
}

// The child boxes lose the focus while QWidget's destructor deletes them, after this part is gone.
Hoxel::~Hoxel() {
    disconnect(m_focusWatch);
}

QAction* Hoxel::action(QMenu* menu, const char* name, const char* caption) {
    QAction* entry = menu->addAction(QString::fromUtf8(caption));
    entry->setObjectName(QString::fromUtf8(name));
    return entry;
}

void Hoxel::buildMenus() {
    m_editMenu = menuBar()->addMenu(QStringLiteral("&Edit"));
    m_editMenu->setObjectName(QStringLiteral("EditMenu"));
    m_editCopy = action(m_editMenu, "EditCopy", "&Copy");
    connect(m_editCopy, &QAction::triggered, this, &Hoxel::editCopy);
    m_editMenu->addSeparator();
    static constexpr std::array<std::pair<const char*, const char*>, 6> kLinkEntries{{
        {"DDEPaste", "&Paste Command Link"},
        {"DDERefresh", "&Refresh Command Link"},
        {"DDEKill", "&Terminate Command Link"},
        {"DDEPasteBuffer", "Paste &Output Buffer Link"},
        {"DDERefreshBuffer", "Refresh Output &Buffer Link"},
        {"DDEKillBuffer", "Terminate Output Buffer &Link"},
    }};
    for (std::size_t i = 0; i < kLinkEntries.size(); ++i) {
        m_linkActions[i] = action(m_editMenu, kLinkEntries[i].first, kLinkEntries[i].second);
        connect(m_linkActions[i], &QAction::triggered, this, [this, i] {
            if (m_targets)
                m_targets->Bridge.links().perform(static_cast<DdeEditCommand>(i));
        });
    }
    connect(m_editMenu, &QMenu::aboutToShow, this, &Hoxel::updateEditMenu);

    m_quitMenu = menuBar()->addMenu(QStringLiteral("&Quit"));
    m_quitMenu->setObjectName(QStringLiteral("QuitMenu"));
    m_suspend = action(m_quitMenu, "SuspendMenu", "&Suspend Hoxel");
    m_resume1 = action(m_quitMenu, "Resume1", "Resume For &One Record");
    m_resume1->setVisible(false);
    m_reset = action(m_quitMenu, "MReset", "&Reset Hoxel");
    m_quitMenu->addSeparator();
    m_timedOutput = action(m_quitMenu, "TOutCtrl", "Disable &Timed Output");
    QAction* exitMenu = action(m_quitMenu, "ExitMenu", "&Quit");
    QAction* about = action(m_quitMenu, "MAbout", "&About...");
    connect(m_suspend, &QAction::triggered, this, [this] {
        if (m_targets)
            m_targets->Hoxel.SuspendMenu_Click();
    });
    connect(m_resume1, &QAction::triggered, this, [this] {
        if (m_targets)
            m_targets->Hoxel.Resume1_Click();
    });
    connect(m_reset, &QAction::triggered, this, [this] {
        if (m_targets)
            m_targets->Hoxel.MReset_Click();
    });
    connect(m_timedOutput, &QAction::triggered, this, [this] {
        if (m_targets)
            m_targets->Output.TOutCtrl_Click();
    });
    connect(exitMenu, &QAction::triggered, this, [this] {
        if (m_targets)
            m_targets->Hoxel.ExitMenu_Click();
        else
            close();
    });
    connect(about, &QAction::triggered, this, &Hoxel::showAbout);
    connect(m_quitMenu, &QMenu::aboutToShow, this, [this] {
        if (m_targets)
            m_timedOutput->setEnabled(m_targets->Output.TOutCtrl().Enabled);
    });

    m_popup = new QMenu(this);
    m_popup->setObjectName(QStringLiteral("mnuPopup"));
    QAction* open = action(m_popup, "mnuOpen", "Open Quorvane");
    QAction* popupAbout = action(m_popup, "mnuAbout", "About Quorvane");
    m_popup->setDefaultAction(popupAbout);
    connect(open, &QAction::triggered, this, &Hoxel::openFromTray);
    connect(popupAbout, &QAction::triggered, this, &Hoxel::showAbout);
    buildViewMenus();
}

// An addition beside the window's own menus: they keep their places, the View menu comes last.
void Hoxel::buildViewMenus() {
    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    view->setObjectName(QStringLiteral("ViewMenu"));
    m_popup->addSeparator();
    for (QMenu* menu : {view, m_popup}) {
        const bool tray = menu == m_popup;
        QAction* history = action(menu, tray ? "mnuHistory" : "ViewHistory", "&History");
        QAction* plot = action(menu, tray ? "mnuPlot" : "ViewPlot", "&Plot");
        connect(history, &QAction::triggered, this, &Hoxel::historyRequested);
        connect(plot, &QAction::triggered, this, &Hoxel::plotRequested);
    }
}

void Hoxel::buildControls() {
    m_area = new QWidget(this);
    setCentralWidget(m_area);
    m_heading = new QLabel(QStringLiteral("Input Field(s)"), m_area);
    m_heading->setObjectName(QStringLiteral("InputFieldsLabel"));
    m_recordLabel = new QLabel(QStringLiteral("Record #"), m_area);
    m_recordLabel->setObjectName(QStringLiteral("RecordNumberLabel"));
    m_recordNumber = new ItemBox(QStringLiteral("RecordNumber"), false, m_area);
    m_recordNumber->setObjectName(QStringLiteral("RecordNumber"));
    m_dateTimeLabel = new QLabel(QStringLiteral("Date/Time:"), m_area);
    m_dateTimeLabel->setObjectName(QStringLiteral("DateTimeLabel"));
    m_dateTime = new ItemBox(QStringLiteral("DateTime"), true, m_area);
    m_dateTime->setObjectName(QStringLiteral("DateTime"));
    for (ItemBox* box : {m_recordNumber, m_dateTime})
        connect(box, &ItemBox::editMenuRequested, this, &Hoxel::popUpEditMenu);

    // Link destinations: their texts arrive through the links and never show.
    m_outputBuffer = new QLabel(m_area);
    m_outputBuffer->setObjectName(QStringLiteral("OutputBuffer"));
    m_outputBuffer->hide();
    m_commandBuffer = new QLabel(m_area);
    m_commandBuffer->setObjectName(QStringLiteral("CommandBuffer"));
    m_commandBuffer->hide();

    for (int i = 1; i <= kStringButtons; ++i) {
        auto* button = new MouseButton(m_area);
        button->setObjectName(QStringLiteral("StringButton_%1").arg(i));
        button->hide();
        connect(button, &MouseButton::released, this, [this, i] {
            if (m_targets)
                m_targets->Output.StringButton_Click(i);
        });
        m_stringButtons[static_cast<std::size_t>(i)] = button;
        m_stringRows[static_cast<std::size_t>(i)] = -1;
    }
    m_dtrButton = new MouseButton(QStringLiteral("DTR~"), m_area);
    m_dtrButton->setObjectName(QStringLiteral("DTRToggleButton"));
    m_dtrButton->hide();
    connect(m_dtrButton, &MouseButton::released, this, [this] {
        if (m_targets)
            m_targets->Output.DTRToggleButton_Click();
    });
    m_breakButton = new MouseButton(QStringLiteral("Break"), m_area);
    m_breakButton->setObjectName(QStringLiteral("BreakButton"));
    m_breakButton->hide();
    connect(m_breakButton, &MouseButton::released, this, [this] {
        if (m_targets)
            m_targets->Output.BreakButton_Click();
    });
}

void Hoxel::connectEngine(HoxelTargets targets) {
    m_targets.emplace(targets);
    delete m_scheduler;
    m_scheduler = new TickScheduler(
        targets.Hoxel, [this] { afterEngineStep(); }, this);
}

int Hoxel::twipsToPixels(int twips) const {
    return static_cast<int>(std::lround(twips * m_pixelsPerTwip));
}

QPoint Hoxel::twipsToScreen(WindowPosition position) const {
    const double perTwip = logicalDpiX() / kTwipsPerInch;
    return {static_cast<int>(std::lround(position.Left * perTwip)),
            static_cast<int>(std::lround(position.Top * perTwip))};
}

void Hoxel::layOut() {
    const int margin = twipsToPixels(kMarginTwips);
    const int boxHeight = twipsToPixels(kBoxHeightTwips);
    const int gap = twipsToPixels(kGapTwips);
    const auto rowTop = [this](int row) { return twipsToPixels(kRowsTopTwips + row * kRowPitchTwips); };

    const int numberWidth =
        std::max(twipsToPixels(300), fontMetrics().horizontalAdvance(QStringLiteral("40")) + gap);
    const int boxWidth = twipsToPixels(kFieldBoxWidthTwips);
    const int columnWidth = numberWidth + gap + boxWidth + twipsToPixels(kColumnGapTwips);
    int columns = 1;
    int bottom = 0;
    for (auto& [field, row] : m_fields) {
        columns = std::max(columns, row.Column + 1);
        const int x = margin + row.Column * columnWidth;
        const int y = rowTop(row.Row);
        row.Number->setGeometry(x, y, numberWidth, boxHeight);
        row.Box->setGeometry(x + numberWidth + gap, y, boxWidth, boxHeight);
        bottom = std::max(bottom, y + boxHeight);
    }
    const int fieldsRight = margin + columns * columnWidth - twipsToPixels(kColumnGapTwips);

    const int buttonX = fieldsRight + twipsToPixels(kColumnGapTwips);
    int buttonWidth = twipsToPixels(kButtonWidthTwips);
    int shown = 0;
    for (int i = 1; i <= kStringButtons; ++i) {
        const auto at = static_cast<std::size_t>(i);
        if (m_stringRows[at] < 0)
            continue;
        buttonWidth = std::max(buttonWidth, m_stringButtons[at]->sizeHint().width());
        ++shown;
    }
    // The signal buttons take the row after the string buttons, sharing it when both show.
    const bool dtr = !m_dtrButton->isHidden();
    const bool brk = !m_breakButton->isHidden();
    if (dtr && brk)
        buttonWidth =
            std::max(buttonWidth,
                     2 * std::max(m_dtrButton->sizeHint().width(), m_breakButton->sizeHint().width()) + gap);
    else if (dtr || brk)
        buttonWidth = std::max(buttonWidth, (dtr ? m_dtrButton : m_breakButton)->sizeHint().width());
    for (int i = 1; i <= kStringButtons; ++i) {
        const auto at = static_cast<std::size_t>(i);
        if (m_stringRows[at] >= 0) {
            m_stringButtons[at]->setGeometry(buttonX, rowTop(m_stringRows[at]), buttonWidth, boxHeight);
            bottom = std::max(bottom, rowTop(m_stringRows[at]) + boxHeight);
        }
    }
    const int signalTop = rowTop(shown);
    if (dtr && brk) {
        const int half = (buttonWidth - gap) / 2;
        m_dtrButton->setGeometry(buttonX, signalTop, half, boxHeight);
        m_breakButton->setGeometry(buttonX + buttonWidth - half, signalTop, half, boxHeight);
    } else {
        m_dtrButton->setGeometry(buttonX, signalTop, buttonWidth, boxHeight);
        m_breakButton->setGeometry(buttonX, signalTop, buttonWidth, boxHeight);
    }
    if (dtr || brk)
        bottom = std::max(bottom, signalTop + boxHeight);
    const int buttonsRight = shown > 0 || dtr || brk ? buttonX + buttonWidth : fieldsRight;

    // The band above the rows: heading, record number and date/time.
    const int bandTop = twipsToPixels(kBandTopTwips);
    int x = margin;
    const auto place = [&](QWidget* widget, int width) {
        widget->setGeometry(x, bandTop, width, boxHeight);
        x += width + gap;
    };
    place(m_heading, m_heading->sizeHint().width());
    x += twipsToPixels(kColumnGapTwips);
    place(m_recordLabel, m_recordLabel->sizeHint().width());
    place(m_recordNumber, twipsToPixels(kRecordBoxWidthTwips));
    if (m_dateTimeShown) {
        x += twipsToPixels(kColumnGapTwips);
        place(m_dateTimeLabel, m_dateTimeLabel->sizeHint().width());
        place(m_dateTime,
              std::max(twipsToPixels(kDateBoxWidthTwips),
                       m_dateTime->fontMetrics().horizontalAdvance(m_dateTime->text()) + 2 * gap));
    }
    const int bandRight = x - gap;
    bottom = std::max(bottom, bandTop + boxHeight);

    const int width = std::max(buttonsRight, bandRight) + margin;
    const int menuHeight = menuBar()->sizeHint().height();
    const int contentHeight = menuHeight + bottom + margin;
    const int height =
        m_heightTwips > 0 ? std::max(twipsToPixels(m_heightTwips), contentHeight) : contentHeight;
    setFixedSize(width, height);
}

void Hoxel::setCaption(std::string_view caption) {
    setWindowTitle(display(caption));
}

void Hoxel::setWindowPosition(WindowPosition position) {
    m_position = position;
    move(twipsToScreen(position));
}

WindowPosition Hoxel::windowPosition() const {
    if (!m_presented)
        return m_position;
    const double twipsPerPixel = kTwipsPerInch / logicalDpiX();
    return {pos().x() * twipsPerPixel, pos().y() * twipsPerPixel};
}

void Hoxel::setWindowHeight(int twips) {
    m_heightTwips = twips;
    layOut();
}

void Hoxel::setMinimized(bool minimized) {
    m_minimized = minimized;
    if (!m_presented)
        return;
    if (!minimized) {
        showNormal();
        raise();
        activateWindow();
    } else if (m_tray) {
        hide();
    } else {
        showMinimized();
    }
}

bool Hoxel::isMinimized() const {
    if (!m_presented)
        return m_minimized;
    return QWidget::isMinimized() || isHidden();
}

void Hoxel::setAlwaysOnTop(bool onTop) {
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    if (visible)
        show();
}

void Hoxel::clearFieldBoxes() {
    for (auto& [field, row] : m_fields) {
        delete row.Number;
        delete row.Box;
    }
    m_fields.clear();
    m_fieldChanged.fill(false);
}

void Hoxel::addFieldBox(int field, std::string_view tag, int column, int row) {
    FieldRow& entry = m_fields[field];
    delete entry.Number;
    delete entry.Box;
    entry.Number = new QLabel(QString::number(field), m_area);
    entry.Number->setObjectName(QStringLiteral("FieldNumber_%1").arg(field));
    entry.Number->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    entry.Box = new ItemBox(display(tag), true, m_area);
    entry.Box->setObjectName(QStringLiteral("Field_%1").arg(field));
    connect(entry.Box, &ItemBox::editMenuRequested, this, &Hoxel::popUpEditMenu);
    entry.Column = column;
    entry.Row = row;
    entry.Number->show();
    entry.Box->show();
}

void Hoxel::setFieldText(int field, std::string_view text) {
    if (field < 1 || field > kMaxFieldBoxes)
        return;
    const auto at = static_cast<std::size_t>(field);
    m_pendingFields[at].assign(text);
    m_fieldChanged[at] = true;
    m_anyFieldChanged = true;
    scheduleTexts();
}

void Hoxel::setRecordNumber(std::string_view text) {
    m_pendingRecordNumber.assign(text);
    m_recordNumberChanged = true;
    scheduleTexts();
}

void Hoxel::scheduleTexts() {
    if (m_textsScheduled)
        return;
    m_textsScheduled = true;
    if (!m_texts) {
        m_texts = new QTimer(this);
        m_texts->setSingleShot(true);
        connect(m_texts, &QTimer::timeout, this, &Hoxel::showTexts);
    }
    // Texts not due yet are shown after the first engine step that finds them due, in the pause
    // before the device's next bytes; the timer shows them when no step comes.
    const qint64 wait = msUntilTexts();
    m_texts->start(static_cast<int>(wait == 0 ? 0 : wait + kTextsLateMs));
}

qint64 Hoxel::msUntilTexts() const {
    return m_sinceTexts.isValid() ? std::max<qint64>(m_textIntervalMs - m_sinceTexts.elapsed(), 0) : 0;
}

void Hoxel::showTexts() {
    m_textsScheduled = false;
    m_texts->stop();
    m_sinceTexts.restart();
    if (m_anyFieldChanged) {
        m_anyFieldChanged = false;
        for (auto& [field, row] : m_fields) {
            const auto at = static_cast<std::size_t>(field);
            if (!m_fieldChanged[at])
                continue;
            m_fieldChanged[at] = false;
            row.Box->setText(shown(m_pendingFields[at]));
        }
    }
    if (m_recordNumberChanged) {
        m_recordNumberChanged = false;
        m_recordNumber->setText(shown(m_pendingRecordNumber));
    }
}

void Hoxel::setDateTimeText(std::string_view text) {
    m_dateTime->setText(shown(text));
}

void Hoxel::setDateTimeVisible(bool visible) {
    m_dateTimeShown = visible;
    m_dateTime->setVisible(visible);
    m_dateTimeLabel->setVisible(visible);
    layOut();
}

QAction* Hoxel::engineAction(EngineMenu menu) const {
    switch (menu) {
    case EngineMenu::SuspendMenu:
        return m_suspend;
    case EngineMenu::Resume1:
        return m_resume1;
    case EngineMenu::TOutCtrl:
        return m_timedOutput;
    }
    return m_suspend;
}

void Hoxel::setMenuCaption(EngineMenu menu, std::string_view caption) {
    engineAction(menu)->setText(display(caption));
}

void Hoxel::setMenuVisible(EngineMenu menu, bool visible) {
    engineAction(menu)->setVisible(visible);
}

void Hoxel::setStringButton(int index, std::string_view caption, bool visible, int row) {
    if (index < 1 || index > kStringButtons)
        return;
    const auto at = static_cast<std::size_t>(index);
    MouseButton* button = m_stringButtons[at];
    // "&" is the button caption's own character, not an access key.
    button->setText(display(caption).replace(QLatin1Char('&'), QStringLiteral("&&")));
    button->setVisible(visible);
    m_stringRows[at] = visible ? row : -1;
    layOut();
}

void Hoxel::setSignalButtons(bool dtrVisible, bool breakVisible) {
    m_dtrButton->setVisible(dtrVisible);
    m_breakButton->setVisible(breakVisible);
    layOut();
}

void Hoxel::addTrayIcon(std::string_view tip) {
    if (m_tray || !QSystemTrayIcon::isSystemTrayAvailable())
        return;
    m_tray = new QSystemTrayIcon(windowIcon(), this);
    m_tray->setObjectName(QStringLiteral("TrayIcon"));
    m_tray->setToolTip(display(tip));
    m_tray->setContextMenu(m_popup);
    connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::DoubleClick)
            showAbout();
    });
    m_tray->show();
}

void Hoxel::removeTrayIcon() {
    delete m_tray;
    m_tray = nullptr;
}

void Hoxel::closeWindow() {
    // Never inside the handler that asked: the close runs from the event loop.
    QMetaObject::invokeMethod(
        this, [this] { close(); }, Qt::QueuedConnection);
}

void Hoxel::present() {
    m_presented = true;
    if (!m_minimized)
        show();
    else if (!m_tray)
        showMinimized();
}

void Hoxel::startTimer1(std::function<int()> portDescriptor) {
    if (m_scheduler)
        m_scheduler->start(std::move(portDescriptor));
}

void Hoxel::runTick() {
    if (m_scheduler)
        m_scheduler->tick();
}

void Hoxel::afterEngineStep() {
    if (m_textsScheduled && msUntilTexts() == 0)
        showTexts();
    if (m_closePending) {
        m_closePending = false;
        close();
    }
}

void Hoxel::closeEvent(QCloseEvent* event) {
    if (m_scheduler && m_scheduler->busy()) {
        m_closePending = true;
        event->ignore();
        return;
    }
    if (m_targets && !m_targets->Hoxel.closed())
        m_targets->Hoxel.Form_Unload();
    if (m_scheduler)
        m_scheduler->stop();
    event->accept();
    emit unloaded();
}

void Hoxel::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    // A minimized window lives on as the tray icon only, where there is one to bring it back.
    if (event->type() == QEvent::WindowStateChange && QWidget::isMinimized() && m_tray && m_tray->isVisible())
        QTimer::singleShot(0, this, &QWidget::hide);
}

void Hoxel::editCopy() {
    auto* box = qobject_cast<ItemBox*>(focusWidget());
    if (!box || !m_targets)
        return;
    m_targets->Bridge.copyLink(box->tag().toStdString());
}

void Hoxel::popUpEditMenu(QPoint where) {
    m_editMenu->popup(where);
}

void Hoxel::updateEditMenu() {
    if (!m_targets)
        return;
    const DdeEditMenu state = m_targets->Bridge.links().editMenu();
    const std::array<bool, 6> enabled{state.DDEPaste,       state.DDERefresh,       state.DDEKill,
                                      state.DDEPasteBuffer, state.DDERefreshBuffer, state.DDEKillBuffer};
    for (std::size_t i = 0; i < enabled.size(); ++i)
        m_linkActions[i]->setEnabled(enabled[i]);
}

void Hoxel::focusMoved(QWidget* now) {
    if (!now || !isAncestorOf(now))
        return;
    if (qobject_cast<ItemBox*>(now))
        m_editCopy->setEnabled(true);
    else if (qobject_cast<QPushButton*>(now))
        m_editCopy->setEnabled(false);
}

void Hoxel::showAbout() {
    ShowAboutBox(this, m_about ? m_about() : AboutInfo{});
}

void Hoxel::openFromTray() {
    if (isMinimized()) {
        m_minimized = false;
        showNormal();
    }
    raise();
    activateWindow();
}

} // namespace quorvane
