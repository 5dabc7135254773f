#include "config/ConfigItemReader.h"

#include <algorithm>

namespace quorvane {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
bool isLineEndChar(char c) {
    return c == '\r' || c == '\n';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Accepts an optional sign and 1..18 digits, so the value always fits 64 bits.
std::optional<std::int64_t> parseInteger(std::string_view token) {
    bool negative = false;
    if (!token.empty() && (token.front() == '-' || token.front() == '+')) {
        negative = token.front() == '-';
        token.remove_prefix(1);
    }
    if (token.empty() || token.size() > 18 || !std::all_of(token.begin(), token.end(), isDigit))
        return std::nullopt;
    std::int64_t value = 0;
    for (char c : token)
        value = value * 10 + (c - '0');
    return negative ? -value : value;
}

} // namespace

bool ConfigItemReader::atLineEnd() const {
    return m_pos < m_bytes.size() && isLineEndChar(m_bytes[m_pos]);
}

void ConfigItemReader::consumeLineEnd() {
    if (m_pos >= m_bytes.size())
        return;
    if (m_bytes[m_pos] == '\r') {
        ++m_pos;
        if (m_pos < m_bytes.size() && m_bytes[m_pos] == '\n')
            ++m_pos;
    } else if (m_bytes[m_pos] == '\n') {
        ++m_pos;
    }
}

std::optional<std::int64_t> ConfigItemReader::numberToken() {
    const std::size_t start = m_pos;
    while (m_pos < m_bytes.size() && (isBlank(m_bytes[m_pos]) || isLineEndChar(m_bytes[m_pos])))
        ++m_pos;
    std::size_t end = m_pos;
    while (end < m_bytes.size() && !isBlank(m_bytes[end]) && !isLineEndChar(m_bytes[end]) &&
           m_bytes[end] != ',')
        ++end;
    auto value = parseInteger(m_bytes.substr(m_pos, end - m_pos));
    if (!value) {
        m_pos = start;
        return std::nullopt;
    }
    m_pos = end;
    return value;
}

std::optional<std::int64_t> ConfigItemReader::number() {
    auto value = numberToken();
    if (!value)
        return std::nullopt;
    while (m_pos < m_bytes.size() && isBlank(m_bytes[m_pos]))
        ++m_pos;
    if (m_pos < m_bytes.size() && m_bytes[m_pos] == ',')
        ++m_pos;
    else
        consumeLineEnd();
    return value;
}

std::optional<std::int64_t> ConfigItemReader::number(std::int64_t low, std::int64_t high) {
    const std::size_t start = m_pos;
    auto value = number();
    if (!value || *value < low || *value > high) {
        m_pos = start;
        return std::nullopt;
    }
    return value;
}

std::optional<std::string> ConfigItemReader::line() {
    if (atEnd())
        return std::nullopt;
    std::size_t end = m_pos;
    while (end < m_bytes.size() && !isLineEndChar(m_bytes[end]))
        ++end;
    std::string text(m_bytes.substr(m_pos, end - m_pos));
    m_pos = end;
    consumeLineEnd();
    return text;
}

std::optional<std::string> ConfigItemReader::counted(CountSeparator separator) {
    const std::size_t start = m_pos;
    std::optional<std::int64_t> length;
    if (separator == CountSeparator::NumberItem) {
        length = number();
    } else {
        length = numberToken();
        if (length && m_pos < m_bytes.size() && (isBlank(m_bytes[m_pos]) || m_bytes[m_pos] == ','))
            ++m_pos;
        else if (length)
            consumeLineEnd();
    }
    if (!length || *length < 0 || static_cast<std::uint64_t>(*length) > m_bytes.size() - m_pos) {
        m_pos = start;
        return std::nullopt;
    }
    std::string text(m_bytes.substr(m_pos, static_cast<std::size_t>(*length)));
    m_pos += static_cast<std::size_t>(*length);
    consumeLineEnd();
    return text;
}

std::optional<std::string> ConfigItemReader::raw(std::size_t count) {
    if (count > m_bytes.size() - m_pos)
        return std::nullopt;
    std::string text(m_bytes.substr(m_pos, count));
    m_pos += count;
    return text;
}

std::optional<char> ConfigItemReader::byte() {
    if (atEnd())
        return std::nullopt;
    return m_bytes[m_pos++];
}

void ConfigItemReader::skipLine() {
    while (m_pos < m_bytes.size() && !isLineEndChar(m_bytes[m_pos]))
        ++m_pos;
    consumeLineEnd();
}

std::size_t ConfigItemReader::lineNumberAt(std::size_t position) const {
    std::size_t lines = 1;
    const std::size_t end = std::min(position, m_bytes.size());
    for (std::size_t i = 0; i < end; ++i) {
        if (m_bytes[i] == '\n' || (m_bytes[i] == '\r' && (i + 1 >= m_bytes.size() || m_bytes[i + 1] != '\n')))
            ++lines;
    }
    return lines;
}

std::optional<std::int32_t> leadingInteger(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    std::int64_t value = 0;
    for (; i < text.size() && isDigit(text[i]); ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > 2147483648LL)
            return std::nullopt;
    }
    value = negative ? -value : value;
    if (value > 2147483647LL)
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

} // namespace quorvane
