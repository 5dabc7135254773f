#pragma once
// AsciiChart: picks one character of the 256, or one of the rows the pre-input window puts on top.

#include <string>
#include <vector>

#include <QDialog>

#include "config/Configuration.h"
#include "setup/widgets/PickerResults.h"

namespace quorvane {

class ColumnList;

/// A character list's row as a list shows it: the tabs between its columns kept, every other byte in
/// display form, so a control character is its visible sign and a CR or LF does not break the row.
QString CharacterListText(const std::string& row);

/// The ASCII chart dialog. OK (or a double click) writes PickerResults::AsciiText and sets
/// ConfigChanged; Cancel empties it.
class AsciiChart : public QDialog {
    Q_OBJECT
public:
    AsciiChart(Configuration& config, PickerResults& results, QWidget* parent = nullptr);

    /// Rows shown above the 256 characters, in order (none outside the pre-input window).
    void setExtraRows(std::vector<std::string> rows);

private:
    void accept() override;
    void reject() override;
    void fill();

    Configuration& m_config;
    PickerResults& m_results;
    std::vector<std::string> m_extra;
    ColumnList* m_list;
};

} // namespace quorvane
