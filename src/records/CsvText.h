#pragma once
// Delimited text as RFC 4180 writes it: CR LF line ends, fields quoted when they must be. With a tab
// as separator it is the text spreadsheets paste.

#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

/// One field: quoted, its quotes doubled, when it holds the separator, a quote, a CR or a LF (or
/// starts or ends with a blank, which readers would trim); as it is otherwise. UTF-8 passes as is.
std::string CsvField(std::string_view text, char separator = ',');

/// Appends one line of fields, separated and ended by CR LF.
void AppendCsvLine(std::string& out, const std::vector<std::string>& fields, char separator = ',');

} // namespace quorvane
