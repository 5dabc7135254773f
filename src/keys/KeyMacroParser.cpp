#include "keys/KeyMacroParser.h"

#include "keys/KeyNames.h"

#include <optional>

namespace quorvane {
namespace {

// A repeat count this large cannot fit in any item list; saturating keeps the arithmetic safe for
// any number of digits.
constexpr std::size_t kCountCeiling = kMaxSplitKeyItems + 1;

// Where a top-level element starts: its text position and the items that came before it.
struct Boundary {
    std::size_t Position = 0;
    std::size_t Items = 0;
};

// Groups and modifiers nest without limit, so the parser keeps its own stack rather than
// recursing: a text of a million "(" must not exhaust the call stack.
enum class Frame : std::uint8_t { Group, Shift, Control, Alt };

std::uint16_t modifierCode(Frame frame) {
    switch (frame) {
    case Frame::Shift:
        return vk::kShift;
    case Frame::Control:
        return vk::kControl;
    case Frame::Alt:
        return vk::kAlt;
    case Frame::Group:
        break;
    }
    return vk::kNone;
}

class Parser {
public:
    Parser(std::string_view text, const KeyLayout& layout, std::size_t itemLimit)
        : m_text(text), m_layout(layout), m_itemLimit(itemLimit) {}

    ParsedKeyMacro run() {
        ParsedKeyMacro result;
        result.Error = parseAll();
        result.Items = std::move(m_items);
        result.Untypeable = m_untypeable;
        return result;
    }

    // Between top-level elements no modifier is held, so the text can be cut there and each
    // piece typed on its own.
    KeyMacroPieces split() {
        KeyMacroPieces result;
        result.Error = parseAll();
        if (result.Error != keymacro::kOk)
            return result;
        result.Untypeable = m_untypeable;
        Boundary start;
        Boundary last;
        for (const Boundary& next : m_boundaries) {
            if (next.Items - start.Items > kMaxKeyItems && last.Position > start.Position) {
                result.Pieces.push_back(m_text.substr(start.Position, last.Position - start.Position));
                start = last;
            }
            // One element alone needs more items than a piece holds.
            if (next.Items - start.Items > kMaxKeyItems) {
                result.Error = keymacro::kTooManyKeyItems;
                result.Pieces.clear();
                return result;
            }
            last = next;
        }
        if (last.Position > start.Position || result.Pieces.empty())
            result.Pieces.push_back(m_text.substr(start.Position, last.Position - start.Position));
        return result;
    }

private:
    std::int16_t parseAll() {
        while (true) {
            // Between elements: close finished groups, or start the next element.
            if (!m_frames.empty() && m_frames.back() == Frame::Group) {
                if (atEnd())
                    return keymacro::kUnclosedGroup;
                if (m_text[m_pos] == ')') {
                    ++m_pos;
                    m_frames.pop_back();
                    if (const std::int16_t error = finishElement())
                        return error;
                    continue;
                }
            } else if (m_frames.empty()) {
                m_boundaries.push_back({m_pos, m_items.size()});
                if (atEnd())
                    return keymacro::kOk;
            }
            if (const std::int16_t error = startElement())
                return error;
        }
    }

    // Parses the element at m_pos up to where it is complete, or pushes the frame that it opens.
    std::int16_t startElement() {
        if (atEnd()) {
            // Only a modifier at the very end gets here: it applies to nothing.
            return finishElement();
        }
        const char c = m_text[m_pos];
        switch (c) {
        case '{': {
            if (const std::int16_t error = parseBraces())
                return error;
            return finishElement();
        }
        case '(':
            ++m_pos;
            m_frames.push_back(Frame::Group);
            return keymacro::kOk;
        case '~':
            ++m_pos;
            if (!append(vk::kEnter))
                return keymacro::kTooManyKeyItems;
            return finishElement();
        case '+':
        case '^':
        case '%': {
            ++m_pos;
            const Frame frame = c == '+' ? Frame::Shift : c == '^' ? Frame::Control : Frame::Alt;
            if (!append(modifierCode(frame)))
                return keymacro::kTooManyKeyItems;
            m_frames.push_back(frame);
            return keymacro::kOk;
        }
        default:
            ++m_pos;
            if (!appendKey(strokeOf(static_cast<unsigned char>(c)), 1))
                return keymacro::kTooManyKeyItems;
            return finishElement();
        }
    }

    // An element is complete: every modifier waiting for it releases, innermost first.
    std::int16_t finishElement() {
        while (!m_frames.empty() && m_frames.back() != Frame::Group) {
            if (!append(modifierCode(m_frames.back())))
                return keymacro::kTooManyKeyItems;
            m_frames.pop_back();
        }
        return keymacro::kOk;
    }

    // "{name}" or "{name count}"; "{}}" names the "}" key.
    std::int16_t parseBraces() {
        const std::size_t nameStart = m_pos + 1;
        std::size_t scan = nameStart;
        if (scan < m_text.size() && m_text[scan] == '}')
            ++scan;
        const std::size_t nameEnd = m_text.find_first_of("} ", scan);
        if (nameEnd == std::string_view::npos)
            return keymacro::kUnclosedBrace;

        const std::string_view name = m_text.substr(nameStart, nameEnd - nameStart);
        std::optional<KeyStroke> stroke;
        if (name.size() == 1) {
            stroke = strokeOf(static_cast<unsigned char>(name[0]));
        } else if (auto code = keyCodeOfName(name)) {
            stroke = KeyStroke{*code, 0};
        }
        if (!stroke)
            return keymacro::kUnknownKeyName;

        std::size_t count = 1;
        std::size_t close = nameEnd;
        if (m_text[nameEnd] == ' ') {
            count = 0;
            for (std::size_t i = nameEnd + 1; i < m_text.size() && isDigit(m_text[i]); ++i)
                count = std::min(count * 10 + static_cast<std::size_t>(m_text[i] - '0'), kCountCeiling);
            if (count == 0)
                return keymacro::kZeroRepeatCount;
            // "{LEFT 5" ends without a brace after the count.
            close = m_text.find('}', nameEnd + 1);
            if (close == std::string_view::npos)
                return keymacro::kUnclosedBrace;
        }
        if (!appendKey(*stroke, count))
            return keymacro::kTooManyKeyItems;
        m_pos = close + 1;
        return keymacro::kOk;
    }

    // A character without a key types "no key" with Shift around it, as the layout call's
    // all-ones answer reads.
    // A character that shows a glyph yet types nothing is noted, so that the caller can tell the
    // text would not come out as written.
    KeyStroke strokeOf(unsigned char c) {
        if (auto stroke = m_layout.keyForCharacter(c))
            return *stroke;
        if (!m_untypeable && showsGlyph(c))
            m_untypeable = c;
        return KeyStroke{vk::kNone, shiftstate::kShift};
    }

    // The bytes of the code page (Windows-1252) other than control codes, delete and its five
    // unassigned bytes.
    static bool showsGlyph(unsigned char c) {
        return c >= 0x20 && c != 0x7F && c != 0x81 && c != 0x8D && c != 0x8F && c != 0x90 && c != 0x9D;
    }

    // Control and Alt in a character's shift state are not pressed: only the Shift level is typed.
    bool appendKey(const KeyStroke& stroke, std::size_t count) {
        const bool shifted = (stroke.ShiftState & shiftstate::kShift) != 0;
        if (shifted && !append(vk::kShift))
            return false;
        for (std::size_t i = 0; i < count; ++i)
            if (!append(stroke.VirtualKey))
                return false;
        return !shifted || append(vk::kShift);
    }

    bool append(std::uint16_t code) {
        if (m_items.size() >= m_itemLimit)
            return false;
        m_items.push_back(code);
        return true;
    }

    bool atEnd() const { return m_pos >= m_text.size(); }
    static bool isDigit(char c) { return c >= '0' && c <= '9'; }

    std::string_view m_text;
    const KeyLayout& m_layout;
    std::size_t m_itemLimit;
    std::size_t m_pos = 0;
    KeyItems m_items;
    std::vector<Frame> m_frames;
    std::vector<Boundary> m_boundaries;
    std::optional<unsigned char> m_untypeable;
};

} // namespace

ParsedKeyMacro parseKeyMacro(std::string_view text, const KeyLayout& layout) {
    return Parser(text, layout, kMaxKeyItems).run();
}

KeyMacroPieces splitKeyMacro(std::string_view text, const KeyLayout& layout) {
    return Parser(text, layout, kMaxSplitKeyItems).split();
}

} // namespace quorvane
