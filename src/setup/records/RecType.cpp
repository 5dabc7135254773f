#include "setup/records/RecType.h"

#include "config/RecordRules.h"
#include "setup/records/DialogSupport.h"
#include "setup/widgets/CharEntryBox.h"
#include "setup/widgets/PickerHost.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QRadioButton>

namespace quorvane {

namespace {

constexpr int kAsciiChartTopic = 320;

QGroupBox* optionFrame(const QString& title, const QString& name, const char* const (&captions)[4],
                       QButtonGroup* group, CharEntryBox* box, QWidget* parent) {
    auto* frame = new QGroupBox(title, parent);
    auto* layout = new QGridLayout(frame);
    for (int i = 0; i < 4; ++i) {
        auto* option = new QRadioButton(captions[i], frame);
        option->setObjectName(QStringLiteral("%1_%2").arg(name).arg(i));
        group->addButton(option, i);
        layout->addWidget(option, i, 0);
    }
    layout->addWidget(box, 3, 1);
    layout->setColumnStretch(1, 1);
    return frame;
}

} // namespace

RecType::RecType(Configuration& config, UserPrompts& prompts, PickerHost& pickers, QWidget* parent)
    : QDialog(parent), m_config(config), m_prompts(prompts), m_pickers(pickers),
      m_start(new QButtonGroup(this)), m_end(new QButtonGroup(this)),
      m_text1(new CharEntryBox(pickers.internalClipboard(), this)),
      m_text2(new CharEntryBox(pickers.internalClipboard(), this)),
      m_chart(namedButton("Command1", "&ASCII Chart...", this)),
      m_ok(namedButton("RectypeOkButton", "Continue...", this)),
      m_cancel(namedButton("RectypeCancelButton", "Cancel", this)) {
    setObjectName("RecType");
    SetHelpTopic(this, kRecordChainTopic);
    setWindowTitle("Start and End Of Record Events");
    setAttribute(Qt::WA_DeleteOnClose, false);
    m_text1->setObjectName("Text1");
    m_text2->setObjectName("Text2");
    const char* const startCaptions[4] = {"Any Character Received", "Alpha/Numeric Char Received",
                                          "Numeric Char Received", "Special Char Received:"};
    const char* const endCaptions[4] = {"Carriage Return or CrLf Received", "Time Delay Between Records",
                                        "Fixed number of Bytes Received", "Special Char Received:"};
    auto* startFrame =
        optionFrame("Start Of Record Event", "StartOfRec", startCaptions, m_start, m_text1, this);
    auto* endFrame = optionFrame("End Of Record Event", "RecTypeSel", endCaptions, m_end, m_text2, this);
    m_ok->setDefault(true);
    auto* layout = new QGridLayout(this);
    layout->addWidget(startFrame, 0, 0, 1, 3);
    layout->addWidget(endFrame, 1, 0, 1, 3);
    layout->addWidget(m_chart, 2, 0);
    layout->addWidget(m_ok, 2, 1);
    layout->addWidget(m_cancel, 2, 2);

    if (auto* b = m_start->button(m_config.StartOfRecordEvent))
        b->setChecked(true);
    if (auto* b = m_end->button(m_config.EndOfRecordEvent))
        b->setChecked(true);
    m_text1->setStoredText(m_config.StartOfRecordChars);
    m_text2->setStoredText(m_config.EndOfRecordChars);

    // The boxes were made before the options: without this they would come first and take the focus on
    // opening, which selects special characters.
    QWidget* previous = nullptr;
    for (QWidget* w : std::initializer_list<QWidget*>{m_start->button(0), m_start->button(1),
                                                      m_start->button(2), m_start->button(3), m_text1,
                                                      m_end->button(0), m_end->button(1), m_end->button(2),
                                                      m_end->button(3), m_text2, m_chart, m_ok, m_cancel}) {
        if (previous)
            setTabOrder(previous, w);
        previous = w;
    }
    if (QAbstractButton* checked = m_start->checkedButton())
        checked->setFocus(Qt::OtherFocusReason);
    for (QAbstractButton* b : m_start->buttons() + m_end->buttons())
        b->installEventFilter(this);
    for (QWidget* w : {static_cast<QWidget*>(m_text1), static_cast<QWidget*>(m_text2),
                       static_cast<QWidget*>(m_ok), static_cast<QWidget*>(m_cancel)})
        w->installEventFilter(this);
    connect(m_text1, &CharEntryBox::edited, this, [this] { m_config.ConfigChanged = kTrue; });
    connect(m_text2, &CharEntryBox::edited, this, [this] { m_config.ConfigChanged = kTrue; });
    connect(m_chart, &QPushButton::clicked, this, &RecType::showAsciiChart);
    connect(m_ok, &QPushButton::clicked, this, &RecType::accept);
    connect(m_cancel, &QPushButton::clicked, this, &RecType::reject);
}

bool RecType::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        const bool isText1 = watched == m_text1;
        if (isText1 || watched == m_text2) {
            m_lastBox = isText1 ? 1 : 2;
            (isText1 ? m_start : m_end)->button(3)->setChecked(true);
            m_chart->setEnabled(true);
        } else if (watched == m_ok || watched == m_cancel) {
            m_chart->setEnabled(false);
        } else if (auto* option = qobject_cast<QAbstractButton*>(watched)) {
            const bool start = m_start->id(option) >= 0;
            const int id = start ? m_start->id(option) : m_end->id(option);
            CharEntryBox* box = start ? m_text1 : m_text2;
            if (id == 3 && box->isVisible())
                box->setFocus(Qt::OtherFocusReason);
            else if (id != 3)
                m_chart->setEnabled(false);
        }
    } else if (event->type() == QEvent::KeyPress && (watched == m_text1 || watched == m_text2)) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            QAbstractButton* option =
                (watched == m_text1 ? m_start : m_end)->button(key == Qt::Key_Up ? 2 : 0);
            option->setChecked(true);
            option->setFocus(Qt::OtherFocusReason);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void RecType::showAsciiChart() {
    const std::string picked = m_pickers.pickAscii(kAsciiChartTopic);
    if (picked.empty())
        return;
    (m_lastBox == 1 ? m_text1 : m_text2)->insertPicked(picked);
}

void RecType::accept() {
    const RecordEvents events{
        static_cast<std::int16_t>(std::max(m_start->checkedId(), 0)), m_text1->storedText(),
        static_cast<std::int16_t>(std::max(m_end->checkedId(), 0)), m_text2->storedText()};
    if (auto refused = CheckRecordEvents(events)) {
        refuseInput(m_prompts, refused->Message, refused->Title, refused->Box == 1 ? m_text1 : m_text2);
        return;
    }
    StoreRecordEvents(m_config, events);
    QDialog::accept();
}

} // namespace quorvane
