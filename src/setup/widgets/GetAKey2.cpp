#include "setup/widgets/GetAKey2.h"
#include "setup/widgets/ListRows.h"

#include "keys/KeyPickers.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QListWidget>
#include <QPushButton>

namespace quorvane {

GetAKey2::GetAKey2(Configuration& config, PickerResults& results, QWidget* parent)
    : QDialog(parent), m_config(config), m_results(results), m_list(new QListWidget(this)),
      m_alt(new QCheckBox("Alt (%)", this)), m_ctrl(new QCheckBox("Ctrl (^)", this)),
      m_shift(new QCheckBox("Shift (+)", this)) {
    setObjectName("GetAKey2");
    setWindowTitle("Select Hot Key");
    m_list->setObjectName("KeyList");
    m_alt->setObjectName("Alt");
    m_ctrl->setObjectName("Ctrl");
    m_shift->setObjectName("Shift");
    for (const auto& key : KeyTable())
        m_list->addItem(QString::fromUtf8(key.Name.data(), static_cast<qsizetype>(key.Name.size())));
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
    connect(ok, &QPushButton::clicked, this, &GetAKey2::accept);
    connect(cancel, &QPushButton::clicked, this, &GetAKey2::reject);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &GetAKey2::accept);
}

void GetAKey2::accept() {
    m_config.ConfigChanged = kTrue;
    const int row = std::max(m_list->currentRow(), 0);
    const HotKeyPick pick = HotKeyPickResult(static_cast<std::size_t>(row),
                                             {m_alt->isChecked(), m_ctrl->isChecked(), m_shift->isChecked()});
    m_results.KeyText = pick.Text;
    m_results.HotKeyWord = pick.KeyWord;
    clearModifiers();
    QDialog::accept();
}

void GetAKey2::reject() {
    m_results.KeyText.clear();
    clearModifiers();
    QDialog::reject();
}

void GetAKey2::clearModifiers() {
    m_alt->setChecked(false);
    m_ctrl->setChecked(false);
    m_shift->setChecked(false);
}

} // namespace quorvane
