#include "config/Configuration.h"

#include <cstdlib>

namespace quorvane {

namespace {

std::string charOf(int code) {
    return std::string(1, static_cast<char>(code));
}

} // namespace

std::string DefaultLogFileName() {
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0')
        return "Quorvane.Log";
    std::string path = home;
    if (path.back() != '/')
        path += '/';
    return path + "Quorvane.Log";
}

CharTable DefaultPreInputTranslation() {
    CharTable table;
    for (int c = 0; c < kCharCodes; ++c)
        table[static_cast<std::size_t>(c)] = charOf(c);
    return table;
}

std::string DefaultDdeTranslation() {
    std::string table(kCharCodes, '\0');
    for (int c = 32; c < kCharCodes; ++c)
        table[static_cast<std::size_t>(c)] = static_cast<char>(c);
    return table;
}

std::string DefaultLogTranslation() {
    std::string table(kCharCodes, '\0');
    for (int c = 0; c < kCharCodes; ++c)
        table[static_cast<std::size_t>(c)] = static_cast<char>(c);
    return table;
}

CharTable DefaultKeystrokeTranslation() {
    CharTable table;
    for (int c = 0; c < kCharCodes; ++c) {
        const bool control = c < 32 || (c >= 128 && c < 160);
        table[static_cast<std::size_t>(c)] = control ? std::string("NUL") : charOf(c);
    }
    const std::pair<int, const char*> named[] = {
        {8, "{BACKSPACE}"}, {9, "{TAB}"}, {13, "{ENTER}"},   {32, " "},   {37, "{%}"}, {40, "{(}"},
        {41, "{)}"},        {43, "{+}"},  {91, "{[}"},       {93, "{]}"}, {94, "{^}"}, {123, "{{}"},
        {125, "{}}"},       {126, "{~}"}, {127, "{DELETE}"}, {160, " "},
    };
    for (const auto& [code, macro] : named)
        table[static_cast<std::size_t>(code)] = macro;
    return table;
}

void ResetConfiguration(Configuration& config) {
    Settings defaults;
    defaults.PreInputTranslation = DefaultPreInputTranslation();
    defaults.DdeTranslation = DefaultDdeTranslation();
    defaults.LogTranslation = DefaultLogTranslation();
    defaults.KeystrokeTranslation = DefaultKeystrokeTranslation();
    for (int i = 1; i <= kMaxFields; ++i)
        defaults.FieldFilter[static_cast<std::size_t>(i)] = "C";
    for (int i = 1; i <= kOutputStringCount; ++i)
        defaults.OutputStringName[static_cast<std::size_t>(i)] = "String" + std::to_string(i);
    defaults.LogFileName = DefaultLogFileName();
    static_cast<Settings&>(config) = std::move(defaults);
    config.ConfigLoaded = kFalse;
    config.ConfigChanged = kFalse;
}

} // namespace quorvane
