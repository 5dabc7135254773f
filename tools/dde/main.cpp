// quorvane-dde: the DDE bridge from the shell. Executes, requests, lists and watches the items of a
// server on the session bus, or serves items itself: for users' scripts and for tests that need
// "another application".

#include "config/CodePage.h"
#include "dde/LineEscape.h"
#include "platform/dbus/QtDdeClient.h"
#include "platform/dbus/QtDdeServer.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <iostream>
#include <map>
#include <fcntl.h>
#include <unistd.h>

namespace quorvane::dde {
namespace {

constexpr int kCallTimeoutMs = 5000;

constexpr std::string_view kUsage =
    "usage: quorvane-dde exec SERVICE TOPIC COMMAND    send an execute; prints accepted or refused\n"
    "       quorvane-dde request SERVICE TOPIC ITEM    print an item's value\n"
    "       quorvane-dde items SERVICE TOPIC           list the items served\n"
    "       quorvane-dde watch SERVICE TOPIC [ITEM]    print item=value for each change\n"
    "       quorvane-dde serve SERVICE TOPIC           serve item=value lines read from standard input;\n"
    "                                                  print and accept each execute\n"
    "       quorvane-dde --help\n"
    "Values are printed and read with \\r \\n \\t \\\\ and \\xHH escapes. Exit status: 0 done or accepted,\n"
    "1 refused or no server, 2 usage error.\n";

int g_stopPipe[2] = {-1, -1};

extern "C" void onStop(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = write(g_stopPipe[1], &byte, 1);
}

// Ends the event loop on SIGINT and SIGTERM.
void quitOnStopSignals(QCoreApplication& app) {
    if (pipe2(g_stopPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    struct sigaction action {};
    action.sa_handler = onStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    auto* notifier = new QSocketNotifier(g_stopPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [&app] { app.exit(0); });
}

// Bytes of the program's code page from an argument (UTF-8), and back for printing.
std::string bytes(const char* argument) {
    return Utf8ToBytes(argument);
}
std::string shown(std::string_view text) {
    return BytesToUtf8(escapeLine(text));
}

void printLine(const std::string& line) {
    std::cout << line << '\n' << std::flush;
}

int noServer(const std::string& service, const std::string& topic) {
    std::cerr << "quorvane-dde: no server for " << BytesToUtf8(service) << " " << BytesToUtf8(topic) << " ("
              << DdeBusName(service, topic) << ")\n";
    return 1;
}

// The items of `serve`: set from standard input, read by clients.
class ServedItems final : public DdeServerHandler {
public:
    explicit ServedItems(DdeServer& server) : m_server(server) {}

    void takeLine(std::string_view line) {
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos || equals == 0)
            return;
        const std::string item(line.substr(0, equals));
        const std::string value = unescapeLine(line.substr(equals + 1));
        // Every line is a new value to the clients, even one equal to the last.
        m_values[item] = value;
        m_server.advise(item, value);
    }

    bool execute(std::string_view command) override {
        printLine("execute: " + shown(command));
        return true;
    }
    std::optional<std::string> request(std::string_view item) override {
        const auto it = m_values.find(std::string(item));
        return it == m_values.end() ? std::nullopt : std::optional<std::string>(it->second);
    }
    bool poke(std::string_view item, std::string_view value) override {
        printLine("poke: " + shown(item) + "=" + shown(value));
        m_values[std::string(item)] = value;
        m_server.advise(item, value);
        return true;
    }
    std::vector<std::string> items() override {
        std::vector<std::string> names;
        for (const auto& [name, value] : m_values)
            names.push_back(name);
        return names;
    }

private:
    DdeServer& m_server;
    std::map<std::string, std::string> m_values;
};

int serve(QCoreApplication& app, const std::string& service, const std::string& topic) {
    QtDdeServer server(QDBusConnection::sessionBus());
    ServedItems items(server);
    if (!server.serve(service, topic, items)) {
        std::cerr << "quorvane-dde: cannot serve " << DdeBusName(service, topic) << "\n";
        return 1;
    }
    std::string pending;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char buffer[4096];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            // End of input: the items stay served until a signal ends the program.
            input.setEnabled(false);
            return;
        }
        pending.append(buffer, static_cast<std::size_t>(n));
        for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
            std::string line = pending.substr(0, end);
            pending.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            items.takeLine(Utf8ToBytes(line));
        }
    });
    std::cerr << "quorvane-dde: serving " << DdeBusName(service, topic) << std::endl;
    return app.exec();
}

int watch(QCoreApplication& app, QtDdeClient& client, DdeConversation conversation, const std::string& item) {
    const bool following =
        client.follow(conversation, item, [](std::string_view name, std::string_view value) {
            printLine(shown(name) + "=" + shown(value));
        });
    if (!following) {
        std::cerr << "quorvane-dde: cannot follow the items\n";
        return 1;
    }
    std::cerr << "quorvane-dde: watching" << std::endl;
    return app.exec();
}

int run(QCoreApplication& app, const std::vector<std::string>& args) {
    if (args.size() == 1 && args[0] == "--help") {
        std::cout << kUsage;
        return 0;
    }
    const std::string verb = args.empty() ? std::string() : args[0];
    const std::size_t want = verb == "items" || verb == "serve" ? 3 : verb == "watch" ? 3 : 4;
    const bool known =
        verb == "exec" || verb == "request" || verb == "items" || verb == "watch" || verb == "serve";
    if (!known || args.size() < want || args.size() > (verb == "watch" ? 4 : want)) {
        std::cerr << kUsage;
        return 2;
    }
    const std::string service = bytes(args[1].c_str());
    const std::string topic = bytes(args[2].c_str());
    quitOnStopSignals(app);
    if (verb == "serve")
        return serve(app, service, topic);

    QtDdeClient client(QDBusConnection::sessionBus());
    const DdeConversation conversation = client.connect(service, topic, [&app] {
        std::cerr << "quorvane-dde: the server went away\n";
        app.exit(1);
    });
    if (conversation == 0)
        return noServer(service, topic);

    if (verb == "exec") {
        const DdeExecuteResult result = client.execute(conversation, bytes(args[3].c_str()), kCallTimeoutMs);
        if (result == DdeExecuteResult::Failed)
            std::cerr << "quorvane-dde: no answer to the execute\n";
        printLine(result == DdeExecuteResult::Accepted ? "accepted" : "refused");
        return result == DdeExecuteResult::Accepted ? 0 : 1;
    }
    if (verb == "request") {
        const DdeRequestResult result = client.request(conversation, bytes(args[3].c_str()), kCallTimeoutMs);
        if (!result.Value) {
            std::cerr << (result.Error == DdeRequestError::NoSuchItem ? "quorvane-dde: no such item: "
                                                                      : "quorvane-dde: no answer for ")
                      << args[3] << "\n";
            return 1;
        }
        printLine(shown(*result.Value));
        return 0;
    }
    if (verb == "items") {
        const auto names = client.items(conversation, kCallTimeoutMs);
        if (!names) {
            std::cerr << "quorvane-dde: no answer\n";
            return 1;
        }
        for (const std::string& name : *names)
            printLine(shown(name));
        return 0;
    }
    return watch(app, client, conversation, args.size() == 4 ? bytes(args[3].c_str()) : std::string());
}

} // namespace
} // namespace quorvane::dde

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::vector<std::string> args(argv + 1, argv + argc);
    return quorvane::dde::run(app, args);
}
