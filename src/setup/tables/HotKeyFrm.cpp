#include "setup/tables/HotKeyFrm.h"

#include "config/CodePage.h"
#include "keys/KeyPickers.h"
#include "setup/records/DialogSupport.h"
#include "setup/tables/HotKeyCapture.h"
#include "setup/widgets/CharEntryBox.h"
#include "setup/widgets/PickerHost.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>

namespace quorvane {

namespace {

constexpr int kHelpTopic = 390;
constexpr const char* kKeystrokeListCaption = "&Keystroke List...";
constexpr const char* kAsciiChartCaption = "&ASCII Chart...";

std::size_t slot(int index) {
    return static_cast<std::size_t>(index);
}

QString keyText(std::int16_t keyWord) {
    return QString::fromStdString(HotKeyText(keyWord));
}

} // namespace

HotKeyBox::HotKeyBox(QWidget* parent) : QLineEdit(parent) {
    setContextMenuPolicy(Qt::NoContextMenu);
    setAcceptDrops(false);
}

bool HotKeyBox::event(QEvent* event) {
    // Every key is one to capture here: Tab is no focus move, Alt+O no button's shortcut.
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    if (event->type() == QEvent::KeyPress) {
        keyPressEvent(static_cast<QKeyEvent*>(event));
        return true;
    }
    return QLineEdit::event(event);
}

void HotKeyBox::keyPressEvent(QKeyEvent* event) {
    const auto mods = event->modifiers();
    const KeyModifiers modifiers{(mods & Qt::AltModifier) != 0, (mods & Qt::ControlModifier) != 0,
                                 (mods & Qt::ShiftModifier) != 0};
    if (auto word = HotKeyWordOfKeyPress(event->key(), (mods & Qt::KeypadModifier) != 0, modifiers))
        emit keyPressed(*word);
    event->accept();
}

void HotKeyBox::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    selectAll();
}

void HotKeyBox::inputMethodEvent(QInputMethodEvent* event) {
    event->accept();
}

HotKeyFrm::HotKeyFrm(Configuration& config, UserPrompts& prompts, PickerHost& pickers, QWidget* parent)
    : QDialog(parent), m_config(config), m_prompts(prompts), m_pickers(pickers),
      m_copy(LoadHotKeyWorkingCopy(config)), m_numbers(new QListWidget(this)),
      m_actions(new QListWidget(this)), m_key(new HotKeyBox(this)),
      m_textLabel(new QLabel("Output String:", this)),
      m_text(new CharEntryBox(pickers.internalClipboard(), this)),
      m_keyList(namedButton("KeyListButton", "&Keystroke &List...", this)),
      m_ok(namedButton("OKButton", "&OK", this)), m_cancel(namedButton("CancelButton", "&Cancel", this)) {
    setObjectName("HotKeyFrm");
    setWindowTitle("Hot Keys and Hot Key Actions ");
    setProperty(kHelpTopicProperty, kHelpTopic);
    m_numbers->setObjectName("HKNumList");
    m_actions->setObjectName("HKActionList");
    m_key->setObjectName("HKKey");
    m_textLabel->setObjectName("Text1Label");
    m_text->setObjectName("Text1");
    m_textLabel->setBuddy(m_text);
    m_ok->setDefault(true);
    m_loading = true;
    for (int i = 1; i <= kHotKeyCount; ++i)
        m_numbers->addItem(QString::number(i));
    for (auto name : HotKeyActionNames())
        m_actions->addItem(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
    m_loading = false;

    auto* actionLabel = new QLabel("Hot Key &Action:", this);
    actionLabel->setBuddy(m_actions);
    auto* keyLabel = new QLabel("Hot Key &Keystroke:", this);
    keyLabel->setBuddy(m_key);
    m_numbers->setMaximumWidth(m_numbers->fontMetrics().horizontalAdvance("00000") + 40);
    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel("Hot Key:", this), 0, 0);
    layout->addWidget(actionLabel, 0, 1);
    layout->addWidget(m_numbers, 1, 0, 5, 1);
    layout->addWidget(m_actions, 1, 1);
    layout->addWidget(keyLabel, 2, 1);
    layout->addWidget(m_key, 3, 1);
    layout->addWidget(m_textLabel, 4, 1);
    layout->addWidget(m_text, 5, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_keyList);
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    layout->addLayout(buttons, 6, 0, 1, 2);
    layout->setColumnStretch(1, 1);
    m_actions->setMinimumHeight(m_actions->sizeHintForRow(0) * kHotKeyActionCount + 4);
    // The key list button is shown for the key box and the output string; keeping its place stops
    // the layout from jumping when it appears.
    QSizePolicy keep = m_keyList->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    m_keyList->setSizePolicy(keep);
    m_keyList->hide();

    connect(m_numbers, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!m_loading && row >= 0)
            showHotKey(row);
    });
    connect(m_actions, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!m_loading && row >= 0)
            actionChosen(row);
    });
    connect(m_key, &HotKeyBox::keyPressed, this, &HotKeyFrm::setKey);
    connect(m_text, &CharEntryBox::edited, this,
            [this] { m_copy.String[slot(m_index)] = m_text->storedText(); });
    connect(m_keyList, &QPushButton::clicked, this, &HotKeyFrm::keyListClicked);
    connect(m_ok, &QPushButton::clicked, this, &HotKeyFrm::accept);
    connect(m_cancel, &QPushButton::clicked, this, &HotKeyFrm::reject);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { focusChanged(now); });

    m_numbers->setCurrentRow(0);
}

void HotKeyFrm::showHotKey(int index) {
    m_index = std::clamp(index, 0, kHotKeyCount - 1);
    m_loading = true;
    const int action = m_copy.Action[slot(m_index)];
    m_actions->setCurrentRow(action >= 0 && action < kHotKeyActionCount ? action : -1);
    m_text->setStoredText(m_copy.String[slot(m_index)]);
    m_key->setText(keyText(m_copy.Key[slot(m_index)]));
    m_loading = false;
    m_text->setVisible(action == 1);
    m_textLabel->setVisible(action == 1);
    m_key->setEnabled(action != 0);
}

void HotKeyFrm::actionChosen(int action) {
    m_copy.Action[slot(m_index)] = static_cast<std::int16_t>(action);
    m_text->setVisible(action == 1);
    m_textLabel->setVisible(action == 1);
    m_key->setEnabled(action != 0);
    m_keyList->hide();
}

bool HotKeyFrm::setKey(std::int16_t keyWord) {
    if (auto holder = HotKeyTakenBy(m_copy, m_index, keyWord)) {
        refuseInput(m_prompts, HotKeyTakenMessage(HotKeyText(keyWord), *holder), "Hot Key In Use", m_key);
        m_key->setText(keyText(m_copy.Key[slot(m_index)]));
        return false;
    }
    m_copy.Key[slot(m_index)] = keyWord;
    m_key->setText(keyText(keyWord));
    return true;
}

void HotKeyFrm::keyListClicked() {
    if (m_asciiMode) {
        const std::string picked = m_pickers.pickAscii(kHelpTopic);
        if (!picked.empty())
            m_text->insertPicked(picked);
        activateWindow();
        m_text->setFocus(Qt::OtherFocusReason);
        return;
    }
    const std::string picked = m_pickers.pickHotKey(kHelpTopic);
    activateWindow();
    m_key->setFocus(Qt::OtherFocusReason);
    if (!picked.empty())
        setKey(m_pickers.results().HotKeyWord);
}

void HotKeyFrm::focusChanged(QWidget* now) {
    if (!now || now->window() != this)
        return;
    if (now == m_key) {
        m_asciiMode = false;
        m_keyList->setText(kKeystrokeListCaption);
        m_keyList->show();
    } else if (now == m_text) {
        m_asciiMode = true;
        m_keyList->setText(kAsciiChartCaption);
        m_keyList->show();
    } else if (now == m_actions || now == m_ok || now == m_cancel) {
        m_keyList->hide();
    }
}

void HotKeyFrm::accept() {
    StoreHotKeys(m_config, m_copy);
    QDialog::accept();
}

} // namespace quorvane
