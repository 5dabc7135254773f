#include "keys/KeyNames.h"

#include <array>
#include <string>

namespace quorvane {
namespace {

struct KeyName {
    std::string_view Name;
    std::uint16_t Code;
};

// Searched in this order; the first match wins.
constexpr std::array<KeyName, 25> kNamedKeys{{
    {"CAPSLOCK", 20},
    {"NUMLOCK", 144},
    {"SCROLLOCK", 145},
    {"ESCAPE", 27},
    {"ESC", 27},
    {"ENTER", 13},
    {"HELP", 47},
    {"PRTSC", 44},
    {"TAB", 9},
    // BREAK names the Control key itself (not Cancel or Pause), so {BREAK} is a Control toggle.
    {"BREAK", 17},
    {"CLEAR", 12},
    {"BACKSPACE", 8},
    {"BS", 8},
    {"BKSP", 8},
    {"DELETE", 46},
    {"DEL", 46},
    {"INSERT", 45},
    {"LEFT", 37},
    {"RIGHT", 39},
    {"UP", 38},
    {"DOWN", 40},
    {"PGUP", 33},
    {"PGDN", 34},
    {"HOME", 36},
    {"END", 35},
}};

constexpr std::uint16_t kF1 = 112;
constexpr int kFunctionKeys = 16;
constexpr std::uint16_t kNumpad0 = 96;

bool isBlank(char c) {
    return c == ' ';
}

// F1..F16 and NUMPAD0..NUMPAD9, written without leading zeros or signs.
std::optional<int> numberAfter(std::string_view name, std::string_view prefix, int first, int last) {
    if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix)
        return std::nullopt;
    const std::string_view digits = name.substr(prefix.size());
    if (digits.size() > 2 || (digits.size() == 2 && digits[0] == '0'))
        return std::nullopt;
    int value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value < first || value > last)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<std::uint16_t> keyCodeOfName(std::string_view name) {
    while (!name.empty() && isBlank(name.front()))
        name.remove_prefix(1);
    while (!name.empty() && isBlank(name.back()))
        name.remove_suffix(1);
    std::string upper(name);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');

    for (const KeyName& key : kNamedKeys)
        if (key.Name == upper)
            return key.Code;
    if (auto f = numberAfter(upper, "F", 1, kFunctionKeys))
        return static_cast<std::uint16_t>(kF1 + *f - 1);
    if (auto n = numberAfter(upper, "NUMPAD", 0, 9))
        return static_cast<std::uint16_t>(kNumpad0 + *n);
    return std::nullopt;
}

} // namespace quorvane
