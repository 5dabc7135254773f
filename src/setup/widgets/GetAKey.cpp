#include "setup/widgets/GetAKey.h"
#include "setup/widgets/ListRows.h"

#include "config/CodePage.h"
#include "keys/KeyPickers.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QListWidget>
#include <QPushButton>

namespace quorvane {

GetAKey::GetAKey(Configuration& config, PickerResults& results, QWidget* parent)
    : QDialog(parent), m_config(config), m_results(results), m_list(new QListWidget(this)),
      m_alt(new QCheckBox("Alt (%)", this)), m_ctrl(new QCheckBox("Ctrl (^)", this)),
      m_shift(new QCheckBox("Shift (+)", this)) {
    setObjectName("GetAKey");
    setWindowTitle("Select Keystroke:");
    m_list->setObjectName("KeyList");
    m_alt->setObjectName("Alt");
    m_ctrl->setObjectName("Ctrl");
    m_shift->setObjectName("Shift");
    for (const auto& row : KeystrokeRows())
        m_list->addItem(QString::fromStdString(BytesToUtf8(row)));
    m_list->setCurrentRow(0);
    ShowRows(*m_list);
    auto* ok = new QPushButton("&OK", this);
    ok->setObjectName("OKButton");
    ok->setDefault(true);
    auto* cancel = new QPushButton("&Cancel", this);
    cancel->setObjectName("CancelButton");
    auto* layout = new QGridLayout(this);
    layout->addWidget(m_list, 0, 0, 5, 1);
    layout->addWidget(m_alt, 0, 1);
    layout->addWidget(m_ctrl, 1, 1);
    layout->addWidget(m_shift, 2, 1);
    layout->addWidget(ok, 3, 1);
    layout->addWidget(cancel, 4, 1);
    connect(ok, &QPushButton::clicked, this, &GetAKey::accept);
    connect(cancel, &QPushButton::clicked, this, &GetAKey::reject);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &GetAKey::accept);
}

void GetAKey::setNulRowShown(bool shown) {
    const bool present = m_list->count() > 0 && m_list->item(0)->text() == "NUL";
    if (shown && !present)
        m_list->insertItem(0, "NUL");
    else if (!shown && present)
        delete m_list->takeItem(0);
    m_list->setCurrentRow(0);
}

void GetAKey::accept() {
    m_config.ConfigChanged = kTrue;
    const QListWidgetItem* item = m_list->currentItem();
    const std::string row = item ? Utf8ToBytes(item->text().toStdString()) : std::string();
    m_results.KeyText =
        KeystrokePickResult(row, {m_alt->isChecked(), m_ctrl->isChecked(), m_shift->isChecked()});
    clearModifiers();
    QDialog::accept();
}

void GetAKey::reject() {
    m_results.KeyText.clear();
    clearModifiers();
    QDialog::reject();
}

void GetAKey::clearModifiers() {
    m_alt->setChecked(false);
    m_ctrl->setChecked(false);
    m_shift->setChecked(false);
}

} // namespace quorvane
