#pragma once
// Publishes every completed record to an MQTT broker, in order and without losing any: each record
// is queued on disk first and forgotten only once the broker has taken it. Also the run's presence,
// the per-field and discovery messages, and commands from the broker. Single-threaded: everything
// runs on the engine's thread; the client hands its network events back through serviceEvents().

#include "engine/mqtt/MqttMessages.h"
#include "engine/mqtt/MqttSettings.h"
#include "engine/mqtt/RecordBacklog.h"
#include "config/Configuration.h"
#include "engine/RecordObserver.h"
#include "platform/Clock.h"
#include "platform/MqttClient.h"
#include "platform/UserPrompts.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

/// Runs one command text (code-page bytes) through the command interpreter; true when accepted.
using MqttCommandHandler = std::function<bool(std::string_view command)>;

/// What the publisher works with; every reference must outlive it.
struct MqttPublisherParts {
    MqttClient& Client;
    /// Opened by the caller.
    RecordBacklog& Backlog;
    /// The preamble and postambles of the record text.
    const Settings& Record;
    UserPrompts& Prompts;
    const Clock& Time;
    /// Commands arriving on .../command when the settings take commands.
    MqttCommandHandler Commands;
};

/// At most this many queued records are on their way to the broker at once.
inline constexpr std::size_t kMqttWindow = 200;

class MqttPublisher final : public RecordObserver {
public:
    /// `options` holds the broker, credentials and TLS files; its will is set here.
    MqttPublisher(MqttPublisherParts parts, const MqttSettings& settings, MqttConnectOptions options,
                  MqttRunInfo run);
    MqttPublisher(const MqttPublisher&) = delete;
    MqttPublisher& operator=(const MqttPublisher&) = delete;

    /// Connects for the first time; a failure is retried like every later loss. False when the
    /// options cannot be used at all (the user was told why).
    bool start();
    /// Queues the record and sends what the window allows.
    void recordCompleted(const CompletedRecord& record) override;
    /// Handles the client's events (connected, delivered, lost, commands), sends on, and writes the
    /// queue's head when that is due.
    void serviceEvents();
    /// Time-driven work: the client's network work, a reconnect that fell due, the queue's head
    /// written to disk.
    void onTimer();
    /// Milliseconds until onTimer() has work; nullopt when only events can bring any.
    std::optional<std::uint32_t> msUntilWork() const;
    /// A clean stop: "offline" on the status topic, the connection closed after what is in flight
    /// was given `timeoutMs` to arrive, the queue written to disk.
    void stop(int timeoutMs);

    bool connected() const { return m_state == State::Connected; }
    /// Records waiting for the broker, in flight included.
    std::uint64_t waiting() const { return m_parts.Backlog.waiting(); }
    const MqttTopics& topics() const { return m_topics; }

private:
    enum class State { Idle, Connecting, Connected, Waiting, Stopped };

    void connect();
    void handle(const MqttEvent& event);
    void onConnected();
    void dropped(bool wasConnected, const std::string& reason);
    void delivered(std::int64_t token);
    void publishFailed(std::int64_t token);
    void pump();
    void runCommand(const MqttMessage& message);
    // The retained value of each field and the discovery of the numeric ones not announced yet.
    template <typename FieldText>
    void publishFields(int fieldCount, FieldText fieldText);
    void persistIfDue();
    bool recordsWaitForRoom() const;
    void noteQueueFull();
    void noteQueueRoom();
    bool due(std::uint32_t at) const;

    MqttPublisherParts m_parts;
    MqttSettings m_settings;
    MqttConnectOptions m_options;
    MqttRunInfo m_run;
    MqttTopics m_topics;

    State m_state = State::Idle;
    struct InFlight {
        std::int64_t Token = 0;
        bool Done = false;
    };
    std::deque<InFlight> m_inFlight; // queued records on their way, oldest first
    std::uint32_t m_retryAt = 0;     // tick count of the next connect while State::Waiting
    std::uint32_t m_retryDelay = 0;
    bool m_resendDue = false;   // a publish failed: everything in flight goes again at m_retryAt
    bool m_troubleSaid = false; // the loss (or the failed first connect) was said
    bool m_everConnected = false;
    std::uint32_t m_persistAt = 0;
    bool m_persistDue = false;
    std::uint64_t m_dropped = 0; // records the full queue refused in this episode
    bool m_fullSaid = false;
    std::vector<bool> m_announced; // fields whose discovery message went out
    // The newest record's fields when they could not be published: the retained values and the
    // discovery catch up with them once the broker is back, not only with the next record.
    std::vector<std::string> m_unsentFields;
    std::string m_text; // the record text, kept for its capacity
};

} // namespace quorvane
