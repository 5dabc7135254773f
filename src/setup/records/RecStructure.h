#pragma once
// RecStructure: single field, delimited fields or fixed-length fields.

#include <QDialog>

#include "config/Configuration.h"

class QButtonGroup;

namespace quorvane {

/// The record structure dialog. Continue stores RecordStructure with its structure rules.
class RecStructure : public QDialog {
    Q_OBJECT
public:
    explicit RecStructure(Configuration& config, QWidget* parent = nullptr);
    /// Selects the option of RecordStructure.
    void load();

private:
    void accept() override;

    Configuration& m_config;
    QButtonGroup* m_options;
};

} // namespace quorvane
