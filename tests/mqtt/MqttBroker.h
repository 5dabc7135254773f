#pragma once
// A real mosquitto on a free loopback port for tests, and mosquitto_sub / mosquitto_pub beside it.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "fakes/TempDir.h"

extern char** environ;

namespace quorvane::test {

/// A program run with its standard output and error in files; killed when it goes out of scope.
class ChildProcess {
public:
    ChildProcess() = default;
    ChildProcess(std::vector<std::string> args, const std::string& output) { start(std::move(args), output); }
    ~ChildProcess() { kill(SIGKILL); }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool start(std::vector<std::string> args, const std::string& output) {
        m_output = output;
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        const bool ok = posix_spawnp(&m_pid, argv[0], &actions, nullptr, argv.data(), environ) == 0;
        posix_spawn_file_actions_destroy(&actions);
        if (!ok)
            m_pid = -1;
        return ok;
    }
    /// Sends `number` and waits for the end.
    void kill(int number) {
        if (m_pid <= 0)
            return;
        ::kill(m_pid, number);
        waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }
    std::string output() const {
        std::ifstream in(m_output);
        std::stringstream all;
        all << in.rdbuf();
        return all.str();
    }
    pid_t pid() const { return m_pid; }

private:
    pid_t m_pid = -1;
    std::string m_output;
};

/// Polls `done` every 5 ms until it holds or `limit` passed.
template <typename Done>
bool waitFor(Done done, std::chrono::milliseconds limit = std::chrono::seconds(15)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

inline int freeLoopbackPort() {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    bind(s, reinterpret_cast<sockaddr*>(&address), size);
    getsockname(s, reinterpret_cast<sockaddr*>(&address), &size);
    close(s);
    return ntohs(address.sin_port);
}

inline bool portAccepts(int port) {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    const bool ok = connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(s);
    return ok;
}

/// TLS files of a listener: the broker's certificate and key, and the CA that signed them.
struct BrokerTls {
    std::string CaFile;
    std::string CertFile;
    std::string KeyFile;
};

/// mosquitto on 127.0.0.1 with anonymous access; sessions persist across stop() and start().
class MosquittoBroker {
public:
    explicit MosquittoBroker(const TempDir& dir, const BrokerTls* tls = nullptr)
        : m_port(freeLoopbackPort()), m_log(dir.file("mosquitto.log")) {
        const std::string conf = dir.file("mosquitto.conf");
        std::ofstream out(conf);
        // Run as root, mosquitto would drop to its own user, which cannot write the test's folder.
        const passwd* self = getpwuid(geteuid());
        out << "user " << (self ? self->pw_name : "root") << "\n";
        out << "listener " << m_port << " 127.0.0.1\nallow_anonymous true\n"
            << "persistence true\npersistence_location " << dir.path().string()
            << "/\n"
            // The default of 20 unacknowledged messages per subscriber paces a persistent session's
            // queue to a few dozen messages a second.
            << "max_inflight_messages 1000\nmax_queued_messages 100000\n";
        if (tls)
            out << "cafile " << tls->CaFile << "\ncertfile " << tls->CertFile << "\nkeyfile " << tls->KeyFile
                << "\n";
        m_conf = conf;
    }
    bool start() {
        // In /usr/sbin, which a user's PATH may not hold.
        if (!m_process.start({"/usr/sbin/mosquitto", "-c", m_conf}, m_log))
            return false;
        return waitFor([this] { return portAccepts(m_port); });
    }
    /// A clean stop (the broker saves its sessions) or, with SIGKILL, a crash.
    void stop(int number = SIGTERM) { m_process.kill(number); }
    int port() const { return m_port; }
    std::string url(bool tls = false) const {
        return std::string(tls ? "mqtts" : "mqtt") + "://127.0.0.1:" + std::to_string(m_port);
    }
    std::string log() const { return m_process.output(); }

private:
    int m_port;
    std::string m_conf;
    std::string m_log;
    ChildProcess m_process;
};

/// mosquitto_pub of one message; true when it was sent.
inline bool publishTo(const MosquittoBroker& broker, const std::string& topic, const std::string& payload,
                      std::vector<std::string> extra = {}) {
    std::vector<std::string> args{
        "mosquitto_pub", "-h", "127.0.0.1", "-p", std::to_string(broker.port()), "-q", "1", "-t",
        topic,           "-m", payload};
    args.insert(args.end(), extra.begin(), extra.end());
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return false;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

/// mosquitto_sub printing "topic payload" lines of a persistent QoS 1 session.
class Subscriber {
public:
    Subscriber(const TempDir& dir, const MosquittoBroker& broker, const std::string& topic,
               std::vector<std::string> extra = {})
        : m_file(dir.file("sub-" + std::to_string(++s_count) + ".txt")),
          m_probe("probe/" + std::to_string(getpid()) + "/" + std::to_string(s_count)) {
        std::vector<std::string> args{"mosquitto_sub",
                                      "-h",
                                      "127.0.0.1",
                                      "-p",
                                      std::to_string(broker.port()),
                                      "-q",
                                      "1",
                                      "-c",
                                      "-i",
                                      "test-sub-" + std::to_string(s_count) + "-" + std::to_string(getpid()),
                                      "-v",
                                      "-t",
                                      topic,
                                      "-t",
                                      m_probe};
        args.insert(args.end(), extra.begin(), extra.end());
        m_process.start(args, m_file);
        m_extra = std::move(extra);
    }
    /// The lines received so far, probes left out.
    std::vector<std::string> lines() const {
        std::vector<std::string> all;
        std::istringstream in(m_process.output());
        for (std::string line; std::getline(in, line);)
            if (!line.starts_with(m_probe + " "))
                all.push_back(line);
        return all;
    }
    /// Waits until the broker has the subscription: a probe published beside it comes back.
    bool waitReady(const MosquittoBroker& broker) {
        return waitFor([&] {
            publishTo(broker, m_probe, "ready", m_extra);
            return waitFor([&] { return m_process.output().find(m_probe + " ready") != std::string::npos; },
                           std::chrono::milliseconds(200));
        });
    }
    bool waitForLines(std::size_t count, std::chrono::milliseconds limit = std::chrono::seconds(15)) const {
        return waitFor([&] { return lines().size() >= count; }, limit);
    }
    ChildProcess& process() { return m_process; }

private:
    static inline int s_count = 0;
    std::string m_file;
    std::string m_probe;
    std::vector<std::string> m_extra;
    ChildProcess m_process;
};

} // namespace quorvane::test
