#include "config/SerialOutputRules.h"

#include "config/ConfigLimits.h"
#include "config/RecordRules.h"

namespace quorvane {

const std::array<std::string_view, kHotKeyActionCount>& HotKeyActionNames() {
    static constexpr std::array<std::string_view, kHotKeyActionCount> names{
        "None",
        "Transmit String",
        "Issue BREAK Signal",
        "Toggle DTR for 100ms",
        "Enable  Timer",
        "Disable Timer",
        "Raise DTR Line",
        "Lower DTR Line",
        "Raise RTS Line",
        "Lower RTS Line",
        "Reset Quorvane",
        "Suspend Quorvane",
        "Enable  Quorvane",
        "Enable For 1 Data Record",
    };
    return names;
}

void StoreOutputStringName(Configuration& config, int k, const std::string& caption) {
    if (k < 1 || k > kOutputStringCount)
        return;
    std::string& name = config.OutputStringName[static_cast<std::size_t>(k)];
    if (name == caption)
        return;
    name = caption;
    config.ConfigChanged = kTrue;
}

int TimerActionOfFlags(std::int16_t timerFlags) {
    if (timerFlags & 4)
        return 1;
    if (timerFlags & 8)
        return 2;
    return 0;
}

std::optional<std::string> StoreTimedOutput(Configuration& config, std::string_view intervalText,
                                            bool enableOnActivation, int action) {
    const std::int64_t interval = LeadingNumber(intervalText);
    if (auto message = CheckTimerInterval(interval))
        return message;
    if (interval != config.TimerInterval) {
        config.TimerInterval = static_cast<std::int32_t>(interval);
        config.ConfigChanged = kTrue;
    }
    // A new action alone is a change too: without it the choice would be lost unsaved.
    const std::int16_t flags = TimerFlagsFromDialog(enableOnActivation, action);
    if (flags != config.TimerFlags) {
        config.TimerFlags = flags;
        config.ConfigChanged = kTrue;
    }
    return std::nullopt;
}

HotKeyWorkingCopy LoadHotKeyWorkingCopy(const Settings& settings) {
    return {settings.HotKey, settings.HotKeyAction, settings.HotKeyString};
}

void StoreHotKeys(Configuration& config, const HotKeyWorkingCopy& copy) {
    if (config.HotKey != copy.Key || config.HotKeyAction != copy.Action || config.HotKeyString != copy.String)
        config.ConfigChanged = kTrue;
    config.HotKey = copy.Key;
    config.HotKeyAction = copy.Action;
    config.HotKeyString = copy.String;
}

std::optional<int> HotKeyTakenBy(const HotKeyWorkingCopy& copy, int index, std::int16_t keyWord) {
    if ((keyWord & 0xFF) == 0)
        return std::nullopt;
    for (int i = 0; i < kHotKeyCount; ++i)
        if (i != index && copy.Key[static_cast<std::size_t>(i)] == keyWord)
            return i;
    return std::nullopt;
}

std::string HotKeyTakenMessage(const std::string& keyText, int holder) {
    return keyText + " is already hot key " + std::to_string(holder + 1) +
           ". Two hot keys on one key cannot both work; choose another key or change hot key " +
           std::to_string(holder + 1) + " first.";
}

} // namespace quorvane
