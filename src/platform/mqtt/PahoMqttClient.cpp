#include "platform/mqtt/PahoMqttClient.h"

#include "platform/mqtt/BrokerSocket.h"

#include <MQTTClient.h>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <utility>

namespace quorvane {

namespace {

// Publishes beyond the broker's window wait here, as they did in Paho's own buffer.
constexpr std::size_t kMaxWaiting = 4096;
constexpr int kMaxInFlight = 1024;
// QoS 0 has no window: it is held back while the kernel still holds this much for the broker, so
// that a write never stops half-way and makes Paho wait for the rest on our thread.
constexpr std::uint64_t kMaxUnsentBytes = 256 * 1024;
constexpr int kIdleServiceMs = 1000; // keepalive, and a connection that died quietly
// Acknowledgements awaited: they are left to gather and read together, after the next engine step,
// once a batch of them is there when publishes wait for room (see armWake()), or after this long
// without either. A fleet of instances on a few cores is otherwise woken again and again for a
// trickle of them.
constexpr int kBatchServiceMs = 100;
constexpr int kBusyServiceMs = 10; // QoS 0 publishes wait for the kernel to send what it holds
constexpr int kBlindServiceMs = 5; // the socket could not be found: nothing wakes us
// The smallest acknowledgement (PUBACK, PUBREC or PUBCOMP) is four bytes.
constexpr int kAcknowledgementBytes = 4;
constexpr int kMaxPacketsPerService = 512;

// Paho puts its own error codes (negative) in the response's reason code, an enum that has no such
// values: the number is read as a number.
int resultCode(const MQTTResponse& response) {
    int code = 0;
    static_assert(sizeof code == sizeof response.reasonCode);
    std::memcpy(&code, &response.reasonCode, sizeof code);
    return code;
}

MQTTClient handleOf(void* client) {
    return static_cast<MQTTClient>(client);
}

extern "C" void onPublished(void* context, int messageId, int, MQTTProperties*, enum MQTTReasonCodes reason) {
    const bool refused = reason >= MQTTREASONCODE_UNSPECIFIED_ERROR;
    static_cast<PahoMqttClient*>(context)->acknowledged(messageId, refused,
                                                        refused ? MQTTReasonCode_toString(reason) : "");
}

extern "C" int onTlsError(const char* text, std::size_t size, void* context) {
    static_cast<PahoMqttClient*>(context)->noteTlsError(std::string_view(text, size));
    return 0;
}

} // namespace

PahoMqttClient::PahoMqttClient() : m_wake(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

PahoMqttClient::~PahoMqttClient() {
    disconnect(0);
    if (m_client != nullptr) {
        MQTTClient handle = handleOf(m_client);
        MQTTClient_destroy(&handle);
    }
    if (m_wake >= 0)
        ::close(m_wake);
}

void PahoMqttClient::acknowledged(int messageId, bool refused, std::string_view reason) {
    const auto it = m_inFlight.find(messageId);
    if (it == m_inFlight.end())
        return;
    m_paho.push_back({refused ? MqttEvent::Kind::PublishFailed : MqttEvent::Kind::Delivered,
                      it->second,
                      std::string(reason),
                      {}});
    m_inFlight.erase(it);
}

void PahoMqttClient::noteTlsError(std::string_view text) {
    if (m_tlsErrors.size() < 2000)
        m_tlsErrors.append(text).append("\n");
}

std::string PahoMqttClient::connectFailure(int code) const {
    if (m_tlsErrors.find("certificate verify failed") != std::string::npos)
        return "The broker's certificate could not be verified" +
               (m_options.CaFile.empty() ? std::string(" with the system's certificate authorities")
                                         : " with the CA file " + m_options.CaFile) +
               " (certificate verify failed): TLS refused the connection.";
    if (!m_tlsErrors.empty())
        return "TLS refused the connection: " + m_tlsErrors.substr(0, m_tlsErrors.find('\n')) + ".";
    if (code >= MQTTREASONCODE_UNSPECIFIED_ERROR)
        return std::string("The broker refused the connection: ") +
               MQTTReasonCode_toString(static_cast<MQTTReasonCodes>(code)) + ".";
    if (code > 0)
        return "The broker refused the connection (code " + std::to_string(code) + ").";
    return "The broker does not answer at " + m_options.Url + ".";
}

// Paho writes each publish with a call of its own; corked, the kernel sends a batch of them in full
// segments, and the broker wakes once for the batch instead of once per message. The first message
// after a flush goes out at once: a lone record costs no cork.
void PahoMqttClient::cork(bool on) {
    if (m_socket < 0 || m_corked == on)
        return;
    const int value = on ? 1 : 0;
    ::setsockopt(m_socket, IPPROTO_TCP, TCP_CORK, &value, sizeof value);
    m_corked = on;
}

void PahoMqttClient::flush() {
    cork(false);
    m_sentSinceFlush = 0;
}

// The socket wakes the caller once this many bytes wait; Paho itself must see every byte as soon as
// it looks.
void PahoMqttClient::setLowWater(int bytes) {
    if (m_socket < 0 || bytes == m_lowWater)
        return;
    ::setsockopt(m_socket, SOL_SOCKET, SO_RCVLOWAT, &bytes, sizeof bytes);
    m_lowWater = bytes;
}

bool PahoMqttClient::wakesForAcknowledgements() const {
    return m_connected && !m_worker.joinable() && !m_inFlight.empty() && (m_roomWanted || !m_waiting.empty());
}

// While publishes (ours or the caller's) wait for room, the socket wakes the caller once a quarter of
// what is in flight can be read, not for each acknowledgement of a broker that sends them in a
// trickle.
void PahoMqttClient::armWake() {
    const auto batch = std::max<std::size_t>(1, m_inFlight.size() / 4);
    setLowWater(wakesForAcknowledgements() ? static_cast<int>(batch) * kAcknowledgementBytes : 1);
}

void PahoMqttClient::wakeForAcknowledgements(bool wanted) {
    m_roomWanted = wanted;
    armWake();
}

void PahoMqttClient::startWork(std::function<void()> work) {
    flush();
    setLowWater(1);
    m_workDone = false;
    m_worker = std::thread([this, work = std::move(work)] {
        work();
        m_workDone.store(true, std::memory_order_release);
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t ignored = ::write(m_wake, &one, sizeof one);
    });
}

void PahoMqttClient::finishWork() {
    if (!m_worker.joinable())
        return;
    m_worker.join();
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t ignored = ::read(m_wake, &count, sizeof count);
    if (m_connecting) {
        finishConnect();
        return;
    }
    // A subscribe: what Paho read meanwhile is handed on, and it may have seen the end.
    m_events.insert(m_events.end(), m_paho.begin(), m_paho.end());
    m_paho.clear();
    if (m_connected && !MQTTClient_isConnected(handleOf(m_client)))
        lost();
}

void PahoMqttClient::finishConnect() {
    m_connecting = false;
    if (m_connectResult != MQTTCLIENT_SUCCESS || !MQTTClient_isConnected(handleOf(m_client))) {
        m_events.push_back({MqttEvent::Kind::ConnectFailed, 0, connectFailure(m_connectResult), {}});
        return;
    }
    m_connected = true;
    m_receiveMaximum = std::clamp(m_brokerReceiveMaximum, 1, kMaxInFlight);
    m_socket = FindNewBrokerSocket(m_socketsBefore, m_port);
    m_lowWater = 1;
    m_roomWanted = false;
    m_corked = false;
    m_inFlight.clear();
    m_paho.clear();
    m_events.push_back({MqttEvent::Kind::Connected, 0, {}, {}});
}

bool PahoMqttClient::connect(const MqttConnectOptions& options, std::string& error) {
    std::string uri;
    if (options.Url.starts_with("mqtts://"))
        uri = "ssl://" + options.Url.substr(8);
    else if (options.Url.starts_with("mqtt://"))
        uri = "tcp://" + options.Url.substr(7);
    else {
        error = "The broker URL must start with mqtt:// or mqtts://.";
        return false;
    }
    finishWork();
    if (m_connected)
        disconnect(0);
    if (m_client == nullptr || uri != m_serverUri) {
        if (m_client != nullptr) {
            MQTTClient old = handleOf(m_client);
            MQTTClient_destroy(&old);
            m_client = nullptr;
        }
        MQTTClient_createOptions create = MQTTClient_createOptions_initializer;
        create.MQTTVersion = MQTTVERSION_5;
        MQTTClient handle = nullptr;
        const int rc = MQTTClient_createWithOptions(&handle, uri.c_str(), options.ClientId.c_str(),
                                                    MQTTCLIENT_PERSISTENCE_NONE, nullptr, &create);
        if (rc != MQTTCLIENT_SUCCESS) {
            error = std::string("The MQTT client cannot be created: ") + MQTTClient_strerror(rc);
            return false;
        }
        // Only this callback: one for arriving messages would start Paho's own thread.
        MQTTClient_setPublished(handle, this, onPublished);
        m_client = handle;
        m_serverUri = uri;
    }
    m_options = options;
    m_port = BrokerPort(options.Url);
    m_tlsErrors.clear();
    m_socketsBefore = OpenSocketInodes();
    m_connecting = true;
    startWork([this, tls = uri.starts_with("ssl://")] {
        MQTTClient_connectOptions connect = MQTTClient_connectOptions_initializer5;
        connect.keepAliveInterval = m_options.KeepAliveSeconds;
        connect.connectTimeout = m_options.ConnectTimeoutSeconds;
        connect.cleanstart = 1;
        connect.reliable = 0;
        connect.maxInflightMessages = kMaxInFlight;
        if (!m_options.User.empty())
            connect.username = m_options.User.c_str();
        if (!m_options.Password.empty())
            connect.password = m_options.Password.c_str();

        MQTTClient_willOptions will = MQTTClient_willOptions_initializer;
        if (!m_options.Will.Topic.empty()) {
            will.topicName = m_options.Will.Topic.c_str();
            will.payload.data = m_options.Will.Payload.data();
            will.payload.len = static_cast<int>(m_options.Will.Payload.size());
            will.message = nullptr;
            will.retained = m_options.Will.Retained ? 1 : 0;
            will.qos = m_options.Will.Qos;
            connect.will = &will;
        }

        MQTTClient_SSLOptions ssl = MQTTClient_SSLOptions_initializer;
        if (tls) {
            ssl.enableServerCertAuth = 1;
            ssl.verify = 1;
            ssl.trustStore = m_options.CaFile.empty() ? nullptr : m_options.CaFile.c_str();
            ssl.keyStore = m_options.CertFile.empty() ? nullptr : m_options.CertFile.c_str();
            ssl.privateKey = m_options.KeyFile.empty() ? nullptr : m_options.KeyFile.c_str();
            ssl.ssl_error_cb = onTlsError;
            ssl.ssl_error_context = this;
            connect.ssl = &ssl;
        }

        MQTTResponse response = MQTTClient_connect5(handleOf(m_client), &connect, nullptr, nullptr);
        m_connectResult = resultCode(response);
        m_brokerReceiveMaximum = 65535;
        if (response.properties != nullptr)
            if (const MQTTProperty* maximum =
                    MQTTProperties_getProperty(response.properties, MQTTPROPERTY_CODE_RECEIVE_MAXIMUM))
                m_brokerReceiveMaximum = maximum->value.integer2;
        MQTTResponse_free(response);
    });
    return true;
}

bool PahoMqttClient::roomFor(int qos) const {
    if (qos == 0)
        return UnsentBytes(m_socket) < kMaxUnsentBytes;
    return m_inFlight.size() < static_cast<std::size_t>(m_receiveMaximum);
}

bool PahoMqttClient::send(const MqttMessage& message, std::int64_t token) {
    MQTTClient_message out = MQTTClient_message_initializer;
    out.payload = const_cast<char*>(message.Payload.data());
    out.payloadlen = static_cast<int>(message.Payload.size());
    out.qos = message.Qos;
    out.retained = message.Retained ? 1 : 0;
    MQTTProperty correlation{};
    if (!message.CorrelationData.empty()) {
        correlation.identifier = MQTTPROPERTY_CODE_CORRELATION_DATA;
        correlation.value.data.data = const_cast<char*>(message.CorrelationData.data());
        correlation.value.data.len = static_cast<int>(message.CorrelationData.size());
        MQTTProperties_add(&out.properties, &correlation);
    }
    if (++m_sentSinceFlush == 2)
        cork(true);
    MQTTClient_deliveryToken messageId = 0;
    MQTTResponse response =
        MQTTClient_publishMessage5(handleOf(m_client), message.Topic.c_str(), &out, &messageId);
    MQTTProperties_free(&out.properties);
    const int rc = resultCode(response);
    MQTTResponse_free(response);
    if (rc != MQTTCLIENT_SUCCESS)
        return false;
    if (message.Qos == 0)
        m_events.push_back({MqttEvent::Kind::Delivered, token, {}, {}});
    else
        m_inFlight.emplace(messageId, token);
    return true;
}

std::optional<std::int64_t> PahoMqttClient::publish(const MqttMessage& message) {
    if (!m_connected)
        return std::nullopt;
    if (m_worker.joinable() || !m_waiting.empty() || !roomFor(message.Qos)) {
        if (m_waiting.size() >= kMaxWaiting)
            return std::nullopt;
        m_waiting.push_back({message, m_nextToken});
        return m_nextToken++;
    }
    if (!send(message, m_nextToken))
        return std::nullopt;
    return m_nextToken++;
}

void PahoMqttClient::sendWaiting() {
    while (m_connected && !m_waiting.empty() && roomFor(m_waiting.front().Message.Qos)) {
        Waiting next = std::move(m_waiting.front());
        m_waiting.pop_front();
        if (!send(next.Message, next.Token))
            m_events.push_back(
                {MqttEvent::Kind::PublishFailed, next.Token, "Paho did not take the message.", {}});
    }
}

bool PahoMqttClient::subscribe(const std::string& topic, int qos) {
    if (!m_connected)
        return false;
    finishWork();
    startWork([this, topic, qos] {
        MQTTResponse response =
            MQTTClient_subscribe5(handleOf(m_client), topic.c_str(), qos, nullptr, nullptr);
        MQTTResponse_free(response);
    });
    return true;
}

void PahoMqttClient::lost() {
    m_connected = false;
    m_socket = -1;
    m_roomWanted = false;
    m_corked = false;
    m_inFlight.clear();
    m_waiting.clear();
    m_events.push_back({MqttEvent::Kind::ConnectionLost, 0, "The connection to the broker ended.", {}});
}

// Reads what the broker sent, one packet a call, until a call brings nothing we see: a socket with
// more to read wakes the caller again.
void PahoMqttClient::receive() {
    MQTTClient handle = handleOf(m_client);
    setLowWater(1);
    for (int i = 0; i < kMaxPacketsPerService; ++i) {
        char* topic = nullptr;
        int topicSize = 0;
        MQTTClient_message* message = nullptr;
        const int rc = MQTTClient_receive(handle, &topic, &topicSize, &message, 0);
        bool progress = !m_paho.empty();
        m_events.insert(m_events.end(), m_paho.begin(), m_paho.end());
        m_paho.clear();
        if (message != nullptr) {
            MqttEvent event{MqttEvent::Kind::Arrived, 0, {}, {}};
            event.Message.Topic =
                topicSize > 0 ? std::string(topic, static_cast<std::size_t>(topicSize)) : std::string(topic);
            event.Message.Payload.assign(static_cast<const char*>(message->payload),
                                         static_cast<std::size_t>(message->payloadlen));
            event.Message.Qos = message->qos;
            event.Message.Retained = message->retained != 0;
            if (const MQTTProperty* correlation =
                    MQTTProperties_getProperty(&message->properties, MQTTPROPERTY_CODE_CORRELATION_DATA))
                event.Message.CorrelationData.assign(correlation->value.data.data,
                                                     static_cast<std::size_t>(correlation->value.data.len));
            m_events.push_back(std::move(event));
            MQTTClient_freeMessage(&message);
            MQTTClient_free(topic);
            progress = true;
        }
        if ((rc != MQTTCLIENT_SUCCESS && rc != MQTTCLIENT_TOPICNAME_TRUNCATED) || !progress)
            break;
    }
    if (!MQTTClient_isConnected(handle))
        lost();
}

std::vector<MqttEvent> PahoMqttClient::takeEvents() {
    if (m_worker.joinable() && m_workDone.load(std::memory_order_acquire))
        finishWork();
    if (!m_worker.joinable()) {
        m_lastService = std::chrono::steady_clock::now();
        if (m_connected)
            receive();
        sendWaiting();
        flush();
        armWake();
    }
    return std::exchange(m_events, {});
}

bool PahoMqttClient::waitForEvents(int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        std::vector<MqttEvent> events = takeEvents();
        if (!events.empty()) {
            m_events.insert(m_events.begin(), std::make_move_iterator(events.begin()),
                            std::make_move_iterator(events.end()));
            return true;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now())
                .count();
        if (left <= 0)
            return false;
        int wait = static_cast<int>(left);
        if (const auto service = msUntilService())
            wait = std::clamp(*service, 1, wait);
        // Blocking anyway, so the socket itself is watched even while busy() leaves it alone, for
        // whatever comes.
        setLowWater(1);
        pollfd wake{m_worker.joinable() ? m_wake : m_connected ? m_socket : -1, POLLIN, 0};
        ::poll(&wake, wake.fd >= 0 ? 1 : 0, wait);
    }
}

int PahoMqttClient::wakeDescriptor() const {
    if (m_worker.joinable())
        return m_wake;
    return m_connected && (!busy() || wakesForAcknowledgements()) ? m_socket : -1;
}

std::optional<int> PahoMqttClient::msUntilService() const {
    if (m_worker.joinable() || !m_connected)
        return std::nullopt;
    const int every = m_socket < 0          ? kBlindServiceMs
                      : !m_inFlight.empty() ? kBatchServiceMs
                      : !m_waiting.empty()  ? kBusyServiceMs
                                            : kIdleServiceMs;
    const auto since = std::chrono::duration_cast<std::chrono::milliseconds>(
                           std::chrono::steady_clock::now() - m_lastService)
                           .count();
    return static_cast<int>(std::max<std::int64_t>(0, every - since));
}

void PahoMqttClient::disconnect(int timeoutMs) {
    // A connect under way is waited for: Paho's connect cannot be called off.
    finishWork();
    flush();
    if (m_client != nullptr && m_connected)
        MQTTClient_disconnect5(handleOf(m_client), timeoutMs, MQTTREASONCODE_NORMAL_DISCONNECTION, nullptr);
    m_connected = false;
    m_socket = -1;
    m_roomWanted = false;
    m_corked = false;
    m_inFlight.clear();
    m_waiting.clear();
    m_paho.clear();
}

} // namespace quorvane
