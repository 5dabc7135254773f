#pragma once
// Fixed: the total length of a fixed-length record.

#include <QDialog>

#include "config/Configuration.h"
#include "platform/UserPrompts.h"

namespace quorvane {

class DigitBox;

/// The fixed-length-record dialog. Continue stores RecordLength (1..32766) or refuses it.
class Fixed : public QDialog {
    Q_OBJECT
public:
    Fixed(Configuration& config, UserPrompts& prompts, QWidget* parent = nullptr);
    /// Fills the box from RecordLength.
    void load();

private:
    void accept() override;

    Configuration& m_config;
    UserPrompts& m_prompts;
    DigitBox* m_length;
};

} // namespace quorvane
