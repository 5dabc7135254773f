// The DDE bridge's costs: execute round trips over the session bus (a server in a child process),
// and the per-record cost of publishing three field items and the record number to the server.
// Run under dbus-run-session.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDBusConnection>

#include "engine/bus/DdeItemView.h"
#include "platform/dbus/QtDdeClient.h"
#include "platform/dbus/QtDdeServer.h"

#include <csignal>
#include <sys/wait.h>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

namespace quorvane {
namespace {

// Accepts every execute.
class AcceptAll final : public DdeServerHandler {
public:
    bool execute(std::string_view) override { return true; }
    std::optional<std::string> request(std::string_view) override { return std::nullopt; }
    bool poke(std::string_view, std::string_view) override { return false; }
    std::vector<std::string> items() override { return {}; }
};

// A view that discards everything: only the items' bookkeeping and the bus signals are measured.
class NullView final : public EngineView {
public:
    void setCaption(std::string_view) override {}
    void setWindowPosition(WindowPosition) override {}
    WindowPosition windowPosition() const override { return {}; }
    void setWindowHeight(int) override {}
    void setMinimized(bool) override {}
    bool isMinimized() const override { return false; }
    void setAlwaysOnTop(bool) override {}
    void clearFieldBoxes() override {}
    void addFieldBox(int, std::string_view, int, int) override {}
    void setFieldText(int, std::string_view) override {}
    void setRecordNumber(std::string_view) override {}
    void setDateTimeText(std::string_view) override {}
    void setDateTimeVisible(bool) override {}
    void setMenuCaption(EngineMenu, std::string_view) override {}
    void setMenuVisible(EngineMenu, bool) override {}
    void setStringButton(int, std::string_view, bool, int) override {}
    void setSignalButtons(bool, bool) override {}
    void addTrayIcon(std::string_view) override {}
    void removeTrayIcon() override {}
    void closeWindow() override {}
};

void ExecuteRoundTrip(benchmark::State& state) {
    // The server is another process, as a target application is: quorvane-dde serve.
    const pid_t child = fork();
    if (child == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        execl(QUORVANE_DDE_TOOL, QUORVANE_DDE_TOOL, "serve", "Bench", "Exec", static_cast<char*>(nullptr));
        _exit(127);
    }
    QtDdeClient client(QDBusConnection::sessionBus());
    DdeConversation conversation = 0;
    for (int i = 0; i < 500 && conversation == 0; ++i) {
        conversation = client.connect("Bench", "Exec", {});
        if (conversation == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (conversation == 0)
        state.SkipWithError("the server did not appear");
    for (auto _ : state)
        benchmark::DoNotOptimize(client.execute(conversation, "[Fetch]", 1000));
    state.SetItemsProcessed(state.iterations());
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
}
BENCHMARK(ExecuteRoundTrip)->UseRealTime();

void PublishThreeItems(benchmark::State& state) {
    NullView window;
    DdeItemView items(window);
    QtDdeServer server(QDBusConnection::sessionBus());
    AcceptAll handler;
    server.serve("Bench", "Publish", handler);
    items.setServer(&server);
    for (int n = 1; n <= 3; ++n)
        items.addFieldBox(n, FieldItemName(n), 0, n - 1);
    long record = 0;
    for (auto _ : state) {
        ++record;
        // Values that change with every record, as a balance's readings do.
        items.setFieldText(1, std::to_string(record % 1000));
        items.setFieldText(2, std::to_string(record * 7));
        items.setFieldText(3, record % 2 ? "g" : "kg");
        items.setRecordNumber(std::to_string(record));
        QCoreApplication::processEvents();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(PublishThreeItems)->UseRealTime();

} // namespace
} // namespace quorvane

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
