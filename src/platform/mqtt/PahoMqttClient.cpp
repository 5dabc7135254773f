#include "platform/mqtt/PahoMqttClient.h"

#include <MQTTAsync.h>

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>

namespace quorvane {

namespace {

MQTTAsync handleOf(void* client) {
    return static_cast<MQTTAsync>(client);
}

// What a publish's callbacks need: whose it is and the token the publisher knows it by.
struct PublishContext {
    PahoMqttClient* Client;
    std::int64_t Token;
};

extern "C" void onConnected(void* context, MQTTAsync_successData5*) {
    static_cast<PahoMqttClient*>(context)->push({MqttEvent::Kind::Connected, 0, {}, {}});
}

extern "C" void onConnectFailed(void* context, MQTTAsync_failureData5* failure) {
    auto* client = static_cast<PahoMqttClient*>(context);
    const std::string why = failure
                                ? client->connectFailure(failure->code, failure->message, failure->reasonCode)
                                : client->connectFailure(MQTTASYNC_FAILURE, nullptr, 0);
    client->push({MqttEvent::Kind::ConnectFailed, 0, why, {}});
}

extern "C" void onConnectionLost(void* context, char* cause) {
    std::string why = cause ? cause : "";
    if (why.empty())
        why = "The connection to the broker ended.";
    static_cast<PahoMqttClient*>(context)->push({MqttEvent::Kind::ConnectionLost, 0, why, {}});
    if (cause)
        MQTTAsync_free(cause);
}

extern "C" int onMessage(void* context, char* topic, int topicSize, MQTTAsync_message* message) {
    MqttEvent event{MqttEvent::Kind::Arrived, 0, {}, {}};
    event.Message.Topic =
        topicSize > 0 ? std::string(topic, static_cast<std::size_t>(topicSize)) : std::string(topic);
    event.Message.Payload.assign(static_cast<const char*>(message->payload),
                                 static_cast<std::size_t>(message->payloadlen));
    event.Message.Qos = message->qos;
    event.Message.Retained = message->retained != 0;
    if (MQTTProperty* correlation =
            MQTTProperties_getProperty(&message->properties, MQTTPROPERTY_CODE_CORRELATION_DATA))
        event.Message.CorrelationData.assign(correlation->value.data.data,
                                             static_cast<std::size_t>(correlation->value.data.len));
    static_cast<PahoMqttClient*>(context)->push(std::move(event));
    MQTTAsync_freeMessage(&message);
    MQTTAsync_free(topic);
    return 1;
}

extern "C" void onPublished(void* context, MQTTAsync_successData5*) {
    auto* publish = static_cast<PublishContext*>(context);
    publish->Client->push({MqttEvent::Kind::Delivered, publish->Token, {}, {}});
    delete publish;
}

extern "C" void onPublishFailed(void* context, MQTTAsync_failureData5* failure) {
    auto* publish = static_cast<PublishContext*>(context);
    publish->Client->push({MqttEvent::Kind::PublishFailed,
                           publish->Token,
                           failure && failure->message ? failure->message : "",
                           {}});
    delete publish;
}

extern "C" void onDisconnected(void* context, MQTTAsync_successData5*) {
    static_cast<PahoMqttClient*>(context)->disconnected();
}

extern "C" void onDisconnectFailed(void* context, MQTTAsync_failureData5*) {
    static_cast<PahoMqttClient*>(context)->disconnected();
}

extern "C" int onTlsError(const char* text, std::size_t size, void* context) {
    static_cast<PahoMqttClient*>(context)->noteTlsError(std::string_view(text, size));
    return 0;
}

} // namespace

PahoMqttClient::PahoMqttClient() : m_wake(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

PahoMqttClient::~PahoMqttClient() {
    if (m_client != nullptr) {
        MQTTAsync handle = handleOf(m_client);
        if (MQTTAsync_isConnected(handle))
            disconnect(0);
        MQTTAsync_destroy(&handle);
    }
    if (m_wake >= 0)
        ::close(m_wake);
}

void PahoMqttClient::push(MqttEvent event) {
    {
        const std::lock_guard lock(m_mutex);
        m_events.push_back(std::move(event));
    }
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(m_wake, &one, sizeof one);
}

bool PahoMqttClient::waitForEvents(int timeoutMs) {
    pollfd wake{m_wake, POLLIN, 0};
    return ::poll(&wake, 1, timeoutMs) > 0;
}

std::vector<MqttEvent> PahoMqttClient::takeEvents() {
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t ignored = ::read(m_wake, &count, sizeof count);
    std::vector<MqttEvent> events;
    const std::lock_guard lock(m_mutex);
    events.swap(m_events);
    return events;
}

void PahoMqttClient::noteTlsError(std::string_view text) {
    const std::lock_guard lock(m_mutex);
    if (m_tlsErrors.size() < 2000)
        m_tlsErrors.append(text).append("\n");
}

std::string PahoMqttClient::connectFailure(int code, const char* message, int reasonCode) {
    std::string tls;
    {
        const std::lock_guard lock(m_mutex);
        tls.swap(m_tlsErrors);
    }
    if (tls.find("certificate verify failed") != std::string::npos)
        return "The broker's certificate could not be verified" +
               (m_options.CaFile.empty() ? std::string(" with the system's certificate authorities")
                                         : " with the CA file " + m_options.CaFile) +
               " (certificate verify failed): TLS refused the connection.";
    if (!tls.empty())
        return "TLS refused the connection: " + tls.substr(0, tls.find('\n')) + ".";
    if (reasonCode >= 0x80)
        return std::string("The broker refused the connection: ") +
               MQTTReasonCode_toString(static_cast<MQTTReasonCodes>(reasonCode)) + ".";
    std::string text = message && *message ? message : MQTTAsync_strerror(code);
    if (text.find("TCP connect") != std::string::npos || text.find("connect timeout") != std::string::npos)
        return "The broker does not answer at " + m_options.Url + " (" + text + ").";
    return text.empty() ? std::string("The connection to the broker failed.") : text;
}

void PahoMqttClient::disconnected() {
    m_disconnected = true;
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
    if (m_client == nullptr || uri != m_serverUri) {
        if (m_client != nullptr) {
            MQTTAsync old = handleOf(m_client);
            MQTTAsync_destroy(&old);
            m_client = nullptr;
        }
        MQTTAsync_createOptions create = MQTTAsync_createOptions_initializer5;
        // Publishes wait in Paho's command queue until its thread writes them; the publisher keeps
        // far fewer than this on their way.
        create.maxBufferedMessages = 4096;
        MQTTAsync handle = nullptr;
        const int rc = MQTTAsync_createWithOptions(&handle, uri.c_str(), options.ClientId.c_str(),
                                                   MQTTCLIENT_PERSISTENCE_NONE, nullptr, &create);
        if (rc != MQTTASYNC_SUCCESS) {
            error = std::string("The MQTT client cannot be created: ") + MQTTAsync_strerror(rc);
            return false;
        }
        MQTTAsync_setCallbacks(handle, this, onConnectionLost, onMessage, nullptr);
        m_client = handle;
        m_serverUri = uri;
    }
    m_options = options;
    {
        const std::lock_guard lock(m_mutex);
        m_tlsErrors.clear();
    }

    MQTTAsync_connectOptions connect = MQTTAsync_connectOptions_initializer5;
    connect.keepAliveInterval = m_options.KeepAliveSeconds;
    connect.connectTimeout = m_options.ConnectTimeoutSeconds;
    connect.cleanstart = 1;
    connect.maxInflight = 1024;
    connect.automaticReconnect = 0;
    connect.onSuccess5 = onConnected;
    connect.onFailure5 = onConnectFailed;
    connect.context = this;
    if (!m_options.User.empty())
        connect.username = m_options.User.c_str();
    if (!m_options.Password.empty())
        connect.password = m_options.Password.c_str();

    MQTTAsync_willOptions will = MQTTAsync_willOptions_initializer;
    if (!m_options.Will.Topic.empty()) {
        will.topicName = m_options.Will.Topic.c_str();
        will.payload.data = m_options.Will.Payload.data();
        will.payload.len = static_cast<int>(m_options.Will.Payload.size());
        will.message = nullptr;
        will.retained = m_options.Will.Retained ? 1 : 0;
        will.qos = m_options.Will.Qos;
        connect.will = &will;
    }

    MQTTAsync_SSLOptions tls = MQTTAsync_SSLOptions_initializer;
    if (uri.starts_with("ssl://")) {
        tls.enableServerCertAuth = 1;
        tls.verify = 1;
        tls.trustStore = m_options.CaFile.empty() ? nullptr : m_options.CaFile.c_str();
        tls.keyStore = m_options.CertFile.empty() ? nullptr : m_options.CertFile.c_str();
        tls.privateKey = m_options.KeyFile.empty() ? nullptr : m_options.KeyFile.c_str();
        tls.ssl_error_cb = onTlsError;
        tls.ssl_error_context = this;
        connect.ssl = &tls;
    }

    const int rc = MQTTAsync_connect(handleOf(m_client), &connect);
    if (rc != MQTTASYNC_SUCCESS) {
        // Refused before any network work (a connect already under way among others): a failure
        // like any other, retried by the publisher.
        push({MqttEvent::Kind::ConnectFailed, 0, connectFailure(rc, nullptr, 0), {}});
    }
    return true;
}

std::optional<std::int64_t> PahoMqttClient::publish(const MqttMessage& message) {
    if (m_client == nullptr || !MQTTAsync_isConnected(handleOf(m_client)))
        return std::nullopt;
    const std::int64_t token = m_nextToken++;
    auto* context = new PublishContext{this, token};
    MQTTAsync_responseOptions response = MQTTAsync_responseOptions_initializer;
    response.onSuccess5 = onPublished;
    response.onFailure5 = onPublishFailed;
    response.context = context;
    MQTTAsync_message out = MQTTAsync_message_initializer;
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
    const int rc = MQTTAsync_sendMessage(handleOf(m_client), message.Topic.c_str(), &out, &response);
    MQTTProperties_free(&out.properties);
    if (rc != MQTTASYNC_SUCCESS) {
        delete context;
        return std::nullopt;
    }
    return token;
}

bool PahoMqttClient::subscribe(const std::string& topic, int qos) {
    if (m_client == nullptr || !MQTTAsync_isConnected(handleOf(m_client)))
        return false;
    MQTTAsync_responseOptions response = MQTTAsync_responseOptions_initializer;
    return MQTTAsync_subscribe(handleOf(m_client), topic.c_str(), qos, &response) == MQTTASYNC_SUCCESS;
}

void PahoMqttClient::disconnect(int timeoutMs) {
    if (m_client == nullptr)
        return;
    m_disconnected = false;
    MQTTAsync_disconnectOptions options = MQTTAsync_disconnectOptions_initializer5;
    options.timeout = timeoutMs;
    options.onSuccess5 = onDisconnected;
    options.onFailure5 = onDisconnectFailed;
    options.context = this;
    if (MQTTAsync_disconnect(handleOf(m_client), &options) != MQTTASYNC_SUCCESS)
        return;
    // Paho does not always call back for a disconnect, so its state is polled too. Never under
    // m_mutex: Paho calls back holding its own lock, which MQTTAsync_isConnected takes.
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs + 1000);
    while (!m_disconnected && MQTTAsync_isConnected(handleOf(m_client)) &&
           std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

} // namespace quorvane
