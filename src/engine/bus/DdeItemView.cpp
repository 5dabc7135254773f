#include "engine/bus/DdeItemView.h"

#include <algorithm>
#include <array>

namespace quorvane {

namespace {

bool sameName(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

} // namespace

std::string FieldItemName(int field) {
    return "Field(" + std::to_string(field) + ")";
}

bool DdeItemView::update(std::string& text, std::string_view value) {
    // Without a server the text is only kept for requests and copied links: nothing to compare.
    if (m_server == nullptr) {
        text.assign(value);
        return false;
    }
    // Clients are advised of changes only, as a text box notifies its links.
    if (text == value)
        return false;
    text = value;
    return true;
}

void DdeItemView::change(std::string& text, std::string_view item, std::string_view value) {
    if (update(text, value))
        m_server->advise(item, value);
}

void DdeItemView::changeField(int field, std::string_view value) {
    // Fields change with every record: their names are made once.
    static const std::array<std::string, kMaxFieldItems + 1> kNames = [] {
        std::array<std::string, kMaxFieldItems + 1> names;
        for (int n = 1; n <= kMaxFieldItems; ++n)
            names[static_cast<std::size_t>(n)] = FieldItemName(n);
        return names;
    }();
    const auto index = static_cast<std::size_t>(field);
    if (update(m_fields[index], value))
        m_server->advise(kNames[index], value);
}

void DdeItemView::clearFieldBoxes() {
    m_hasBox.fill(false);
    m_window.clearFieldBoxes();
}

void DdeItemView::addFieldBox(int field, std::string_view tag, int column, int row) {
    m_window.addFieldBox(field, tag, column, row);
    if (field < 1 || field > kMaxFieldItems)
        return;
    const auto index = static_cast<std::size_t>(field);
    m_hasBox[index] = true;
    changeField(field, "");
}

void DdeItemView::setFieldText(int field, std::string_view text) {
    m_window.setFieldText(field, text);
    // A missing box leaves its item unchanged.
    if (field < 1 || field > kMaxFieldItems || !m_hasBox[static_cast<std::size_t>(field)])
        return;
    changeField(field, text);
}

void DdeItemView::setRecordNumber(std::string_view text) {
    m_window.setRecordNumber(text);
    change(m_recordNumber, kRecordNumberItem, text);
}

void DdeItemView::setDateTimeText(std::string_view text) {
    m_window.setDateTimeText(text);
    change(m_dateTime, kDateTimeItem, text);
}

std::optional<std::string> DdeItemView::itemText(std::string_view item) const {
    if (sameName(item, kRecordNumberItem))
        return m_recordNumber;
    if (sameName(item, kDateTimeItem))
        return m_dateTime;
    for (int n = 1; n <= kMaxFieldItems; ++n) {
        const auto index = static_cast<std::size_t>(n);
        if (m_hasBox[index] && sameName(item, FieldItemName(n)))
            return m_fields[index];
    }
    return std::nullopt;
}

std::vector<std::string> DdeItemView::itemNames() const {
    std::vector<std::string> names;
    for (int n = 1; n <= kMaxFieldItems; ++n)
        if (m_hasBox[static_cast<std::size_t>(n)])
            names.push_back(FieldItemName(n));
    names.emplace_back(kRecordNumberItem);
    names.emplace_back(kDateTimeItem);
    return names;
}

} // namespace quorvane
