#include "config/ConvertedLineEnds.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace quorvane {

namespace {

// The search keeps one small counter per (position, line ends restored so far); a file that would
// need more is far from anything the program writes and is refused rather than searched.
constexpr std::size_t kMaxSearchStates = 16u * 1024 * 1024;

// The header and the first dozens of number lines, all of them short lines of the line part.
constexpr std::size_t kLineEndProbeBytes = 256;

bool isLineEndChar(char c) {
    return c == '\r' || c == '\n';
}

// Where the DdeTopic line may begin: the text after the raw block must be exactly two converted
// lines, a topic and a delay of plain digits. A file that ends at its raw block (as the oldest
// files of this layout do) is not restored: without those lines its end could fall anywhere.
struct TailStarts {
    std::size_t Low = 1;
    std::size_t High = 0; // empty range: no two-line tail fits
};

TailStarts tailStarts(std::string_view r, char lineEnd) {
    TailStarts starts;
    const std::size_t n = r.size();
    if (n == 0 || r[n - 1] != lineEnd)
        return starts;
    std::size_t e1 = n - 1;
    while (e1 > 0 && !isLineEndChar(r[e1 - 1]))
        --e1;
    if (e1 == 0 || r[e1 - 1] != lineEnd)
        return starts;
    --e1; // the topic line's end
    std::string_view delay = r.substr(e1 + 1, n - 1 - (e1 + 1));
    if (!delay.empty() && delay.front() == '-')
        delay.remove_prefix(1);
    if (!std::all_of(delay.begin(), delay.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return starts;
    std::size_t e0 = e1;
    while (e0 > 0 && !isLineEndChar(r[e0 - 1]))
        --e0;
    starts.Low = e0;
    starts.High = e1;
    return starts;
}

// What one converted line-end byte may have been: which of CR LF, the same byte alone, or (in a
// file converted to CR that holds no LF at all) a lone LF the converter turned into CR too.
struct Choices {
    bool Pair = false;
    bool Same = false;
    bool Other = false;
};

class Restorer {
public:
    Restorer(std::string_view r, std::size_t rawLength, LineEndStyle style)
        : m_r(r), m_length(rawLength), m_end(style == LineEndStyle::Cr ? '\r' : '\n'),
          m_noLf(style == LineEndStyle::Cr && r.find('\n') == std::string_view::npos),
          m_tail(tailStarts(r, m_end)) {
        m_pairsMax = static_cast<std::size_t>(std::count(r.begin(), r.end(), m_end));
        m_pairsMax = std::min(m_pairsMax, rawLength);
    }

    RestoredTail run(LineEndStyle style) {
        RestoredTail result;
        const std::size_t n = m_r.size();
        if (m_length > n + m_pairsMax) {
            result.Problem = ConvertedLineEndsProblem(style, "its byte strings are longer than what is left");
            return result;
        }
        if ((n + 1) > kMaxSearchStates / (m_pairsMax + 1)) {
            result.Problem =
                ConvertedLineEndsProblem(style, "it holds too many line ends to restore its byte "
                                                "strings");
            return result;
        }
        count();
        const std::uint8_t ways = at(0, 0);
        if (ways == 0) {
            result.Problem = ConvertedLineEndsProblem(style, "its byte strings no longer fit their lengths");
            return result;
        }
        if (ways > 1) {
            result.Problem =
                ConvertedLineEndsProblem(style, "its byte strings could be restored in more than one way");
            return result;
        }
        result.Bytes = rebuild();
        return result;
    }

private:
    Choices choicesAt(std::size_t p) const {
        Choices c;
        if (m_r[p] != m_end)
            return c;
        c.Pair = true;
        if (m_end == '\n') {
            // A CR before a lone LF would have made a pair, and been converted with it.
            c.Same = p == 0 || m_r[p - 1] != '\r';
        } else {
            c.Same = m_noLf || p + 1 >= m_r.size() || m_r[p + 1] != '\n';
            c.Other = m_noLf;
        }
        return c;
    }

    std::uint8_t& at(std::size_t p, std::size_t d) { return m_ways[p * (m_pairsMax + 1) + d]; }

    // Ways (counted up to 2) to finish the raw block and the tail from converted position p with d
    // pairs restored so far, so the original position is p + d.
    void count() {
        const std::size_t n = m_r.size();
        m_ways.assign((n + 1) * (m_pairsMax + 1), 0);
        for (std::size_t p = n + 1; p-- > 0;) {
            for (std::size_t d = 0; d <= m_pairsMax; ++d) {
                const std::size_t o = p + d;
                if (o > m_length)
                    break;
                if (o == m_length) {
                    at(p, d) = (p >= m_tail.Low && p <= m_tail.High) ? 1 : 0;
                    continue;
                }
                if (p == n)
                    continue;
                const Choices c = choicesAt(p);
                unsigned ways = 0;
                if (m_r[p] != m_end) {
                    ways = at(p + 1, d);
                } else {
                    if (c.Pair && d < m_pairsMax && o + 2 <= m_length)
                        ways += at(p + 1, d + 1);
                    if (c.Same)
                        ways += at(p + 1, d);
                    if (c.Other)
                        ways += at(p + 1, d);
                }
                at(p, d) = static_cast<std::uint8_t>(std::min(ways, 2u));
            }
        }
    }

    std::string rebuild() {
        std::string out;
        out.reserve(m_length + 64);
        std::size_t p = 0;
        std::size_t d = 0;
        while (p + d < m_length) {
            const Choices c = choicesAt(p);
            if (m_r[p] != m_end) {
                out += m_r[p];
            } else if (c.Pair && d < m_pairsMax && p + d + 2 <= m_length && at(p + 1, d + 1) != 0) {
                out += "\r\n";
                ++d;
            } else {
                out += c.Same ? m_end : '\n';
            }
            ++p;
        }
        const std::size_t topicEnd = m_tail.High;
        out.append(m_r.substr(p, topicEnd - p));
        out += "\r\n";
        out.append(m_r.substr(topicEnd + 1, m_r.size() - 1 - (topicEnd + 1)));
        out += "\r\n";
        return out;
    }

    std::string_view m_r;
    std::size_t m_length;
    char m_end;
    bool m_noLf;
    TailStarts m_tail;
    std::size_t m_pairsMax = 0;
    std::vector<std::uint8_t> m_ways;
};

} // namespace

LineEndStyle HeaderLineEnd(std::string_view bytes) {
    const std::size_t end = bytes.find_first_of("\r\n");
    if (end == std::string_view::npos || end + 1 >= bytes.size())
        return LineEndStyle::CrLf;
    if (bytes[end] == '\r' && bytes[end + 1] == '\n')
        return LineEndStyle::CrLf;
    // A converter leaves no CR LF among the short lines that follow; a file that still has them was
    // damaged some other way, and is read as written.
    if (bytes.substr(0, kLineEndProbeBytes).find("\r\n") != std::string_view::npos)
        return LineEndStyle::CrLf;
    return bytes[end] == '\r' ? LineEndStyle::Cr : LineEndStyle::Lf;
}

RestoredTail RestoreConvertedTail(std::string_view converted, std::size_t rawLength, LineEndStyle style) {
    if (style == LineEndStyle::CrLf)
        return {std::string(converted), {}};
    return Restorer(converted, rawLength, style).run(style);
}

std::string ConvertedLineEndsProblem(LineEndStyle style, std::string_view what) {
    return std::string("its line ends were converted from CR LF to ") +
           (style == LineEndStyle::Cr ? "CR" : "LF") + " and " + std::string(what) +
           "; take the file again from where it was copied, without converting line ends (with git: a "
           ".gitattributes line \"*.QV3 -text\")";
}

} // namespace quorvane
