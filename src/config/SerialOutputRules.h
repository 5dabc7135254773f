#pragma once
// What the output string editor and the hot key dialog store: button captions, the timed output,
// and the 50 hot keys' working copy with the rule that no two hot keys share a key.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "config/Configuration.h"

namespace quorvane {

/// The hot key actions by HotKeyAction code, as the hot key dialog lists them.
inline constexpr int kHotKeyActionCount = 14;
const std::array<std::string_view, kHotKeyActionCount>& HotKeyActionNames();

/// Stores the caption of output string `k` (1..20); ConfigChanged when it differs.
void StoreOutputStringName(Configuration& config, int k, const std::string& caption);

/// The timer action shown for TimerFlags: 1 Toggle DTR for bit 2, else 2 Issue Break for bit 3,
/// else 0 Transmit String.
int TimerActionOfFlags(std::int16_t timerFlags);

/// OK of the output string editor: the interval from its digit box (refused, with the message, from
/// 100000000 on), then TimerFlags from the check box and the action; ConfigChanged when either differs.
std::optional<std::string> StoreTimedOutput(Configuration& config, std::string_view intervalText,
                                            bool enableOnActivation, int action);

/// The hot key dialog's working copy of hot keys 0..49.
struct HotKeyWorkingCopy {
    HotKeyArray<std::int16_t> Key{};
    HotKeyArray<std::int16_t> Action{};
    HotKeyArray<std::string> String{};
};

/// Copies the 50 hot keys out of the settings.
HotKeyWorkingCopy LoadHotKeyWorkingCopy(const Settings& settings);
/// OK of the hot key dialog: ConfigChanged when any key, action or string differs; stores them all.
void StoreHotKeys(Configuration& config, const HotKeyWorkingCopy& copy);

/// The hot key (0..49) other than `index` that already has `keyWord`, when the word names a key (a
/// key code of 0 is never registered, so it is never taken).
std::optional<int> HotKeyTakenBy(const HotKeyWorkingCopy& copy, int index, std::int16_t keyWord);
/// The message that refuses a key word already held by hot key `holder` (0..49).
std::string HotKeyTakenMessage(const std::string& keyText, int holder);

} // namespace quorvane
