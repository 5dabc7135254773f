#include "engine/output/OutputTranslation.h"

namespace quorvane {

OutputTranslation::OutputTranslation() {
    for (int c = 0; c < kCharCodes; ++c)
        setEntry(static_cast<unsigned char>(c), std::string(1, static_cast<char>(c)));
}

void OutputTranslation::setEntry(unsigned char c, std::string text) {
    m_drops[c] = text.size() == 1 && text[0] == '\0';
    m_changed -= m_identity[c] ? 0 : 1;
    m_identity[c] = text.size() == 1 && static_cast<unsigned char>(text[0]) == c;
    m_changed += m_identity[c] ? 0 : 1;
    m_entries[c] = std::move(text);
}

OutputTranslation OutputTranslation::ForMode(const Settings& settings) {
    OutputTranslation table;
    // A table text shorter than 256 characters (a damaged file) keeps the mode's default for the
    // missing codes rather than reading past its end.
    if (settings.OutputMode == 1) {
        const std::string fallback = DefaultDdeTranslation();
        for (std::size_t c = 0; c < kCharCodes; ++c) {
            const char ch = c < settings.DdeTranslation.size() ? settings.DdeTranslation[c] : fallback[c];
            table.setEntry(static_cast<unsigned char>(c), std::string(1, ch));
        }
    } else if (settings.OutputMode == 2) {
        for (std::size_t c = 0; c < kCharCodes; ++c) {
            const char ch =
                c < settings.LogTranslation.size() ? settings.LogTranslation[c] : static_cast<char>(c);
            table.setEntry(static_cast<unsigned char>(c), std::string(1, ch));
        }
    } else {
        for (std::size_t c = 0; c < kCharCodes; ++c) {
            const std::string& text = settings.KeystrokeTranslation[c];
            table.setEntry(static_cast<unsigned char>(c), text == "NUL" ? std::string(1, '\0') : text);
        }
    }
    return table;
}

void OutputTranslation::translate(std::string& text) const {
    if (m_changed == 0)
        return;
    std::size_t i = 0;
    while (i < text.size() && m_identity[static_cast<unsigned char>(text[i])])
        ++i;
    if (i == text.size())
        return;
    std::string out(text, 0, i);
    for (; i < text.size(); ++i)
        out += m_entries[static_cast<unsigned char>(text[i])];
    text = std::move(out);
}

} // namespace quorvane
