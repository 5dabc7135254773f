#include "platform/dbus/ShortcutTrigger.h"

#include "platform/HotKeys.h"

#include <array>
#include <utility>

namespace quorvane {

namespace {

// The keys a hot key picker offers besides letters, digits and function keys, by their xkb names;
// punctuation by the symbol on its key of a US keyboard.
constexpr std::array<std::pair<std::uint8_t, const char*>, 38> kNamedKeys{{
    {8, "BackSpace"},    {9, "Tab"},           {12, "Clear"},       {13, "Return"},
    {19, "Pause"},       {27, "Escape"},       {32, "space"},       {33, "Prior"},
    {34, "Next"},        {35, "End"},          {36, "Home"},        {37, "Left"},
    {38, "Up"},          {39, "Right"},        {40, "Down"},        {44, "Print"},
    {45, "Insert"},      {46, "Delete"},       {47, "Help"},        {106, "KP_Multiply"},
    {107, "KP_Add"},     {109, "KP_Subtract"}, {110, "KP_Decimal"}, {111, "KP_Divide"},
    {144, "Num_Lock"},   {145, "Scroll_Lock"}, {186, "semicolon"},  {187, "equal"},
    {188, "comma"},      {189, "minus"},       {190, "period"},     {191, "slash"},
    {192, "grave"},      {219, "bracketleft"}, {220, "backslash"},  {221, "bracketright"},
    {222, "apostrophe"}, {226, "less"},
}};

std::string keyName(std::uint8_t virtualKey) {
    if (virtualKey >= '0' && virtualKey <= '9')
        return std::string(1, static_cast<char>(virtualKey));
    if (virtualKey >= 'A' && virtualKey <= 'Z')
        return std::string(1, static_cast<char>(virtualKey - 'A' + 'a'));
    if (virtualKey >= 96 && virtualKey <= 105)
        return "KP_" + std::to_string(virtualKey - 96);
    if (virtualKey >= 112 && virtualKey <= 135)
        return "F" + std::to_string(virtualKey - 111);
    for (const auto& [code, name] : kNamedKeys)
        if (code == virtualKey)
            return name;
    return {};
}

} // namespace

std::string shortcutTrigger(std::uint8_t virtualKey, unsigned modifiers) {
    std::string key = keyName(virtualKey);
    if (key.empty())
        return {};
    std::string trigger;
    if ((modifiers & kHotKeyModControl) != 0)
        trigger += "CTRL+";
    if ((modifiers & kHotKeyModAlt) != 0)
        trigger += "ALT+";
    if ((modifiers & kHotKeyModShift) != 0)
        trigger += "SHIFT+";
    return trigger + key;
}

} // namespace quorvane
