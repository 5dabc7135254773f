#pragma once
// Keystroke output: each record typed into the target application, found by its window title or
// started from its command line.

#include "config/Configuration.h"
#include "engine/RecordDelivery.h"
#include "keys/SendKeyMacro.h"
#include "platform/UserPrompts.h"
#include "platform/WindowSystem.h"

#include <functional>
#include <cstdint>
#include <string>
#include <string_view>

namespace quorvane {

/// How long a launch waits for the new program to take the foreground before giving up on the
/// record: a program that never shows a window must not stop the engine for good.
inline constexpr std::uint32_t kLaunchWaitLimitMs = 30000;

/// What keystroke output reaches of the desktop. All are borrowed.
struct KeystrokeServices {
    WindowSystem& Windows;
    ProgramLauncher& Launcher;
    UserPrompts& Prompts;
    /// The keyboard, the layout, the clock and the event-processing wait used while typing.
    KeyTypingHost Typing;
};

/// DeliverKeystrokes as a delivery of the engine.
class KeystrokeOutput final : public RecordDelivery {
public:
    /// targetCommandLine is the engine's copy of TargetAppCommand taken at start-up; it must
    /// outlive this object, like settings.
    KeystrokeOutput(const Settings& settings, const std::string& targetCommandLine,
                    KeystrokeServices services);

    /// Tells Quorvane's own windows (the runtime window, the virtual device, dialogs), into which
    /// records are never typed: typing into them would feed records back to the program.
    void setOwnWindows(std::function<bool(WindowId)> isOwn) { m_isOwnWindow = std::move(isOwn); }
    /// The engine's record number, named in the message about a record that cannot be typed; it
    /// must outlive this object.
    void setRecordNumber(const std::int64_t& recordNumber) { m_recordNumber = &recordNumber; }

    DeliveryOutcome deliverRecord(const FieldSlots& slots, int fieldCount) override;

    /// Activates (or launches) the target and types the record text into the foreground window.
    void DeliverKeystrokes(const FieldSlots& slots, int fieldCount);
    /// The top-level window whose title contains title (trimmed, any case), brought to the
    /// foreground and restored when minimized; kNoWindow when none. The trimmed, upper-cased title
    /// becomes the run's TargetAppTitle.
    WindowId FindAndActivateTarget(std::string_view title);

    /// TargetAppTitle as this run uses it: trimmed and upper-cased, or a launched program's title.
    const std::string& targetAppTitle();
    /// True when the last FindAndActivateTarget restored the target from minimized.
    bool targetWasRestored() const { return m_targetWasRestored; }

    /// Records of this run that were not typed because their macro text does not parse.
    int macroErrorRecords() const { return m_macroErrorRecords; }
    /// Says how many records macro errors kept from being typed, when any were; for the end of a run.
    void reportMacroErrorRecords();

private:
    /// FindAndActivateTarget with the foreground window as just asked (kNoWindow: not known).
    WindowId findAndActivateTarget(std::string_view title, WindowId foreground);
    bool titleMatches(WindowId window);
    bool launchTarget(WindowId& target, WindowId& previousForeground);
    bool waitFor(std::uint32_t startTick, const auto& done);
    void typeRecordText();

    const Settings& m_settings;
    const std::string& m_commandLine;
    KeystrokeServices m_services;
    std::function<bool(WindowId)> m_isOwnWindow;

    std::string m_title;       // TargetAppTitle of this run
    std::string m_titleSource; // the configured title m_title was made from
    bool m_targetWasRestored = false;
    std::string m_text; // reused from record to record
    const std::int64_t* m_recordNumber = nullptr;
    int m_macroErrorRecords = 0;
};

} // namespace quorvane
