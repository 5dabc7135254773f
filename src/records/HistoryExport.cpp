#include "records/HistoryExport.h"

#include "config/CodePage.h"
#include "config/DisplayText.h"
#include "records/CsvText.h"

namespace quorvane {

std::vector<std::string> HistoryHeader(int fieldCount) {
    std::vector<std::string> header{"Time", "Record"};
    for (int n = 1; n <= fieldCount; ++n)
        header.push_back("Field " + std::to_string(n));
    return header;
}

std::string HistoryCell(const HistoryRow& row, int column) {
    if (column == 0)
        return HistoryTimeText(row.Local);
    if (column == 1)
        return std::to_string(row.RecordNumber);
    const auto field = static_cast<std::size_t>(column - kHistoryFieldColumn);
    if (column < kHistoryFieldColumn || field >= row.Fields.size())
        return {};
    return BytesToUtf8(row.Fields[field]);
}

std::string HistoryDisplayCell(const HistoryRow& row, int column) {
    const auto field = static_cast<std::size_t>(column - kHistoryFieldColumn);
    if (column >= kHistoryFieldColumn && field < row.Fields.size())
        return BytesToDisplayUtf8(row.Fields[field]);
    return HistoryCell(row, column);
}

std::string HistoryCsv(const RecordHistory& history) {
    const int fields = history.widestRecord();
    const int columns = kHistoryFieldColumn + fields;
    std::string out;
    AppendCsvLine(out, HistoryHeader(fields));
    std::vector<std::string> cells(static_cast<std::size_t>(columns));
    for (std::size_t i = 0; i < history.size(); ++i) {
        for (int c = 0; c < columns; ++c)
            cells[static_cast<std::size_t>(c)] = HistoryCell(history.row(i), c);
        AppendCsvLine(out, cells);
    }
    return out;
}

std::string TabSeparated(const std::vector<std::vector<std::string>>& rows) {
    std::string out;
    for (const auto& row : rows)
        AppendCsvLine(out, row, '\t');
    return out;
}

} // namespace quorvane
