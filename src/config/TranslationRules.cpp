#include "config/TranslationRules.h"

#include "config/CharEntry.h"

namespace quorvane {

namespace {

std::string& characterTable(Settings& settings) {
    return settings.OutputMode == 1 ? settings.DdeTranslation : settings.LogTranslation;
}

const std::string& characterTable(const Settings& settings) {
    return settings.OutputMode == 1 ? settings.DdeTranslation : settings.LogTranslation;
}

std::string asciiCode(unsigned char c) {
    return "ASCII " + std::to_string(static_cast<int>(c));
}

std::size_t index(int code) {
    return static_cast<std::size_t>(code);
}

} // namespace

TranslationOpening TransferTranslationOpening(std::int16_t outputMode) {
    switch (outputMode) {
    case 0:
        return {TranslationKind::Keystroke, "Translation Table - Keystroke Mode"};
    case 1:
        return {TranslationKind::Character, "Translation Table - DDE Server Mode"};
    default:
        return {TranslationKind::Character, "Translation Table - Log To Disk Mode"};
    }
}

TranslationOpening PreInputTranslationOpening() {
    return {TranslationKind::PreInput, "Pre-Input Character Translations"};
}

std::string TranslationRowPrefix(int code) {
    std::string row = std::to_string(code) + "\t";
    if (code == 0)
        row += "NUL";
    else if (code == 9)
        row += "TAB";
    else if (code == 32)
        row += "SPACE";
    else
        row += static_cast<char>(code);
    // One tab before each column: value, character, control name, translation.
    return row + "\t" + std::string(ControlCharName(code)) + "\t";
}

std::string TranslationColumn(const Settings& settings, TranslationKind kind, int code) {
    if (code < 0 || code >= kCharCodes)
        return {};
    switch (kind) {
    case TranslationKind::Keystroke:
        return settings.KeystrokeTranslation[index(code)];
    case TranslationKind::Character: {
        const std::string& table = characterTable(settings);
        return index(code) < table.size() ? asciiCode(static_cast<unsigned char>(table[index(code)])) : "";
    }
    case TranslationKind::PreInput: {
        const std::string& entry = settings.PreInputTranslation[index(code)];
        return entry.size() == 1 ? asciiCode(static_cast<unsigned char>(entry[0])) : entry;
    }
    }
    return {};
}

std::string TranslationRow(const Settings& settings, TranslationKind kind, int code) {
    return TranslationRowPrefix(code) + TranslationColumn(settings, kind, code);
}

void StoreTranslation(Configuration& config, TranslationKind kind, int code, const std::string& picked) {
    if (picked.empty() || code < 0 || code >= kCharCodes)
        return;
    const auto n = index(code);
    const Settings before = config;
    switch (kind) {
    case TranslationKind::Keystroke:
        config.KeystrokeTranslation[n] = picked;
        break;
    case TranslationKind::Character: {
        std::string& table = characterTable(config);
        // A table read short from a file keeps its missing bytes untranslated.
        const std::string identity = DefaultLogTranslation();
        if (table.size() < identity.size())
            table += identity.substr(table.size());
        table[n] = picked[0];
        break;
    }
    case TranslationKind::PreInput:
        config.PreInputTranslation[n] = picked.size() > 1 && picked[0] == ' ' ? picked.substr(1) : picked;
        break;
    }
    if (before != config)
        config.ConfigChanged = kTrue;
}

void ResetTranslationTable(Configuration& config, TranslationKind kind) {
    switch (kind) {
    case TranslationKind::Keystroke:
        config.KeystrokeTranslation = DefaultKeystrokeTranslation();
        break;
    case TranslationKind::Character:
        if (config.OutputMode == 1)
            config.DdeTranslation = DefaultDdeTranslation();
        else
            config.LogTranslation = DefaultLogTranslation();
        break;
    case TranslationKind::PreInput:
        config.PreInputTranslation = DefaultPreInputTranslation();
        break;
    }
    config.ConfigChanged = kTrue;
}

} // namespace quorvane
