#include "setup/records/RecDefs.h"

#include "config/CodePage.h"
#include "config/ConfigLimits.h"
#include "config/RecordRules.h"
#include "setup/records/DialogSupport.h"
#include "setup/widgets/CharEntryBox.h"
#include "setup/widgets/DigitBox.h"
#include "setup/widgets/PickerHost.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

namespace quorvane {

namespace {

constexpr int kKeystrokeTopic = 300;
constexpr int kAsciiChartTopic = 320;
// The preamble and postamble boxes' topics by output mode: keystrokes, DDE server, log to disk.
constexpr int kMacroBoxTopics[] = {300, 310, 320};
constexpr const char* kLengthTitle = "Field Length Error";

QString utf8(const std::string& bytes) {
    return QString::fromStdString(BytesToUtf8(bytes));
}

std::string bytes(const QString& text) {
    return Utf8ToBytes(text.toStdString());
}

QLabel* namedLabel(const char* name, const QString& caption, QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    if (name)
        label->setObjectName(name);
    return label;
}

} // namespace

RecDefs::RecDefs(Configuration& config, UserPrompts& prompts, PickerHost& pickers, QWidget* parent)
    : QDialog(parent), m_config(config), m_prompts(prompts), m_pickers(pickers),
      m_fieldName(namedLabel("FieldName", "1", this)), m_filter(new QComboBox(this)),
      m_lengthLabel(namedLabel("LengthLabel", "Length", this)), m_length(new DigitBox(this)),
      m_expression(new QLineEdit(this)), m_format(new QComboBox(this)),
      m_preambleLabel(namedLabel("PreambleLabel", "", this)),
      m_preamble(new CharEntryBox(pickers.internalClipboard(), this)),
      m_postambleLabel(namedLabel("PostambleLabel", "", this)),
      m_postamble(new CharEntryBox(pickers.internalClipboard(), this)),
      m_defLabel1(namedLabel("DefLabel1", "Bytes Defined:", this)),
      m_bytesDefined(namedLabel("BytesDefined", "0", this)), m_defLabel2(namedLabel("DefLabel2", "of", this)),
      m_bytesOf(namedLabel("BytesOf", "0", this)), m_prev(namedButton("PrevButton", "Previous Field", this)),
      m_next(namedButton("NextButton", "Next Field", this)),
      m_keyButton(namedButton("KeyButton", "&Keystroke List...", this)),
      m_asciiButton(namedButton("AsciiButton", "&ASCII Chart...", this)),
      m_ok(namedButton("OkButton", "OK", this)), m_cancel(namedButton("CancelButton", "Cancel", this)) {
    setObjectName("RecDefs");
    SetHelpTopic(this, kRecordChainTopic);
    m_filter->setObjectName("FilterTypes");
    // A drop-down list: each entry carries its code. A field with a code the list does not offer
    // (H, O, B from a file) gets a fourth entry while it is shown, so its filter is kept unless changed.
    for (const char code : std::string_view("CIN")) {
        const std::string caption = FilterCaption(std::string(1, code));
        m_filter->addItem(QString::fromStdString(caption), QString(QChar::fromLatin1(code)));
    }
    m_length->setObjectName("FieldLength");
    m_expression->setObjectName("FieldExpression");
    m_format->setObjectName("FieldFormat");
    m_format->setEditable(true);
    m_format->setInsertPolicy(QComboBox::NoInsert);
    m_format->addItems({"General Number", "Currency", "Fixed", "Standard", "Percent", "Scientific", "Yes/No",
                        "True/False", "On/Off"});
    m_preamble->setObjectName("PreambleMacro");
    m_lengthLabel->setBuddy(m_length);
    m_preambleLabel->setBuddy(m_preamble);
    m_postambleLabel->setBuddy(m_postamble);
    m_postamble->setObjectName("FieldMacro");
    m_ok->setDefault(true);

    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel("Field", this), 0, 0);
    layout->addWidget(boxLabel("Input Filter", m_filter, this), 0, 1);
    layout->addWidget(m_lengthLabel, 0, 2);
    layout->addWidget(m_fieldName, 1, 0);
    layout->addWidget(m_filter, 1, 1);
    layout->addWidget(m_length, 1, 2);
    layout->addWidget(boxLabel("Math Expression", m_expression, this), 2, 0, 1, 3);
    layout->addWidget(m_expression, 3, 0, 1, 3);
    layout->addWidget(boxLabel("Format Expression", m_format, this), 4, 0, 1, 3);
    layout->addWidget(m_format, 5, 0, 1, 3);
    layout->addWidget(m_preambleLabel, 6, 0, 1, 3);
    layout->addWidget(m_preamble, 7, 0, 1, 3);
    layout->addWidget(m_postambleLabel, 8, 0, 1, 3);
    layout->addWidget(m_postamble, 9, 0, 1, 3);
    auto* bytesRow = new QHBoxLayout;
    for (QWidget* w : {m_defLabel1, m_bytesDefined, m_defLabel2, m_bytesOf})
        bytesRow->addWidget(w);
    bytesRow->addStretch();
    layout->addLayout(bytesRow, 10, 0, 1, 3);
    auto* fieldButtons = new QHBoxLayout;
    for (QWidget* w : {m_prev, m_next})
        fieldButtons->addWidget(w);
    fieldButtons->addStretch();
    for (QWidget* w : {m_keyButton, m_asciiButton})
        fieldButtons->addWidget(w);
    layout->addLayout(fieldButtons, 11, 0, 1, 3);
    auto* closeButtons = new QHBoxLayout;
    closeButtons->addStretch();
    closeButtons->addWidget(m_ok);
    closeButtons->addWidget(m_cancel);
    layout->addLayout(closeButtons, 12, 0, 1, 3);
    layout->setColumnStretch(1, 1);
    setMinimumWidth(480);

    connect(m_filter, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!m_loading && index >= 0)
            m_copy.Filter[static_cast<std::size_t>(m_field)] = bytes(m_filter->itemData(index).toString());
    });
    connect(m_expression, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (!m_loading)
            m_copy.Expression[static_cast<std::size_t>(m_field)] = bytes(text);
    });
    connect(m_format, &QComboBox::currentTextChanged, this, [this](const QString& text) {
        if (!m_loading)
            m_copy.Format[static_cast<std::size_t>(m_field)] = bytes(text);
    });
    connect(m_postamble, &CharEntryBox::edited, this,
            [this] { m_copy.Postamble[static_cast<std::size_t>(m_field)] = m_postamble->storedText(); });
    connect(m_preamble, &CharEntryBox::edited, this, [this] { m_config.ConfigChanged = kTrue; });
    connect(m_length, &QLineEdit::textChanged, this, &RecDefs::lengthTyped);
    m_length->onFocus = [this] {
        if (m_length->text().isEmpty())
            m_length->setText("0");
    };
    m_length->installEventFilter(this);
    connect(m_next, &QPushButton::clicked, this, &RecDefs::nextField);
    connect(m_prev, &QPushButton::clicked, this, &RecDefs::previousField);
    connect(m_keyButton, &QPushButton::clicked, this,
            [this] { insertIntoTarget(m_pickers.pickKeystroke(kKeystrokeTopic)); });
    connect(m_asciiButton, &QPushButton::clicked, this,
            [this] { insertIntoTarget(m_pickers.pickAscii(kAsciiChartTopic)); });
    connect(m_ok, &QPushButton::clicked, this, &RecDefs::accept);
    connect(m_cancel, &QPushButton::clicked, this, &RecDefs::reject);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { focusChanged(now); });
}

RecDefs::~RecDefs() = default;

void RecDefs::prepare(bool bytesDefined, bool prevNext) {
    m_prompts.setWaitCursor(true);
    m_preamble->setStoredText(m_config.RecordPreamble);
    m_pickers.setKeystrokeNulRow(false);
    m_copy = LoadFieldWorkingCopy(m_config);

    const bool fixedFields = m_config.RecordStructure == 2;
    m_lengthLabel->setVisible(fixedFields);
    m_length->setVisible(fixedFields);
    for (QWidget* w : {m_defLabel1, m_bytesDefined, m_defLabel2, m_bytesOf})
        w->setVisible(bytesDefined);
    m_bytesOf->setText(QString::number(m_config.RecordLength));
    m_prev->setVisible(prevNext);
    m_next->setVisible(prevNext);

    const int mode = m_config.OutputMode;
    static const char* const captions[] = {"Input Record Definition Editor - Send Keystrokes Mode",
                                           "Input Record Definition Editor - DDE Server Mode",
                                           "Input Record Definition Editor - Log To Disk Mode"};
    setWindowTitle(captions[std::clamp(mode, 0, 2)]);
    for (QWidget* box : {static_cast<QWidget*>(m_preamble), static_cast<QWidget*>(m_postamble)})
        SetHelpTopic(box, kMacroBoxTopics[std::clamp(mode, 0, 2)]);
    const bool macros = mode != 1;
    for (QWidget* w : {static_cast<QWidget*>(m_preamble), static_cast<QWidget*>(m_preambleLabel),
                       static_cast<QWidget*>(m_postamble), static_cast<QWidget*>(m_postambleLabel)})
        w->setVisible(macros);
    // In keystroke mode the preamble shows on field 1 only; its rows keep their space on the other
    // fields, so that nothing below it moves while the user steps through the fields.
    for (QWidget* w : {static_cast<QWidget*>(m_preamble), static_cast<QWidget*>(m_preambleLabel)}) {
        QSizePolicy policy = w->sizePolicy();
        policy.setRetainSizeWhenHidden(mode == 0);
        w->setSizePolicy(policy);
    }
    m_keyButton->setVisible(mode == 0);
    m_asciiButton->setVisible(mode == 2);
    m_preambleLabel->setText(mode == 0 ? "Record Preamble Keystrokes" : "Record Preamble Characters");
    m_postambleLabel->setText(mode == 0 ? "Field Postamble Keystrokes" : "Field Postamble Characters");
    m_keyButton->setEnabled(false);
    m_asciiButton->setEnabled(false);
    m_target = nullptr;

    showField(1);
    m_prompts.setWaitCursor(false);
}

void RecDefs::showField(int n) {
    m_field = std::clamp(n, 1, kMaxFields);
    const auto f = static_cast<std::size_t>(m_field);
    m_loading = true;
    if (m_config.OutputMode == 0) {
        m_preamble->setVisible(m_field == 1);
        m_preambleLabel->setVisible(m_field == 1);
    }
    m_prev->setEnabled(m_field > 1);
    m_next->setEnabled(m_field < m_config.FieldCount);
    while (m_filter->count() > static_cast<int>(std::size(kFilterCaptions)))
        m_filter->removeItem(m_filter->count() - 1);
    if (auto index = FilterListIndex(m_copy.Filter[f])) {
        m_filter->setCurrentIndex(*index);
    } else {
        m_filter->addItem(utf8(FilterCaption(m_copy.Filter[f])), utf8(m_copy.Filter[f]));
        m_filter->setCurrentIndex(m_filter->count() - 1);
    }
    m_length->setText(QString::number(m_copy.Length[f]));
    m_lastLength = m_length->text();
    m_expression->setText(utf8(m_copy.Expression[f]));
    m_format->setEditText(utf8(m_copy.Format[f]));
    m_postamble->setStoredText(m_copy.Postamble[f]);
    m_fieldName->setText(QString::number(m_field));
    m_bytesDefined->setText(QString::number(SumOfFieldLengths(m_copy)));
    m_loading = false;
    applyNextRule();
}

void RecDefs::applyNextRule() {
    if (m_config.EndOfRecordEvent == 2)
        m_next->setEnabled(FixedRecordNextEnabled(m_config, m_copy, m_field));
}

void RecDefs::lengthTyped() {
    if (m_loading)
        return;
    const FieldLengthChange change = FieldLengthTyped(m_config, m_length->text().toStdString());
    if (change.Refusal) {
        // The box goes back to the length it holds, so what is shown is what is stored.
        m_loading = true;
        m_length->setText(m_lastLength);
        m_loading = false;
        refuseInput(m_prompts, *change.Refusal, kLengthTitle, m_length);
        return;
    }
    m_lastLength = m_length->text();
    if (change.Store) {
        m_copy.Length[static_cast<std::size_t>(m_field)] = *change.Store;
        m_bytesDefined->setText(QString::number(SumOfFieldLengths(m_copy)));
    }
    applyNextRule();
}

void RecDefs::nextField() {
    if (m_config.RecordStructure == 2) {
        if (auto message = CheckFieldLength(LeadingNumber(m_length->text().toStdString()))) {
            refuseInput(m_prompts, *message, kLengthTitle, m_length);
            return;
        }
    }
    applyNextRule();
    showField(m_field + 1);
}

void RecDefs::previousField() {
    if (m_field > 1)
        showField(m_field - 1);
    m_next->setEnabled(m_field < m_config.FieldCount);
    m_prev->setEnabled(m_field > 1);
}

void RecDefs::focusChanged(QWidget* now) {
    if (!now || now->window() != this || now == m_keyButton || now == m_asciiButton)
        return;
    if (now == m_preamble || now == m_postamble) {
        m_target = static_cast<CharEntryBox*>(now);
        m_keyButton->setEnabled(true);
        m_asciiButton->setEnabled(true);
    } else if (now == m_ok || now == m_cancel) {
        m_keyButton->setEnabled(false);
    } else {
        m_keyButton->setEnabled(false);
        m_asciiButton->setEnabled(false);
    }
}

void RecDefs::insertIntoTarget(const std::string& text) {
    if (!m_target)
        return;
    if (!text.empty())
        m_target->insertPicked(text);
    m_target->setFocus(Qt::OtherFocusReason);
}

bool RecDefs::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_length && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            m_postamble->setFocus(Qt::OtherFocusReason);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void RecDefs::accept() {
    if (auto message = CommitFieldDefinitions(m_config, m_copy, m_preamble->storedText())) {
        refuseInput(m_prompts, *message, kLengthTitle, m_length);
        return;
    }
    finish();
    QDialog::accept();
}

void RecDefs::reject() {
    finish();
    QDialog::reject();
}

void RecDefs::finish() {
    m_pickers.setKeystrokeNulRow(true);
    showField(1);
    if (m_preamble->isVisible())
        m_preamble->setFocus(Qt::OtherFocusReason);
}

} // namespace quorvane
