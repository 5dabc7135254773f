#pragma once
// The text of a bus command as the interpreter matches it: trimmed, upper-cased, cut after the
// last closing bracket, square brackets read as braces.

#include <optional>
#include <string>
#include <string_view>

namespace quorvane {

/// A received command text in both of the forms the commands take their arguments from.
struct CommandText {
    /// Trimmed, in upper case, cut after the last "}" or "]", with "[" and "]" at the ends as braces.
    std::string Upper;
    /// The received text with leading blanks removed, in its own letter case; positions match Upper.
    std::string_view Typed;
};

/// Normalises a received command; an empty Upper means there is nothing to do.
CommandText NormaliseCommand(std::string_view received);

/// Upper case of every byte in the code page (Windows-1252), one byte for one, so every byte keeps
/// its position.
std::string UpperCodePage(std::string_view text);

/// How a command carries its argument.
enum class CommandForm {
    /// "{KEYWORD}", compared whole.
    Bare,
    /// "{KEYWORD(" argument ")}".
    Parenthesised,
    /// "{KEYWORD=" argument "}".
    Assignment,
};

/// Where the argument's letters come from.
enum class ArgumentCase { Upper, Typed };

/// Matches `text` against `pattern` ("{BEEP}", "{SEND(", "{TIMERSTRING="). Bare: nullopt unless the
/// whole text equals the pattern, else an empty argument. Otherwise nullopt unless the text starts
/// with the pattern and leaves at least one argument character before the closing, whose characters
/// (")}" or "}") are counted and never compared.
std::optional<std::string_view> MatchCommand(const CommandText& text, std::string_view pattern,
                                             CommandForm form, ArgumentCase argumentCase);

} // namespace quorvane
