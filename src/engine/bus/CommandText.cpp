#include "engine/bus/CommandText.h"

#include "expr/TextPicture.h"

namespace quorvane {

std::string UpperCodePage(std::string_view text) {
    std::string upper(text);
    for (char& c : upper)
        c = upperByte(c);
    return upper;
}

CommandText NormaliseCommand(std::string_view received) {
    // Only blanks are trimmed: a control character at either end belongs to the command.
    const std::size_t first = received.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    const std::size_t last = received.find_last_not_of(' ');
    CommandText text;
    text.Typed = received.substr(first);
    text.Upper = UpperCodePage(received.substr(first, last - first + 1));

    const std::size_t closing = text.Upper.find_last_of("}]");
    if (closing != std::string::npos)
        text.Upper.resize(closing + 1);
    if (text.Upper.front() == '[')
        text.Upper.front() = '{';
    if (text.Upper.back() == ']')
        text.Upper.back() = '}';
    return text;
}

std::optional<std::string_view> MatchCommand(const CommandText& text, std::string_view pattern,
                                             CommandForm form, ArgumentCase argumentCase) {
    const std::string_view upper = text.Upper;
    if (form == CommandForm::Bare)
        return upper == pattern ? std::optional<std::string_view>(std::string_view()) : std::nullopt;
    if (!upper.starts_with(pattern))
        return std::nullopt;
    const std::size_t closing = form == CommandForm::Parenthesised ? 2 : 1;
    if (upper.size() <= pattern.size() + closing)
        return std::nullopt;
    const std::size_t length = upper.size() - pattern.size() - closing;
    const std::string_view source = argumentCase == ArgumentCase::Upper ? upper : text.Typed;
    return source.substr(pattern.size(), length);
}

} // namespace quorvane
