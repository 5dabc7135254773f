#pragma once
// A broker connection that records what it was asked and hands back the events a test queues.

#include <optional>
#include <vector>

#include "platform/MqttClient.h"

namespace quorvane::test {

class FakeMqttClient final : public MqttClient {
public:
    bool connect(const MqttConnectOptions& options, std::string& error) override {
        ++Connects;
        Options = options;
        if (!Usable)
            error = "unusable";
        return Usable;
    }
    std::optional<std::int64_t> publish(const MqttMessage& message) override {
        if (!Connected || (Capacity && Published.size() >= *Capacity))
            return std::nullopt;
        Published.push_back({message, NextToken});
        return NextToken++;
    }
    bool subscribe(const std::string& topic, int) override {
        Subscribed.push_back(topic);
        return Connected;
    }
    void disconnect(int) override {
        Connected = false;
        ++Disconnects;
    }
    std::vector<MqttEvent> takeEvents() override { return std::exchange(Events, {}); }
    bool waitForEvents(int) override { return !Events.empty(); }
    std::optional<int> msUntilService() const override { return ServiceIn; }
    void wakeForAcknowledgements(bool wanted) override { WakeForAcknowledgements = wanted; }

    /// Queues an event; Connected follows the connection events.
    void event(MqttEvent::Kind what, std::int64_t token = 0, MqttMessage message = {}) {
        if (what == MqttEvent::Kind::Connected)
            Connected = true;
        if (what == MqttEvent::Kind::ConnectionLost || what == MqttEvent::Kind::ConnectFailed)
            Connected = false;
        Events.push_back({what, token, "why", std::move(message)});
    }
    /// The payloads published to `topic`, in order.
    std::vector<std::string> payloads(const std::string& topic) const {
        std::vector<std::string> all;
        for (const auto& p : Published)
            if (p.Message.Topic == topic)
                all.push_back(p.Message.Payload);
        return all;
    }

    struct Publish {
        MqttMessage Message;
        std::int64_t Token;
    };
    bool Usable = true;
    bool Connected = false;
    std::optional<std::size_t> Capacity;  // publishes taken before it refuses
    std::optional<int> ServiceIn;         // what msUntilService() answers
    bool WakeForAcknowledgements = false; // as the publisher last asked
    int Connects = 0;
    int Disconnects = 0;
    MqttConnectOptions Options;
    std::vector<Publish> Published;
    std::vector<std::string> Subscribed;
    std::vector<MqttEvent> Events;
    std::int64_t NextToken = 1;
};

} // namespace quorvane::test
