#include "engine/mqtt/MqttPublisher.h"

#include "engine/RecordAssembly.h"
#include "expr/ValRule.h"

#include <algorithm>
#include <utility>

namespace quorvane {

namespace {

constexpr std::uint32_t kFirstRetryMs = 250;
constexpr std::uint32_t kLongestRetryMs = 2000;
// The queue's head is written at most this often while records flow; exactly at a stop.
constexpr std::uint32_t kPersistEveryMs = 250;
constexpr std::string_view kLostTitle = "Device Error";

} // namespace

MqttPublisher::MqttPublisher(MqttPublisherParts parts, const MqttSettings& settings,
                             MqttConnectOptions options, MqttRunInfo run)
    : m_parts(std::move(parts)), m_settings(settings), m_options(std::move(options)), m_run(std::move(run)),
      m_topics(settings.Prefix, m_run.Host, m_run.Instrument) {
    m_options.Will = {m_topics.Status, StatusPayload(false, m_run), 1, true, {}};
}

bool MqttPublisher::start() {
    std::string error;
    m_state = State::Connecting;
    if (!m_parts.Client.connect(m_options, error)) {
        m_state = State::Stopped;
        m_parts.Prompts.notify("Broker " + m_options.Url + " Not Usable.\n" + error, kLostTitle,
                               MessageIcon::Exclamation);
        return false;
    }
    return true;
}

void MqttPublisher::connect() {
    std::string error;
    m_state = State::Connecting;
    if (!m_parts.Client.connect(m_options, error))
        dropped(false, error);
}

bool MqttPublisher::due(std::uint32_t at) const {
    return static_cast<std::int32_t>(m_parts.Time.tickCount() - at) >= 0;
}

void MqttPublisher::recordCompleted(const CompletedRecord& record) {
    if (m_state == State::Stopped)
        return;
    AssembleRecordText(m_parts.Record, record.Slots, record.FieldCount, m_parts.Time, m_text);
    switch (m_parts.Backlog.append(m_topics.Record, RecordPayload(record, m_run, m_text))) {
    case RecordBacklog::AppendResult::Stored:
        noteQueueRoom();
        break;
    case RecordBacklog::AppendResult::Full:
        ++m_dropped;
        noteQueueFull();
        break;
    case RecordBacklog::AppendResult::Failed:
        ++m_dropped;
        if (!m_fullSaid) {
            m_fullSaid = true;
            m_parts.Prompts.notify("MQTT Queue Not Written.\n" + m_parts.Backlog.lastError() +
                                       "\nRecords are dropped until it can be written.",
                                   kLostTitle, MessageIcon::Exclamation);
        }
        break;
    }
    if (m_settings.FieldTopics || m_settings.Discovery) {
        if (m_state == State::Connected) {
            publishFields(record.FieldCount, [&record](int i) { return record.field(i); });
        } else {
            m_unsentFields.clear();
            for (int i = 1; i <= record.FieldCount; ++i)
                m_unsentFields.emplace_back(record.field(i));
        }
    }
    pump();
    persistIfDue();
}

void MqttPublisher::noteQueueFull() {
    if (m_fullSaid)
        return;
    m_fullSaid = true;
    m_parts.Prompts.notify("MQTT Queue Full.\n" + m_parts.Backlog.path() + " holds " +
                               std::to_string(m_parts.Backlog.waitingBytes() >> 20) +
                               " MiB of records waiting for the broker; newer records are dropped "
                               "until it takes them.",
                           kLostTitle, MessageIcon::Exclamation);
}

void MqttPublisher::noteQueueRoom() {
    if (!m_fullSaid)
        return;
    m_fullSaid = false;
    m_parts.Prompts.notify("MQTT Queue Has Room Again.\n" + std::to_string(m_dropped) +
                               " records were dropped while it was full.",
                           kProgramTitle, MessageIcon::Information);
    m_dropped = 0;
}

template <typename FieldText>
void MqttPublisher::publishFields(int fieldCount, FieldText fieldText) {
    if (m_settings.FieldTopics)
        for (int i = 1; i <= fieldCount; ++i)
            m_parts.Client.publish({m_topics.field(i), FieldPayload(fieldText(i)), m_settings.Qos, true, {}});
    if (!m_settings.Discovery)
        return;
    if (m_announced.size() < static_cast<std::size_t>(fieldCount) + 1)
        m_announced.resize(static_cast<std::size_t>(fieldCount) + 1, false);
    for (int i = 1; i <= fieldCount; ++i) {
        if (m_announced[static_cast<std::size_t>(i)] || !NumberAtStart(fieldText(i)))
            continue;
        const DiscoveryMessage message = FieldDiscovery(m_settings.DiscoveryPrefix, m_topics, m_run, i);
        if (m_parts.Client.publish({message.Topic, message.Payload, 1, true, {}}))
            m_announced[static_cast<std::size_t>(i)] = true;
    }
}

void MqttPublisher::pump() {
    while (m_state == State::Connected && !m_resendDue && m_inFlight.size() < kMqttWindow) {
        auto entry = m_parts.Backlog.next();
        if (!entry)
            break;
        const auto token = m_parts.Client.publish(
            {std::move(entry->Topic), std::move(entry->Payload), m_settings.Qos, false, {}});
        if (!token) {
            // The client's own queue is full, or it is noticing a loss: the next event goes on.
            m_parts.Backlog.unread();
            break;
        }
        m_inFlight.push_back({*token, false});
    }
    // Records behind a full window wait for acknowledgements: the client wakes us for a batch of them.
    m_parts.Client.wakeForAcknowledgements(recordsWaitForRoom());
}

void MqttPublisher::serviceEvents() {
    for (const MqttEvent& event : m_parts.Client.takeEvents())
        handle(event);
    pump();
    persistIfDue();
}

// While records flow, the queue's head is written on their way rather than on a wake of its own.
void MqttPublisher::persistIfDue() {
    if (m_persistDue && due(m_persistAt)) {
        m_persistDue = false;
        m_parts.Backlog.persist();
    }
}

bool MqttPublisher::recordsWaitForRoom() const {
    return m_state == State::Connected && !m_resendDue && m_inFlight.size() >= kMqttWindow &&
           m_parts.Backlog.waiting() > m_parts.Backlog.handedOut();
}

void MqttPublisher::handle(const MqttEvent& event) {
    if (m_state == State::Stopped && event.What != MqttEvent::Kind::Delivered)
        return;
    switch (event.What) {
    case MqttEvent::Kind::Connected:
        onConnected();
        break;
    case MqttEvent::Kind::ConnectFailed:
        dropped(false, event.Text);
        break;
    case MqttEvent::Kind::ConnectionLost:
        dropped(m_state == State::Connected, event.Text);
        break;
    case MqttEvent::Kind::Delivered:
        delivered(event.Token);
        break;
    case MqttEvent::Kind::PublishFailed:
        publishFailed(event.Token);
        break;
    case MqttEvent::Kind::Arrived:
        if (event.Message.Topic == m_topics.Command && m_settings.Commands && m_parts.Commands)
            runCommand(event.Message);
        break;
    }
}

void MqttPublisher::onConnected() {
    m_state = State::Connected;
    m_retryDelay = 0;
    m_resendDue = false;
    m_inFlight.clear();
    m_parts.Backlog.rewind();
    m_parts.Client.publish({m_topics.Status, StatusPayload(true, m_run), 1, true, {}});
    if (m_settings.Commands)
        m_parts.Client.subscribe(m_topics.Command, 1);
    if (!m_unsentFields.empty()) {
        const std::vector<std::string> fields = std::exchange(m_unsentFields, {});
        publishFields(static_cast<int>(fields.size()),
                      [&fields](int i) { return std::string_view(fields[static_cast<std::size_t>(i) - 1]); });
    }
    if (m_troubleSaid)
        m_parts.Prompts.notify("Broker " + m_options.Url + " Reconnected.\n" +
                                   std::to_string(m_parts.Backlog.waiting()) +
                                   " waiting records are sent now; capture goes on.",
                               kProgramTitle, MessageIcon::Information);
    m_troubleSaid = false;
    m_everConnected = true;
}

void MqttPublisher::dropped(bool wasConnected, const std::string& reason) {
    if (m_state == State::Stopped)
        return;
    m_state = State::Waiting;
    m_inFlight.clear();
    m_parts.Backlog.rewind();
    m_retryDelay = m_retryDelay == 0 ? kFirstRetryMs : std::min(m_retryDelay * 2, kLongestRetryMs);
    m_retryAt = m_parts.Time.tickCount() + m_retryDelay;
    if (m_troubleSaid)
        return;
    m_troubleSaid = true;
    const std::string why = reason.empty() ? std::string() : reason + "\n";
    if (wasConnected || m_everConnected)
        m_parts.Prompts.notify("Broker " + m_options.Url + " Disconnected.\n" + why +
                                   "Records wait on disk until it comes back.",
                               kLostTitle, MessageIcon::Exclamation);
    else
        m_parts.Prompts.notify("Broker " + m_options.Url + " Not Reached.\n" + why +
                                   "Records wait on disk; trying again until it answers.",
                               kLostTitle, MessageIcon::Exclamation);
}

void MqttPublisher::delivered(std::int64_t token) {
    const auto it = std::find_if(m_inFlight.begin(), m_inFlight.end(),
                                 [token](const InFlight& f) { return f.Token == token; });
    if (it == m_inFlight.end())
        return;
    it->Done = true;
    while (!m_inFlight.empty() && m_inFlight.front().Done) {
        m_inFlight.pop_front();
        m_parts.Backlog.acknowledge();
    }
    if (!m_persistDue) {
        m_persistDue = true;
        m_persistAt = m_parts.Time.tickCount() + kPersistEveryMs;
    }
}

void MqttPublisher::publishFailed(std::int64_t token) {
    const bool ours = std::any_of(m_inFlight.begin(), m_inFlight.end(),
                                  [token](const InFlight& f) { return f.Token == token; });
    if (!ours || m_state != State::Connected)
        return;
    // Order is kept by sending everything from the oldest waiting record again, after a pause so
    // that a broker refusing a message is not asked again at once.
    m_inFlight.clear();
    m_parts.Backlog.rewind();
    m_resendDue = true;
    m_retryAt = m_parts.Time.tickCount() + kLongestRetryMs;
}

void MqttPublisher::runCommand(const MqttMessage& message) {
    const MqttCommandRequest request = ParseCommandRequest(message.Payload);
    const bool accepted = m_parts.Commands(request.Command);
    m_parts.Client.publish(
        {m_topics.CommandResult, CommandResultPayload(request, accepted), 1, false, message.CorrelationData});
}

void MqttPublisher::onTimer() {
    if (const auto service = m_parts.Client.msUntilService(); service && *service <= 0)
        serviceEvents();
    if (m_state == State::Waiting && due(m_retryAt))
        connect();
    if (m_state == State::Connected && m_resendDue && due(m_retryAt)) {
        m_resendDue = false;
        pump();
    }
    persistIfDue();
}

std::optional<std::uint32_t> MqttPublisher::msUntilWork() const {
    std::optional<std::uint32_t> soonest;
    const auto consider = [&](std::uint32_t at) {
        const auto left = static_cast<std::int32_t>(at - m_parts.Time.tickCount());
        const std::uint32_t ms = left > 0 ? static_cast<std::uint32_t>(left) : 0;
        soonest = soonest ? std::min(*soonest, ms) : ms;
    };
    if (m_state == State::Waiting || (m_state == State::Connected && m_resendDue))
        consider(m_retryAt);
    if (m_persistDue)
        consider(m_persistAt);
    if (const auto service = m_parts.Client.msUntilService())
        consider(m_parts.Time.tickCount() + static_cast<std::uint32_t>(std::max(*service, 0)));
    return soonest;
}

void MqttPublisher::stop(int timeoutMs) {
    if (m_state == State::Stopped)
        return;
    if (m_state == State::Connected) {
        // What is on its way gets a moment to arrive, "offline" last; what does not arrive stays in
        // the queue for the next run.
        const auto offline =
            m_parts.Client.publish({m_topics.Status, StatusPayload(false, m_run), 1, true, {}});
        bool offlineArrived = !offline;
        const std::uint32_t end = m_parts.Time.tickCount() + static_cast<std::uint32_t>(timeoutMs);
        while (m_state == State::Connected && !(offlineArrived && m_inFlight.empty()) && !due(end)) {
            m_parts.Client.waitForEvents(static_cast<int>(end - m_parts.Time.tickCount()));
            for (const MqttEvent& event : m_parts.Client.takeEvents()) {
                offlineArrived =
                    offlineArrived || (event.What == MqttEvent::Kind::Delivered && event.Token == *offline);
                if (event.What != MqttEvent::Kind::Arrived)
                    handle(event);
            }
        }
    }
    m_state = State::Stopped;
    m_parts.Client.disconnect(0);
    if (m_fullSaid && m_dropped != 0)
        m_parts.Prompts.notify("MQTT Queue Full.\n" + std::to_string(m_dropped) +
                                   " records were dropped while it was full.",
                               kLostTitle, MessageIcon::Exclamation);
    m_parts.Backlog.close();
}

} // namespace quorvane
