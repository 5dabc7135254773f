#include "setup/tables/HotKeyCapture.h"

#include <QtCore/qnamespace.h>
#include <array>
#include <utility>

namespace quorvane {

namespace {

constexpr std::array<std::pair<int, int>, 23> kNamedKeys{{
    {Qt::Key_Space, 32},    {Qt::Key_Return, 13},      {Qt::Key_Enter, 13},    {Qt::Key_Backspace, 8},
    {Qt::Key_Tab, 9},       {Qt::Key_Backtab, 9},      {Qt::Key_Insert, 45},   {Qt::Key_Delete, 46},
    {Qt::Key_Up, 38},       {Qt::Key_Down, 40},        {Qt::Key_Right, 39},    {Qt::Key_Left, 37},
    {Qt::Key_Home, 36},     {Qt::Key_End, 35},         {Qt::Key_PageDown, 34}, {Qt::Key_PageUp, 33},
    {Qt::Key_Escape, 27},   {Qt::Key_Pause, 19},       {Qt::Key_Clear, 12},    {Qt::Key_CapsLock, 20},
    {Qt::Key_NumLock, 144}, {Qt::Key_ScrollLock, 145}, {Qt::Key_Print, 42},
}};

// The punctuation keys by both symbols of a US keyboard; the digit keys by their shifted symbols.
constexpr std::array<std::pair<int, int>, 32> kSymbolKeys{{
    {Qt::Key_Semicolon, 186},    {Qt::Key_Colon, 186},       {Qt::Key_Equal, 187},
    {Qt::Key_Plus, 187},         {Qt::Key_Comma, 188},       {Qt::Key_Less, 188},
    {Qt::Key_Minus, 189},        {Qt::Key_Underscore, 189},  {Qt::Key_Period, 190},
    {Qt::Key_Greater, 190},      {Qt::Key_Slash, 191},       {Qt::Key_Question, 191},
    {Qt::Key_QuoteLeft, 192},    {Qt::Key_AsciiTilde, 192},  {Qt::Key_BracketLeft, 219},
    {Qt::Key_BraceLeft, 219},    {Qt::Key_Backslash, 220},   {Qt::Key_Bar, 220},
    {Qt::Key_BracketRight, 221}, {Qt::Key_BraceRight, 221},  {Qt::Key_Apostrophe, 222},
    {Qt::Key_QuoteDbl, 222},     {Qt::Key_ParenRight, '0'},  {Qt::Key_Exclam, '1'},
    {Qt::Key_At, '2'},           {Qt::Key_NumberSign, '3'},  {Qt::Key_Dollar, '4'},
    {Qt::Key_Percent, '5'},      {Qt::Key_AsciiCircum, '6'}, {Qt::Key_Ampersand, '7'},
    {Qt::Key_Asterisk, '8'},     {Qt::Key_ParenLeft, '9'},
}};

constexpr std::array<std::pair<int, int>, 6> kKeypadKeys{{
    {Qt::Key_Asterisk, 106},
    {Qt::Key_Plus, 107},
    {Qt::Key_Minus, 109},
    {Qt::Key_Period, 110},
    {Qt::Key_Comma, 110},
    {Qt::Key_Slash, 111},
}};

int lookup(const auto& table, int qtKey) {
    for (const auto& [qt, vk] : table)
        if (qt == qtKey)
            return vk;
    return 0;
}

} // namespace

int VirtualKeyOfQtKey(int qtKey, bool keypad) {
    if (keypad) {
        if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
            return 96 + (qtKey - Qt::Key_0);
        if (const int vk = lookup(kKeypadKeys, qtKey))
            return vk;
    }
    if ((qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) || (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z))
        return qtKey; // Qt's codes of digits and letters are their ASCII codes, as are the virtual keys
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F16)
        return 112 + (qtKey - Qt::Key_F1);
    if (const int vk = lookup(kNamedKeys, qtKey))
        return vk;
    return lookup(kSymbolKeys, qtKey);
}

std::optional<std::int16_t> HotKeyWordOfKeyPress(int qtKey, bool keypad, KeyModifiers modifiers) {
    const int vk = VirtualKeyOfQtKey(qtKey, keypad);
    if (vk == 0 || KeyNameOfCode(vk).empty())
        return std::nullopt;
    const int flags = (modifiers.Alt ? 4 : 0) | (modifiers.Ctrl ? 2 : 0) | (modifiers.Shift ? 1 : 0);
    return static_cast<std::int16_t>(flags * 256 + vk);
}

} // namespace quorvane
