#pragma once
// The capture engine behind the runtime window: start-up, the 50 ms tick, record completion,
// suspension, reset, exit and shutdown.

#include "config/Configuration.h"
#include "engine/ByteQueue.h"
#include "engine/CharFilter.h"
#include "engine/EngineExtensions.h"
#include "engine/EngineState.h"
#include "engine/FieldProcessor.h"
#include "engine/output/LogOutput.h"
#include "engine/output/OutputTranslation.h"
#include "engine/RecordDelivery.h"
#include "engine/RecordFraming.h"
#include "engine/RecordObserver.h"
#include "expr/FieldSlots.h"
#include "expr/FormatLocale.h"
#include "platform/Clock.h"
#include "platform/EngineView.h"
#include "platform/FileAccess.h"
#include "platform/SettingsStore.h"
#include "platform/SoundBeep.h"
#include "platform/UserPrompts.h"
#include "serial/SerialPort.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quorvane {

/// What the engine reaches the world through. All are borrowed and must outlive the engine.
struct EngineServices {
    SerialPort& Port;
    EngineView& View;
    UserPrompts& Prompts;
    SoundBeep& Sounds;
    const Clock& Time;
    SettingsStore& Store;
    FileAccess& Files;
    /// DDE, link, hot key and timed-output steps; null runs without them.
    EngineExtensions* Extensions = nullptr;
};

/// What the host reads once at start-up.
struct EngineEnvironment {
    /// How the runtime window was started.
    ActivationKind Activation = ActivationKind::Normal;
    /// "." or ",", the user's decimal separator.
    char DecimalSeparator = '.';
    /// The user's conventions for the value formats.
    FormatLocale Locale;
};

/// A queued file may not make OutputQueue longer than this.
inline constexpr std::size_t kMaxQueuedFileOutput = 131000;

/// The runtime window's behaviour. Single-threaded: every call comes from the window's thread.
class Engine final : private RecordSink {
public:
    /// The configuration is read at Form_Load and while running; it must outlive the engine.
    Engine(const Configuration& config, EngineServices services, EngineEnvironment environment);
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    /// Start-up: lays out the window and derives the framing and output tables from the configuration.
    void Form_Load();
    /// One tick of the 50 ms timer; does nothing while another tick runs or after the exit.
    void Timer1_Timer();
    /// Reads on where the last tick's read loop stopped after its time slice, under the tick's
    /// guard; the host calls it as soon as its own events are served while inputPending().
    void ReadPendingInput();
    /// The read part of a tick, run when the port has bytes between ticks: reads until the port is
    /// empty, frames, completes and delivers at once, under the tick's guard. The gap, the
    /// countdowns and the other tick steps wait for the tick. False when the engine cannot read now
    /// (a tick runs, suspended, ended): the host waits for the next tick.
    bool ReadArrivedInput();
    /// True when a read loop stopped with input still waiting at the port.
    bool inputPending() const { return m_inputPending; }
    /// False when a tick would change nothing but the idle count: no record a time gap could end,
    /// no break, no timed output due, no date and time shown, no output queued, no link request, no
    /// exit countdown, no device waited for. A host may then stop its timer until port data or
    /// another event arrives; the idle count only matters inside a record.
    bool needsTick() const;
    /// Milliseconds until a tick next has work: 0 while needsTick() holds, the time left until the
    /// timed output is due, or none while only port data or another event can give it work.
    std::optional<std::uint32_t> msUntilTickWork() const;
    /// Toggles between running and suspended.
    void SuspendMenu_Click();
    /// While suspended: resumes for one record.
    void Resume1_Click();
    /// Discards the partial record, purges the port and restarts the record numbering.
    void MReset_Click();
    /// Requests the exit: the host closes the window, which must call Form_Unload.
    void ExitMenu_Click();
    /// Shutdown: saves the window position, removes the tray icon, closes the port. Runs once.
    void Form_Unload();

    /// One input byte from the port or, in Virtual Instrument Mode, from VirtualInput; 1 or 0.
    int ReadInputByte(unsigned char& byte);
    /// Writes OutputQueue to the port, keeping what the device did not take.
    void FlushOutputQueue();
    /// Follows the device going away and coming back: says so once each time, shows it in the caption,
    /// and discards the record in progress and the pending output when it goes.
    void watchPort();
    /// Appends the file's bytes to OutputQueue unless that would exceed kMaxQueuedFileOutput.
    bool QueueFileForSending(const std::string& path);
    /// Appends text to OutputQueue unless that would make it longer than kMaxQueuedFileOutput (a
    /// device that reads nothing must not make the queue grow without end); false when refused.
    bool QueueOutput(std::string_view text);
    /// The {APPEXIT} request: the exit follows two ticks that find no input.
    void RequestAppExit() { m_state.ExitCountdown = -1; }

    /// Adds an observer of completed records; it must outlive the engine or be removed first.
    void addRecordObserver(RecordObserver& observer);
    /// Removes an observer added before; nothing happens for one that was not added.
    void removeRecordObserver(RecordObserver& observer);
    /// Replaces the delivery of an output mode (0 keystrokes, 1 DDE, 2 log) from the next Form_Load.
    void setDelivery(int outputMode, RecordDelivery& delivery);
    /// True once the exit was requested; the host then closes the window.
    bool exitRequested() const { return m_exitRequested; }
    /// True after Form_Unload.
    bool closed() const { return m_closed; }
    /// How the runtime window was started.
    ActivationKind activation() const { return m_env.Activation; }

    /// The engine variables.
    EngineState& state() { return m_state; }
    const EngineState& state() const { return m_state; }
    /// The record being built.
    FieldSlots& fieldSlots() { return m_slots; }
    /// Text waiting to be written to the device; anything that sends appends here.
    std::string& OutputQueue() { return m_outputQueue; }
    /// Input of the virtual device (Virtual Instrument Mode).
    ByteQueue& VirtualInput() { return m_virtualInput; }
    /// The output translation table of the active mode.
    const OutputTranslation& outputTranslation() const { return m_translation; }
    /// Fields per record as the engine uses it, 1..40.
    int fieldCount() const { return m_fieldCount; }
    /// "COM" and the port number.
    std::string portName() const;

    /// Record completion; called by framing.
    void CompleteRecord() override;
    /// Notes, once per run, that a record was cut at kMaxRecordBytes.
    void RecordCutShort() override;

private:
    bool isVirtual() const { return m_env.Activation == ActivationKind::VirtualInstrument; }
    std::string caption(bool suspended) const;
    std::string storeApplication() const { return "Quorvane - " + portName(); }
    void placeWindow();
    void layOutButtonsAndFields();
    void showDateTime();
    void optoRequest();
    void readInput(bool tickWork);
    void clearRecordSlots();
    void showRecordNumber();
    void notifyObservers();

    const Configuration& m_config;
    EngineServices m_services;
    EngineExtensions m_noExtensions;
    EngineExtensions& m_ext;
    EngineEnvironment m_env;

    EngineState m_state;
    FieldSlots m_slots = InitialFieldSlots();
    std::string m_outputQueue;
    ByteQueue m_virtualInput;

    OutputTranslation m_translation;
    CharFilter m_filter;
    RecordFraming m_framing;
    FieldProcessor m_processor;
    LogOutput m_log;
    ShowOnlyDelivery m_showOnly;
    std::array<RecordDelivery*, 3> m_deliveries;
    RecordDelivery* m_delivery;
    int m_fieldCount = 1;
    std::vector<RecordObserver*> m_observers;
    std::int64_t m_completedRecords = 0;

    bool m_tickRunning = false;
    bool m_inputPending = false;
    bool m_pendingTickWork = true; // whether the cut read loop came from a tick
    bool m_cutShortNoted = false;
    bool m_exitRequested = false;
    bool m_closed = false;
};

} // namespace quorvane
