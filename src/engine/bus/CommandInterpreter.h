#pragma once
// The commands other applications send to the runtime window over the bus or its command link:
// one bracketed keyword per text, with its acknowledgement.

#include "config/Configuration.h"
#include "engine/bus/CommandText.h"
#include "expr/FormatLocale.h"
#include "platform/Clock.h"
#include "platform/EngineView.h"
#include "platform/UserPrompts.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace quorvane {

class DdeBridge;
class Engine;
class SerialOutput;

/// The longest format {SENDDATE(...)} takes; a longer one is refused.
inline constexpr std::size_t kMaxSendDateFormat = 4096;

/// The acknowledgement of a command (the documented Cancel flag).
enum class CommandAck : std::int16_t { Accepted = 0, Refused = -1 };

/// Reloading the engine from another configuration file, which needs the port and the window.
class ConfigReloader {
public:
    virtual ~ConfigReloader() = default;
    /// Reloads from `path` when the file is a configuration for the running port; false changes nothing.
    virtual bool reloadConfiguration(const std::string& path) = 0;
};

/// What the commands act on; every reference must outlive the interpreter.
struct CommandTargets {
    Engine& Hoxel;
    /// StripBufferCrLf and the output strings are read and written here.
    Configuration& Config;
    SerialOutput& Output;
    /// The items, links and clipboard.
    DdeBridge& Bridge;
    /// The runtime window, for {APPNORMAL} and {APPMINIMIZE}.
    EngineView& Window;
    /// The beep of {BEEP}.
    UserPrompts& Prompts;
    /// The date and time of {SENDDATE(...)}.
    const Clock& Time;
    /// The conventions of {SENDDATE(...)}'s format.
    FormatLocale Locale;
    /// {CONFIG(...)}.
    ConfigReloader& Reloader;
};

/// The runtime window's execute handler. Single-threaded: runs between ticks.
class CommandInterpreter {
public:
    explicit CommandInterpreter(CommandTargets targets);

    /// Executes one command text; anything it does not recognise, and any text longer than
    /// kDdeMaxCommandLength, is refused and does nothing.
    CommandAck Form_LinkExecute(std::string_view command);
    /// Form_LinkExecute as the bus expects it: true when accepted.
    bool execute(std::string_view command) { return Form_LinkExecute(command) == CommandAck::Accepted; }

private:
    struct Row;
    static const Row kTable[];

    bool isVirtual() const;
    bool beep(std::string_view);
    bool timerOff(std::string_view);
    bool timerOn(std::string_view);
    bool resumeOne(std::string_view);
    bool suspend(std::string_view);
    bool resume(std::string_view);
    bool startBreak(std::string_view);
    bool toggleDtr(std::string_view);
    bool dtrOn(std::string_view);
    bool dtrOff(std::string_view);
    bool rtsOn(std::string_view);
    bool rtsOff(std::string_view);
    bool reset(std::string_view);
    bool clear(std::string_view);
    bool appNormal(std::string_view);
    bool appMinimize(std::string_view);
    bool appExit(std::string_view);
    bool pasteCommand(std::string_view);
    bool refreshCommand(std::string_view);
    bool terminateCommand(std::string_view);
    bool pasteBuffer(std::string_view);
    bool refreshBuffer(std::string_view);
    bool terminateBuffer(std::string_view);
    bool stripOn(std::string_view);
    bool stripOff(std::string_view);
    bool copyDate(std::string_view);
    bool copyRecordNumber(std::string_view);
    bool send(std::string_view text);
    bool sendOut(std::string_view list);
    bool timerString(std::string_view list);
    bool sendCode(std::string_view number);
    bool sendDate(std::string_view format);
    bool sendFile(std::string_view path);
    bool push(std::string_view name);
    bool config(std::string_view path);
    bool copyField(std::string_view number);
    bool timerInterval(std::string_view number);

    CommandTargets m_targets;
};

} // namespace quorvane
