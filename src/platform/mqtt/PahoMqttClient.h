#pragma once
// The broker connection through Eclipse Paho's asynchronous C client (MQTT 5, TLS through OpenSSL).
// Paho calls back on its own threads; the callbacks only queue events and wake the owner's thread.

#include "platform/MqttClient.h"

#include <atomic>
#include <mutex>

namespace quorvane {

/// One broker connection. Paho's own reconnect, offline buffer and persistence stay off: the
/// publisher decides when to connect and keeps the records itself.
class PahoMqttClient final : public MqttClient {
public:
    PahoMqttClient();
    ~PahoMqttClient() override;
    PahoMqttClient(const PahoMqttClient&) = delete;
    PahoMqttClient& operator=(const PahoMqttClient&) = delete;

    bool connect(const MqttConnectOptions& options, std::string& error) override;
    std::optional<std::int64_t> publish(const MqttMessage& message) override;
    bool subscribe(const std::string& topic, int qos) override;
    void disconnect(int timeoutMs) override;
    std::vector<MqttEvent> takeEvents() override;
    bool waitForEvents(int timeoutMs) override;
    int wakeDescriptor() const override { return m_wake; }

    /// Called from Paho's threads.
    void push(MqttEvent event);
    void noteTlsError(std::string_view text);
    std::string connectFailure(int code, const char* message, int reasonCode);
    void disconnected();

private:
    void* m_client = nullptr; // MQTTAsync
    std::string m_serverUri;
    MqttConnectOptions m_options; // kept: Paho reads the texts while it connects
    int m_wake = -1;
    std::atomic<std::int64_t> m_nextToken{1};

    std::atomic<bool> m_disconnected{false};
    std::mutex m_mutex; // guards the two below
    std::vector<MqttEvent> m_events;
    std::string m_tlsErrors;
};

} // namespace quorvane
