#pragma once
// The broker connection through Eclipse Paho's synchronous C client (MQTT 5, TLS through OpenSSL),
// with no callbacks that would give Paho a thread of its own: publishes are written from the
// caller's thread, and acknowledgements, incoming messages and keepalive are read when the caller
// runs takeEvents(). The two calls that wait for the broker (connect and subscribe) run on a short-
// lived thread while the caller's thread leaves Paho alone and only queues publishes.

#include "platform/MqttClient.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <set>
#include <thread>
#include <unordered_map>

#include <sys/types.h>

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
    void flush() override;
    /// True while publishes wait for flush().
    bool holdsBack() const { return m_corked; }
    /// True while acknowledgements are awaited: then the caller takes the events after each engine
    /// step, and the socket wakes it only for a batch of them while publishes wait for room, so that
    /// a busy run is not woken once per acknowledgement.
    bool busy() const {
        return m_connected && !m_worker.joinable() && (!m_inFlight.empty() || !m_waiting.empty());
    }
    bool subscribe(const std::string& topic, int qos) override;
    void disconnect(int timeoutMs) override;
    std::vector<MqttEvent> takeEvents() override;
    bool waitForEvents(int timeoutMs) override;
    int wakeDescriptor() const override;
    std::optional<int> msUntilService() const override;
    void wakeForAcknowledgements(bool wanted) override;

    /// Called by Paho on whichever thread drives it at the time.
    void acknowledged(int messageId, bool refused, std::string_view reason);
    void noteTlsError(std::string_view text);

private:
    struct Waiting {
        MqttMessage Message;
        std::int64_t Token;
    };

    void startWork(std::function<void()> work);
    void finishWork();
    void finishConnect();
    void receive();
    void lost();
    void sendWaiting();
    bool send(const MqttMessage& message, std::int64_t token);
    bool roomFor(int qos) const;
    void cork(bool on);
    void setLowWater(int bytes);
    bool wakesForAcknowledgements() const;
    void armWake();
    std::string connectFailure(int code) const;

    void* m_client = nullptr; // MQTTClient
    std::string m_serverUri;
    MqttConnectOptions m_options; // kept: Paho reads the texts while it connects
    int m_port = 0;
    int m_wake = -1;           // eventfd: a worker thread finished
    int m_socket = -1;         // Paho's socket to the broker while connected, when it could be found
    int m_lowWater = 1;        // the socket's SO_RCVLOWAT
    bool m_roomWanted = false; // the caller's records wait for acknowledgements
    bool m_corked = false;
    int m_sentSinceFlush = 0;
    std::int64_t m_nextToken = 1;
    bool m_connected = false;
    bool m_connecting = false;
    int m_receiveMaximum = 0; // QoS 1 and 2 publishes the broker takes at once
    std::chrono::steady_clock::time_point m_lastService;

    // A connect or subscribe waiting for the broker; Paho belongs to it until it is joined.
    std::thread m_worker;
    std::atomic<bool> m_workDone{false};
    int m_connectResult = 0;
    int m_brokerReceiveMaximum = 0;
    std::set<ino_t> m_socketsBefore;
    std::string m_tlsErrors;

    // Written by whoever drives Paho; read by the caller's thread only while no worker runs.
    std::vector<MqttEvent> m_paho;
    std::unordered_map<int, std::int64_t> m_inFlight; // Paho's message id -> our token

    std::vector<MqttEvent> m_events;
    std::deque<Waiting> m_waiting; // publishes that wait for room, in order
};

} // namespace quorvane
