#include "records/CsvText.h"

namespace quorvane {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

} // namespace

std::string CsvField(std::string_view text, char separator) {
    const bool quote = text.find_first_of("\"\r\n") != std::string_view::npos ||
                       text.find(separator) != std::string_view::npos ||
                       (!text.empty() && (isBlank(text.front()) || isBlank(text.back())));
    if (!quote)
        return std::string(text);
    std::string out;
    out.reserve(text.size() + 2);
    out.push_back('"');
    for (const char c : text) {
        if (c == '"')
            out.push_back('"');
        out.push_back(c);
    }
    out.push_back('"');
    return out;
}

void AppendCsvLine(std::string& out, const std::vector<std::string>& fields, char separator) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out.push_back(separator);
        out += CsvField(fields[i], separator);
    }
    out += "\r\n";
}

} // namespace quorvane
