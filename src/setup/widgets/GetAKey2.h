#pragma once
// GetAKey2: the hot key picker: a key of the key table with modifiers.

#include <QDialog>

#include "config/Configuration.h"
#include "setup/widgets/PickerResults.h"

class QCheckBox;
class QListWidget;

namespace quorvane {

/// The hot key picker. OK writes PickerResults::KeyText and HotKeyWord (HotKeyPickResult) and sets
/// ConfigChanged; Cancel empties the text; both clear the modifiers.
class GetAKey2 : public QDialog {
    Q_OBJECT
public:
    GetAKey2(Configuration& config, PickerResults& results, QWidget* parent = nullptr);

private:
    void accept() override;
    void reject() override;
    void clearModifiers();

    Configuration& m_config;
    PickerResults& m_results;
    QListWidget* m_list;
    QCheckBox* m_alt;
    QCheckBox* m_ctrl;
    QCheckBox* m_shift;
};

} // namespace quorvane
