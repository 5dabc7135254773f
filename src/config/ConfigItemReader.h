#pragma once
// Reads the items of a configuration file: number items, text lines, counted strings, raw bytes.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quorvane {

/// What separates a counted string's count from its bytes. The older layouts were written both ways.
enum class CountSeparator {
    /// Exactly one blank, comma or line end, so that a string may begin with blanks.
    One,
    /// As after any number item: the blanks, then one comma or one line end.
    NumberItem,
};

/// A cursor over the bytes of a configuration file. Every read returns nullopt (and leaves the
/// cursor where the item began) when the item is missing or cannot be read. Lines may end in
/// CR LF, LF or a lone CR.
class ConfigItemReader {
public:
    explicit ConfigItemReader(std::string_view bytes, std::size_t position = 0)
        : m_bytes(bytes), m_pos(position) {}

    /// A number item: blanks and line ends skipped, an optionally signed decimal integer that ends at
    /// a blank, a comma or a line end, then the blanks after it and one comma or one line end.
    std::optional<std::int64_t> number();
    /// A number item that must lie in [low, high].
    std::optional<std::int64_t> number(std::int64_t low, std::int64_t high);
    /// A text item: the rest of the current line; its line end is consumed. nullopt at the end.
    std::optional<std::string> line();
    /// A counted string: a count, its separator, then exactly that many bytes; one line end right
    /// after the bytes is consumed as well.
    std::optional<std::string> counted(CountSeparator separator = CountSeparator::One);
    /// Exactly `count` bytes.
    std::optional<std::string> raw(std::size_t count);
    /// One byte.
    std::optional<char> byte();
    /// Skips the rest of the current line and its line end.
    void skipLine();

    std::size_t position() const { return m_pos; }
    /// The bytes from the cursor to the end.
    std::string_view remaining() const { return m_bytes.substr(m_pos); }
    bool atEnd() const { return m_pos >= m_bytes.size(); }
    /// Number of line ends before the cursor, plus one: for messages about damaged files.
    std::size_t lineNumber() const { return lineNumberAt(m_pos); }
    /// The line number of a byte offset.
    std::size_t lineNumberAt(std::size_t position) const;

private:
    /// Reads the digits of a number item without consuming what follows it.
    std::optional<std::int64_t> numberToken();
    /// Consumes one line end at the cursor, if there is one.
    void consumeLineEnd();
    bool atLineEnd() const;

    std::string_view m_bytes;
    std::size_t m_pos;
};

/// The leading integer of a text after blanks (an optional sign, then digits); 0 when there is none
/// and nullopt when it does not fit 32 bits.
std::optional<std::int32_t> leadingInteger(std::string_view text);

} // namespace quorvane
