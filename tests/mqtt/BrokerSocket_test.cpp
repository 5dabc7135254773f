// Finding the broker's socket among the process's sockets, as the synchronous client does after a
// connect, and the port it looks for. The client itself is tested against mosquitto.

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/mqtt/BrokerSocket.h"

namespace quorvane {
namespace {

TEST(BrokerSocket, ThePortComesFromTheUrlOrTheSchemesDefault) {
    const struct {
        const char* Url;
        int Port;
    } cases[] = {
        {"mqtt://broker:1884", 1884}, {"mqtt://broker", 1883}, {"mqtts://broker", 8883},
        {"mqtts://[::1]:9001", 9001}, {"mqtt://[::1]", 1883},  {"mqtt://broker:0", 0},
        {"mqtt://broker:70000", 0},   {"mqtt://broker:x", 0},  {"broker:1883", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BrokerPort(c.Url), c.Port) << c.Url;
}

// A listener on a free loopback port, and connections to it.
struct Loopback {
    Loopback() {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        EXPECT_EQ(::bind(Listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(::listen(Listener, 4), 0);
        socklen_t size = sizeof address;
        ::getsockname(Listener, reinterpret_cast<sockaddr*>(&address), &size);
        Port = ntohs(address.sin_port);
    }
    ~Loopback() {
        for (const int fd : Opened)
            ::close(fd);
        ::close(Listener);
    }
    int connectOne() {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<std::uint16_t>(Port));
        EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        Opened.push_back(fd);
        return fd;
    }
    int Listener = ::socket(AF_INET, SOCK_STREAM, 0);
    int Port = 0;
    std::vector<int> Opened;
};

TEST(BrokerSocket, TheOneNewConnectionToThePortIsFoundAndTwoAreNone) {
    Loopback broker;
    const int older = broker.connectOne();
    const auto before = OpenSocketInodes();
    EXPECT_EQ(FindNewBrokerSocket(before, broker.Port), -1);
    const int fresh = broker.connectOne();
    EXPECT_NE(fresh, older);
    EXPECT_EQ(FindNewBrokerSocket(before, broker.Port), fresh);
    EXPECT_EQ(FindNewBrokerSocket(before, broker.Port + 1 == 65536 ? 1 : broker.Port + 1), -1);
    broker.connectOne();
    EXPECT_EQ(FindNewBrokerSocket(before, broker.Port), -1)
        << "two candidates: watching either could be wrong";
}

} // namespace
} // namespace quorvane
