#pragma once
// GetAKey: the keystroke picker, which builds one keystroke macro from a key and modifiers.

#include <QDialog>

#include "config/Configuration.h"
#include "setup/widgets/PickerResults.h"

class QCheckBox;
class QListWidget;

namespace quorvane {

/// The keystroke picker. OK writes PickerResults::KeyText (KeystrokePickResult) and sets
/// ConfigChanged; Cancel empties it; both clear the modifiers.
class GetAKey : public QDialog {
    Q_OBJECT
public:
    GetAKey(Configuration& config, PickerResults& results, QWidget* parent = nullptr);

    /// Shows or removes the first row, "NUL", and positions the list on the first row.
    void setNulRowShown(bool shown);

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
