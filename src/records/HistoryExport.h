#pragma once
// The history's texts as the window shows them and as they leave it: cells, CSV, copied selections.

#include "records/RecordHistory.h"

#include <string>
#include <vector>

namespace quorvane {

/// Column 0 is the completion time, column 1 the record number, column 1 + n field n.
constexpr int kHistoryFieldColumn = 2;

/// "Time", "Record", "Field 1" ... "Field n".
std::vector<std::string> HistoryHeader(int fieldCount);

/// One cell as UTF-8: the time, the record number, or the field's bytes through the code page (empty
/// past the record's last field).
std::string HistoryCell(const HistoryRow& row, int column);

/// One cell as the table shows it: as HistoryCell, but a field's bytes in the program's display form
/// (every byte a visible character of its own). Copies and exports use HistoryCell.
std::string HistoryDisplayCell(const HistoryRow& row, int column);

/// Every kept record, oldest first, under the header row: RFC 4180, UTF-8.
std::string HistoryCsv(const RecordHistory& history);

/// Cells as tab-separated lines (quoted where a cell holds a tab, a quote or a line end).
std::string TabSeparated(const std::vector<std::vector<std::string>>& rows);

} // namespace quorvane
