#include "config/CharEntry.h"

#include <algorithm>
#include <array>

namespace quorvane {

namespace {

constexpr std::array<std::string_view, 32> kControlNames = {
    "NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS",  "HT",  "LF",
    "VT",  "FF",  "CR",  "SO",  "SI",  "DLE", "DC1", "DC2", "DC3", "DC4", "NAK",
    "SYN", "ETB", "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};

// A selection that reaches past the text is cut back to it, so a stale selection never throws.
EntryState clamped(const EntryState& state) {
    EntryState s = state;
    s.Start = std::min(s.Start, s.Text.size());
    s.Length = std::min(s.Length, s.Text.size() - s.Start);
    return s;
}

EntryState removeRange(const EntryState& s, std::size_t from, std::size_t count) {
    EntryState out;
    out.Text = s.Text.substr(0, from) + s.Text.substr(from + count);
    out.Start = from;
    return out;
}

} // namespace

std::string EntryDisplayForm(std::string_view bytes) {
    std::string shown(bytes);
    std::replace(shown.begin(), shown.end(), '\0', kNulShownAs);
    return shown;
}

std::string_view ControlCharName(int code) {
    if (code < 0 || code >= static_cast<int>(kControlNames.size()))
        return {};
    return kControlNames[static_cast<std::size_t>(code)];
}

std::string CharacterRow(int code, bool delimiterList) {
    std::string row = std::to_string(code) + "\t";
    if (code == 0)
        row += "NUL";
    else if (code == 9)
        row += "TAB";
    else if (delimiterList && code == 32)
        row += "SPACE";
    else if (delimiterList && code == 44)
        row += ",\tCOMMA";
    else
        row += static_cast<char>(code);
    if (code < 32 && (code > 0 || delimiterList))
        row += "\t" + std::string(ControlCharName(code));
    return row;
}

std::string AsciiChartPick(const std::vector<std::string>& extraRows, int row) {
    const int extra = static_cast<int>(extraRows.size());
    if (row < 0 || row >= extra + 256)
        return {};
    if (row < extra)
        return extraRows[static_cast<std::size_t>(row)];
    return std::string(1, static_cast<char>(row - extra));
}

EntryState ReplaceSelection(const EntryState& state, std::string_view inserted) {
    const EntryState s = clamped(state);
    EntryState out;
    out.Text = s.Text.substr(0, s.Start);
    out.Text += inserted;
    out.Text += s.Text.substr(s.Start + s.Length);
    out.Start = s.Start + inserted.size();
    return out;
}

EntryEdit EditEntry(const EntryState& state, const EntryKeyPress& press) {
    const EntryState s = clamped(state);
    const std::string selected = s.Text.substr(s.Start, s.Length);
    EntryEdit edit{s, std::nullopt, std::nullopt};
    switch (press.Key) {
    case EntryKey::Character:
        if (static_cast<unsigned char>(press.Byte) >= 32)
            edit.State = ReplaceSelection(s, std::string_view(&press.Byte, 1));
        break;
    case EntryKey::Backspace:
        if (s.Length > 0)
            edit.State = removeRange(s, s.Start, s.Length);
        else if (s.Start > 0)
            edit.State = removeRange(s, s.Start - 1, 1);
        break;
    case EntryKey::Enter:
        edit.State = ReplaceSelection(s, "\r\n");
        break;
    case EntryKey::Delete:
        if (s.Length > 0)
            edit.State = removeRange(s, s.Start, s.Length);
        else if (s.Start < s.Text.size())
            edit.State = removeRange(s, s.Start, 1);
        break;
    case EntryKey::CtrlDelete:
        if (s.Length == 0)
            edit.State = removeRange(s, s.Start, s.Text.size() - s.Start);
        break;
    case EntryKey::ShiftDelete:
        if (s.Length > 0) {
            edit.CopyToInternal = selected;
            edit.State = removeRange(s, s.Start, s.Length);
        } else if (s.Start > 0) {
            edit.State = removeRange(s, s.Start - 1, 1);
        }
        break;
    case EntryKey::Copy:
        edit.CopyToBoth = selected;
        break;
    case EntryKey::Cut:
        if (s.Length > 0) {
            edit.CopyToBoth = selected;
            edit.State = removeRange(s, s.Start, s.Length);
        }
        break;
    case EntryKey::SystemPaste:
        if (press.SystemClipboard)
            edit.State = ReplaceSelection(s, *press.SystemClipboard);
        break;
    case EntryKey::InternalPaste:
        edit.State = ReplaceSelection(s, press.InternalClipboard);
        break;
    case EntryKey::AltBackspace:
        break;
    }
    return edit;
}

} // namespace quorvane
