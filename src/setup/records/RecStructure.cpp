#include "setup/records/RecStructure.h"

#include "config/RecordRules.h"
#include "setup/records/DialogSupport.h"
#include "setup/widgets/HelpTopic.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QLabel>
#include <QRadioButton>

namespace quorvane {

RecStructure::RecStructure(Configuration& config, QWidget* parent)
    : QDialog(parent), m_config(config), m_options(new QButtonGroup(this)) {
    setObjectName("RecStructure");
    SetHelpTopic(this, kRecordChainTopic);
    setWindowTitle("Input Record Structure");
    auto* text =
        new QLabel("Please select the overall structure of the data records that you will be receiving "
                   "from your serial device.",
                   this);
    text->setWordWrap(true);
    auto* layout = new QGridLayout(this);
    layout->addWidget(text, 0, 0, 1, 2);
    const char* captions[] = {"Each data record contains a single data field",
                              "Each record contains multiple delimited data fields",
                              "Each record contains multiple fixed length data fields"};
    for (int i = 0; i < 3; ++i) {
        auto* option = new QRadioButton(captions[i], this);
        option->setObjectName(QStringLiteral("RecStrucSel_%1").arg(i));
        m_options->addButton(option, i);
        layout->addWidget(option, i + 1, 0, 1, 2);
    }
    auto* ok = namedButton("OKButton", "Continue...", this);
    auto* cancel = namedButton("CancelButton", "Cancel", this);
    ok->setDefault(true);
    layout->addWidget(ok, 4, 0);
    layout->addWidget(cancel, 4, 1);
    connect(ok, &QPushButton::clicked, this, &RecStructure::accept);
    connect(cancel, &QPushButton::clicked, this, &RecStructure::reject);
}

void RecStructure::load() {
    if (auto* option = m_options->button(m_config.RecordStructure))
        option->setChecked(true);
}

void RecStructure::accept() {
    StoreRecordStructure(m_config, static_cast<std::int16_t>(std::max(m_options->checkedId(), 0)));
    QDialog::accept();
}

} // namespace quorvane
