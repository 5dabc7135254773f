#include "keys/SendKeyMacro.h"

#include "keys/KeyEventGenerator.h"
#include "keys/KeyMacroParser.h"

#include <algorithm>

namespace quorvane {
namespace {

// An Alt combination usually opens a menu; the target gets two seconds of the date/time clock to
// show it. That clock counts whole seconds, so the pause lasts between one and two seconds.
constexpr std::int64_t kAltPauseSeconds = 2;
// The same pause measured on the tick count, so a wall clock set back cannot stretch it.
constexpr std::uint32_t kAltPauseCeilingMs = 2000;

std::int64_t daysFromCivil(std::int64_t y, int m, int d) {
    y -= m <= 2 ? 1 : 0;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yearOfEra = y - era * 400;
    const std::int64_t dayOfYear = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

std::int64_t wholeSeconds(const LocalDateTime& t) {
    return daysFromCivil(t.Year, t.Month, t.Day) * 86400 + t.Hour * 3600 + t.Minute * 60 + t.Second;
}

class Typist {
public:
    explicit Typist(const KeyTypingHost& host) : m_host(host) {}

    void waitMilliseconds(std::int32_t milliseconds) {
        if (milliseconds <= 0 || !m_host.ProcessEventsFor)
            return;
        const auto wanted = static_cast<std::uint32_t>(milliseconds);
        const std::uint32_t start = m_host.Time.tickCount();
        // Unsigned differences stay right when the tick count wraps.
        for (std::uint32_t elapsed = 0; elapsed < wanted; elapsed = m_host.Time.tickCount() - start)
            m_host.ProcessEventsFor(static_cast<int>(wanted - elapsed));
    }

    void altPause() {
        if (!m_host.ProcessEventsFor)
            return;
        const std::uint32_t start = m_host.Time.tickCount();
        const std::int64_t until = wholeSeconds(m_host.Time.now()) + kAltPauseSeconds;
        while (true) {
            const std::uint32_t elapsed = m_host.Time.tickCount() - start;
            const LocalDateTime now = m_host.Time.now();
            const std::int64_t secondsLeft = until - wholeSeconds(now);
            if (secondsLeft <= 0 || elapsed >= kAltPauseCeilingMs)
                return;
            const std::int64_t wallLeft = secondsLeft * 1000 - now.Millisecond;
            const std::int64_t left = std::min<std::int64_t>(wallLeft, kAltPauseCeilingMs - elapsed);
            m_host.ProcessEventsFor(static_cast<int>(std::max<std::int64_t>(left, 1)));
        }
    }

private:
    const KeyTypingHost& m_host;
};

} // namespace

std::int16_t SendKeyMacro(std::string_view text, std::int32_t keystrokeDelay, const KeyTypingHost& host) {
    const ParsedKeyMacro parsed = parseKeyMacro(text, host.Layout);
    if (parsed.Error != keymacro::kOk)
        return parsed.Error;

    KeyboardInjector& keyboard = host.Keyboard;
    keyboard.saveModifiers();
    keyboard.clearModifiers();
    const bool capsLockWasOn = keyboard.capsLock();
    if (capsLockWasOn)
        keyboard.setCapsLock(false);

    Typist typist(host);
    KeyEventGenerator events(parsed.Items);
    while (const std::optional<KeyEvent> event = events.next()) {
        keyboard.sendKey(event->VirtualKey, event->Down);
        keyboard.sync();
        if (event->VirtualKey == vk::kAlt && !event->Down)
            typist.altPause();
        typist.waitMilliseconds(keystrokeDelay);
    }

    keyboard.restoreModifiers();
    if (capsLockWasOn)
        keyboard.setCapsLock(true);
    return keymacro::kOk;
}

} // namespace quorvane
