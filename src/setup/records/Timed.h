#pragma once
// Timed: the minimum gap between records, in clock ticks.

#include <QDialog>

#include "config/Configuration.h"
#include "platform/UserPrompts.h"

namespace quorvane {

class DigitBox;

/// The timed-input dialog. Continue stores TimeBetweenRecords (1..255) or refuses it.
class Timed : public QDialog {
    Q_OBJECT
public:
    Timed(Configuration& config, UserPrompts& prompts, QWidget* parent = nullptr);
    /// Fills the box from TimeBetweenRecords.
    void load();

private:
    void accept() override;

    Configuration& m_config;
    UserPrompts& m_prompts;
    DigitBox* m_ticks;
};

} // namespace quorvane
