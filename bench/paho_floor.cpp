// The least a program can spend per QoS 1 message through Paho's synchronous client used the way the
// publisher uses it: no callbacks but the published one (so no thread of Paho's), up to the broker's
// receive maximum in flight, a batch of publishes written corked, the acknowledgements read with
// MQTTClient_receive and timeout 0, and the socket polled when the window is full. Nothing else.
// Prints the CPU time per message (getrusage), with the messages/s and the wake-ups per message.
// Usage: paho_floor PORT [MESSAGES] [PAYLOAD_BYTES] [BATCH] [LINGER_US] [WINDOW]
//   BATCH: publishes written per round (at most the receive maximum); LINGER_US: after the socket
//   became readable, wait this long before reading, so that several acknowledgements are read at once;
//   WINDOW: at most this many in flight (the broker's receive maximum caps it too).

#include <MQTTClient.h>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

int g_inFlight = 0;

extern "C" void onPublished(void*, int, int, MQTTProperties*, enum MQTTReasonCodes) {
    --g_inFlight;
}

// Paho does not hand out its socket: the one TCP socket connected to the broker's port.
int brokerSocket(int port) {
    for (int fd = 3; fd < 1024; ++fd) {
        sockaddr_in peer{};
        socklen_t size = sizeof peer;
        if (::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &size) == 0 && peer.sin_family == AF_INET &&
            ntohs(peer.sin_port) == port)
            return fd;
    }
    return -1;
}

double cpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void cork(int fd, bool on) {
    const int value = on ? 1 : 0;
    ::setsockopt(fd, IPPROTO_TCP, TCP_CORK, &value, sizeof value);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: paho_floor PORT [MESSAGES] [PAYLOAD_BYTES] [BATCH] [LINGER_US] [WINDOW]\n");
        return 2;
    }
    const int port = std::atoi(argv[1]);
    const long messages = argc > 2 ? std::atol(argv[2]) : 100000;
    const int payloadBytes = argc > 3 ? std::atoi(argv[3]) : 250;
    int batch = argc > 4 ? std::atoi(argv[4]) : 1000;
    const int lingerUs = argc > 5 ? std::atoi(argv[5]) : 0;
    const int windowCap = argc > 6 ? std::atoi(argv[6]) : 1024;

    const std::string uri = "tcp://127.0.0.1:" + std::to_string(port);
    MQTTClient client = nullptr;
    MQTTClient_createOptions create = MQTTClient_createOptions_initializer;
    create.MQTTVersion = MQTTVERSION_5;
    if (MQTTClient_createWithOptions(&client, uri.c_str(), "paho-floor", MQTTCLIENT_PERSISTENCE_NONE, nullptr,
                                     &create) != MQTTCLIENT_SUCCESS)
        return 1;
    MQTTClient_setPublished(client, nullptr, onPublished);
    MQTTClient_connectOptions options = MQTTClient_connectOptions_initializer5;
    options.cleanstart = 1;
    options.reliable = 0;
    options.maxInflightMessages = 1024;
    MQTTResponse response = MQTTClient_connect5(client, &options, nullptr, nullptr);
    int window = 65535;
    if (response.properties != nullptr)
        if (const MQTTProperty* maximum =
                MQTTProperties_getProperty(response.properties, MQTTPROPERTY_CODE_RECEIVE_MAXIMUM))
            window = maximum->value.integer2;
    MQTTResponse_free(response);
    if (!MQTTClient_isConnected(client)) {
        std::fprintf(stderr, "paho_floor: no broker on port %d\n", port);
        return 1;
    }
    window = std::clamp(window, 1, std::clamp(windowCap, 1, 1024));
    batch = std::clamp(batch, 1, window);
    const int fd = brokerSocket(port);

    const std::string topic = "bench/paho-floor/record";
    std::string payload(static_cast<std::size_t>(payloadBytes), 'x');
    long sent = 0;
    long wakes = 0;
    long receives = 0;
    const double cpu0 = cpuSeconds();
    const auto wall0 = std::chrono::steady_clock::now();
    while (sent < messages || g_inFlight > 0) {
        int round = 0;
        while (sent < messages && g_inFlight < window && round < batch) {
            if (++round == 2)
                cork(fd, true);
            MQTTClient_message out = MQTTClient_message_initializer;
            out.payload = payload.data();
            out.payloadlen = payloadBytes;
            out.qos = 1;
            MQTTClient_deliveryToken token = 0;
            MQTTResponse r = MQTTClient_publishMessage5(client, topic.c_str(), &out, &token);
            MQTTResponse_free(r);
            ++g_inFlight;
            ++sent;
        }
        if (round > 1)
            cork(fd, false);
        // Wait for the broker only when nothing more can be sent.
        if (sent >= messages || g_inFlight >= window || round < batch) {
            pollfd readable{fd, POLLIN, 0};
            ::poll(&readable, 1, 1000);
            ++wakes;
            if (lingerUs > 0)
                ::usleep(static_cast<unsigned>(lingerUs));
        }
        for (;;) {
            const int before = g_inFlight;
            char* name = nullptr;
            int nameSize = 0;
            MQTTClient_message* message = nullptr;
            const int rc = MQTTClient_receive(client, &name, &nameSize, &message, 0);
            ++receives;
            if (message != nullptr) {
                MQTTClient_freeMessage(&message);
                MQTTClient_free(name);
            }
            if (rc != MQTTCLIENT_SUCCESS || (g_inFlight == before && message == nullptr))
                break;
        }
    }
    const double cpu = cpuSeconds() - cpu0;
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
    std::printf(
        "%ld messages of %d bytes, QoS 1, window %d, batch %d, linger %d us: %.2f us CPU per message, "
        "%.0f messages/s, %.3f wake-ups and %.2f receive calls per message\n",
        messages, payloadBytes, window, batch, lingerUs, 1e6 * cpu / static_cast<double>(messages),
        static_cast<double>(messages) / wall, static_cast<double>(wakes) / static_cast<double>(messages),
        static_cast<double>(receives) / static_cast<double>(messages));
    MQTTClient_disconnect5(client, 1000, MQTTREASONCODE_NORMAL_DISCONNECTION, nullptr);
    MQTTClient_destroy(&client);
    return 0;
}
