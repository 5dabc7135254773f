#include "engine/output/KeystrokeOutput.h"

#include "config/CodePage.h"

#include "engine/RecordAssembly.h"
#include "expr/TextPicture.h"

namespace quorvane {

namespace {

constexpr std::string_view kErrorTitle = "Quorvane Error";

std::string trimmedUpper(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(' ');
    std::string upper(text.substr(first, last - first + 1));
    for (char& c : upper)
        c = upperByte(c);
    return upper;
}

std::string_view macroErrorCause(std::int16_t error) {
    switch (error) {
    case keymacro::kUnclosedBrace:
        return "a \"{\" without a closing \"}\"";
    case keymacro::kUnknownKeyName:
        return "a name in braces that is not a key name";
    case keymacro::kUnclosedGroup:
        return "a \"(\" without a closing \")\"";
    case keymacro::kZeroRepeatCount:
        return "a repeat count of 0 in braces";
    default:
        return "more key items than one macro may hold";
    }
}

std::int64_t secondOfDay(const LocalDateTime& t) {
    return ((static_cast<std::int64_t>(t.Day) * 24 + t.Hour) * 60 + t.Minute) * 60 + t.Second;
}

} // namespace

KeystrokeOutput::KeystrokeOutput(const Settings& settings, const std::string& targetCommandLine,
                                 KeystrokeServices services)
    : m_settings(settings), m_commandLine(targetCommandLine), m_services(std::move(services)) {}

const std::string& KeystrokeOutput::targetAppTitle() {
    // A configuration loaded again brings its own title; until then the run's changes last.
    if (m_titleSource != m_settings.TargetAppTitle) {
        m_titleSource = m_settings.TargetAppTitle;
        m_title = m_titleSource;
    }
    return m_title;
}

DeliveryOutcome KeystrokeOutput::deliverRecord(const FieldSlots& slots, int fieldCount) {
    DeliverKeystrokes(slots, fieldCount);
    return DeliveryOutcome::Delivered;
}

bool KeystrokeOutput::titleMatches(WindowId window) {
    return trimmedUpper(m_services.Windows.windowTitle(window)).find(m_title) != std::string::npos;
}

WindowId KeystrokeOutput::FindAndActivateTarget(std::string_view title) {
    return findAndActivateTarget(title, kNoWindow);
}

WindowId KeystrokeOutput::findAndActivateTarget(std::string_view title, WindowId foreground) {
    m_targetWasRestored = false;
    targetAppTitle();
    // A title of blanks only would match every window; it names no target.
    m_title = trimmedUpper(title);
    if (m_title.empty())
        return kNoWindow;

    WindowSystem& windows = m_services.Windows;
    const std::vector<WindowId> list = windows.topLevelWindows();
    // The window on top is left alone only when it also has the focus: on X the top of the stack
    // may be minimized or unfocused, and keys go to the focus.
    if (!list.empty() && titleMatches(list.front()) &&
        (foreground != kNoWindow ? foreground : windows.foregroundWindow()) == list.front())
        return list.front();
    for (WindowId window : list) {
        if (!titleMatches(window))
            continue;
        const bool minimized = windows.isMinimized(window);
        if (windows.activate(window)) {
            if (minimized) {
                windows.restore(window);
                m_targetWasRestored = true;
            } else {
                windows.show(window);
            }
        }
        return window;
    }
    return kNoWindow;
}

bool KeystrokeOutput::waitFor(std::uint32_t startTick, const auto& done) {
    const Clock& clock = m_services.Typing.Time;
    while (!done()) {
        const std::uint32_t elapsed = clock.tickCount() - startTick;
        if (elapsed >= kLaunchWaitLimitMs || !m_services.Typing.ProcessEventsFor)
            return false;
        m_services.Typing.ProcessEventsFor(
            static_cast<int>(std::min<std::uint32_t>(kLaunchWaitLimitMs - elapsed, 50)));
    }
    return true;
}

bool KeystrokeOutput::launchTarget(WindowId& target, WindowId& previousForeground) {
    WindowSystem& windows = m_services.Windows;
    const Clock& clock = m_services.Typing.Time;
    const WindowId before = windows.foregroundWindow();
    const LaunchResult launched = m_services.Launcher.startProgram(m_commandLine);
    if (launched.ProcessId == 0) {
        m_services.Prompts.messageBox("Cannot Run Program: " + m_commandLine + "\r" + launched.Error,
                                      kErrorTitle, MessageButtons::Ok, MessageIcon::Exclamation);
        return false;
    }
    const std::uint32_t start = clock.tickCount();
    if (!waitFor(start, [&] { return windows.foregroundWindow() != before; })) {
        m_services.Prompts.messageBox(
            "The program started by \"" + m_commandLine +
                "\" did not come to the foreground within 30 seconds; the record was not typed.",
            kErrorTitle, MessageButtons::Ok, MessageIcon::Exclamation);
        return false;
    }
    // The new window takes the foreground before it is ready for input; give it a second more.
    const std::int64_t second = secondOfDay(clock.now());
    waitFor(start, [&] { return secondOfDay(clock.now()) != second; });

    target = previousForeground = windows.foregroundWindow();
    const std::string title = trimmedUpper(windows.windowTitle(target));
    targetAppTitle();
    if (m_title.empty() || title.find(m_title) == std::string::npos)
        m_title = title;
    return true;
}

// A long record goes out in pieces rather than not at all. A record whose macro does not parse, or
// that holds a character no key of the keyboard layout types, would be lost or typed wrong, so it
// is not typed: the first one of a run is reported and every one counted.
void KeystrokeOutput::typeRecordText() {
    const KeyMacroPieces pieces = splitKeyMacro(m_text, m_services.Typing.Layout);
    if (pieces.Error == keymacro::kOk && !pieces.Untypeable) {
        for (const std::string_view piece : pieces.Pieces)
            SendKeyMacro(piece, m_settings.KeystrokeDelay, m_services.Typing);
        return;
    }
    if (++m_macroErrorRecords > 1)
        return;
    const std::string record = m_recordNumber != nullptr ? " " + std::to_string(*m_recordNumber) : "";
    const std::string cause = pieces.Error != keymacro::kOk
                                  ? "its keystroke macro has error " + std::to_string(pieces.Error) + " (" +
                                        std::string(macroErrorCause(pieces.Error)) + ")"
                                  : "it holds the character \"" +
                                        BytesToUtf8(std::string(1, static_cast<char>(*pieces.Untypeable))) +
                                        "\", which no key of the keyboard layout types";
    m_services.Prompts.messageBox("Record" + record + " was not typed: " + cause +
                                      ". Later records with macro errors are not typed either; they are "
                                      "counted and the count is given at the end of the run.",
                                  kErrorTitle, MessageButtons::Ok, MessageIcon::Exclamation);
}

void KeystrokeOutput::reportMacroErrorRecords() {
    if (m_macroErrorRecords == 0)
        return;
    m_services.Prompts.messageBox(std::to_string(m_macroErrorRecords) +
                                      (m_macroErrorRecords == 1 ? " record was" : " records were") +
                                      " not typed because of keystroke macro errors.",
                                  kErrorTitle, MessageButtons::Ok, MessageIcon::Exclamation);
}

void KeystrokeOutput::DeliverKeystrokes(const FieldSlots& slots, int fieldCount) {
    WindowSystem& windows = m_services.Windows;
    WindowId previousForeground = windows.foregroundWindow();
    bool launchFailed = false;
    WindowId target = kNoWindow;
    if (isSet(m_settings.ActivateTargetApp)) {
        // Every question about windows is a round trip to the display server: the foreground of a
        // moment ago is not asked for again.
        target = findAndActivateTarget(targetAppTitle(), previousForeground);
        if (target == kNoWindow && !m_commandLine.empty())
            launchFailed = !launchTarget(target, previousForeground);
    }

    AssembleRecordText(m_settings, slots, fieldCount, m_services.Typing.Time, m_text);
    if (launchFailed)
        return;
    // Only the activation of another window has moved the foreground since the record began.
    if (m_isOwnWindow &&
        m_isOwnWindow(target == kNoWindow || target == previousForeground ? previousForeground
                                                                          : windows.foregroundWindow()))
        return;
    typeRecordText();
    if (m_targetWasRestored)
        windows.minimize(target);
    if (previousForeground != kNoWindow && windows.foregroundWindow() != previousForeground)
        windows.activate(previousForeground);
}

} // namespace quorvane
