#pragma once
// Delim: the delimiter character and the number of fields of a delimited record.

#include <QDialog>

#include "config/Configuration.h"
#include "platform/UserPrompts.h"

namespace quorvane {

class ColumnList;
class DigitBox;

/// The delimited-record dialog. Continue stores FieldDelimiter and FieldCount (2..40) or refuses them.
class Delim : public QDialog {
    Q_OBJECT
public:
    Delim(Configuration& config, UserPrompts& prompts, QWidget* parent = nullptr);
    /// Fills the box from FieldCount and positions the list on FieldDelimiter.
    void load();

private:
    void accept() override;

    Configuration& m_config;
    UserPrompts& m_prompts;
    DigitBox* m_count;
    ColumnList* m_delimiters;
};

} // namespace quorvane
