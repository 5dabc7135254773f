#pragma once
// A connection to an MQTT broker as the publisher sees it: requests go out at once and never block;
// what becomes of them (connected, delivered, lost, a message arrived) is handed back as events on
// the caller's thread, in the order they happened.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quorvane {

/// One message to publish or one that arrived.
struct MqttMessage {
    std::string Topic;
    std::string Payload;
    int Qos = 1;
    bool Retained = false;
    /// MQTT 5 correlation data of a request, handed back with its answer; empty when none.
    std::string CorrelationData;
};

/// Where and how to connect. Secrets are held only here, never logged.
struct MqttConnectOptions {
    /// "mqtt://host:port" or "mqtts://host:port".
    std::string Url;
    std::string ClientId;
    std::string User;
    std::string Password;
    /// PEM files; an empty CA trusts the system's certificate authorities.
    std::string CaFile;
    std::string CertFile;
    std::string KeyFile;
    /// Published by the broker when the connection ends without a clean stop.
    MqttMessage Will;
    int KeepAliveSeconds = 10;
    int ConnectTimeoutSeconds = 5;
};

/// What became of a request, or what the broker sent.
struct MqttEvent {
    enum class Kind {
        Connected,      ///< the connection is up (after connect)
        ConnectFailed,  ///< the connect did not succeed; Text says why
        ConnectionLost, ///< an established connection ended; Text says why
        Delivered,      ///< the publish with Token completed (QoS 0: written to the network)
        PublishFailed,  ///< the publish with Token did not complete
        Arrived,        ///< a message on a subscribed topic
    };
    Kind What = Kind::Connected;
    std::int64_t Token = 0;
    std::string Text;
    MqttMessage Message;
};

/// One broker connection; single caller thread. The caller runs takeEvents() when wakeDescriptor()
/// becomes readable and once msUntilService() has passed; that is when the network work is done.
class MqttClient {
public:
    virtual ~MqttClient() = default;
    /// Starts connecting with `options`; false (with `error`) when the options cannot be used at all.
    virtual bool connect(const MqttConnectOptions& options, std::string& error) = 0;
    /// Starts a publish; its outcome comes back as an event with the returned token. nullopt when it
    /// cannot even be started (not connected).
    virtual std::optional<std::int64_t> publish(const MqttMessage& message) = 0;
    /// Sends at once what the publishes since the last call may have held back to go out together.
    virtual void flush() {}
    /// Subscribes to a topic filter; false when not connected.
    virtual bool subscribe(const std::string& topic, int qos) = 0;
    /// Ends the connection cleanly, giving requests in flight at most `timeoutMs` to complete (0:
    /// at once).
    virtual void disconnect(int timeoutMs) = 0;
    /// Does the network work that is due and returns the events since the last call, oldest first.
    virtual std::vector<MqttEvent> takeEvents() = 0;
    /// Blocks until events wait or `timeoutMs` passed; true when events wait.
    virtual bool waitForEvents(int timeoutMs) = 0;
    /// A descriptor that becomes readable when takeEvents() has work; -1 when none. It may change
    /// with every takeEvents(), connect() and subscribe().
    virtual int wakeDescriptor() const { return -1; }
    /// Milliseconds until takeEvents() must run even without a wake (keepalive, retries); nullopt
    /// when only the descriptor brings work.
    virtual std::optional<int> msUntilService() const { return std::nullopt; }
    /// Whether the caller has records waiting for the acknowledgements of those in flight: then the
    /// descriptor wakes it once a batch of them can be read; otherwise they may be left to gather
    /// until the caller's next takeEvents() or msUntilService().
    virtual void wakeForAcknowledgements(bool) {}
};

} // namespace quorvane
