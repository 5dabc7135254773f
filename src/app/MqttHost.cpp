#include "app/MqttHost.h"

#include "engine/Engine.h"
#include "platform/mqtt/PahoMqttClient.h"
#include "platform/posix/PidFileLock.h"

#include <QSocketNotifier>
#include <QTimer>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <system_error>

namespace quorvane {

namespace {

constexpr int kStopTimeoutMs = 2000;

std::string hostName() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0 || name[0] == '\0')
        return "localhost";
    return name;
}

class QtMqttHost final : public MqttHost, private RecordObserver {
public:
    QtMqttHost(Engine& engine, std::unique_ptr<PidFileLock> lock, std::unique_ptr<PahoMqttClient> client,
               std::unique_ptr<RecordBacklog> backlog, std::unique_ptr<MqttPublisher> publisher)
        : m_engine(engine), m_lock(std::move(lock)), m_client(std::move(client)),
          m_backlog(std::move(backlog)), m_publisher(std::move(publisher)) {
        m_timer.setSingleShot(true);
        // A coarse timer may fire a little early, before the work is due, and wake the run twice.
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            m_publisher->onTimer();
            rearm();
        });
        // Records are published as they complete, and sent together once the engine's step is over,
        // whoever ran it.
        m_stepEnd.setSingleShot(true);
        QObject::connect(&m_stepEnd, &QTimer::timeout, [this] { afterEngineStep(); });
        m_engine.addRecordObserver(*m_publisher);
        m_engine.addRecordObserver(*this);
    }
    ~QtMqttHost() override { stop(); }

    void afterEngineStep() override {
        if (m_stopped)
            return;
        // Acknowledgements of earlier steps' records, read once for the step rather than each on a
        // wake of its own.
        if (m_client->busy())
            m_publisher->serviceEvents();
        rearm();
    }

    void rearm() {
        if (m_stopped)
            return;
        // What the step published goes out together.
        m_client->flush();
        m_stepEnd.stop();
        watch(m_client->wakeDescriptor());
        const auto due = m_publisher->msUntilWork();
        if (!due)
            m_timer.stop();
        else if (!m_timer.isActive() || static_cast<std::uint32_t>(m_timer.remainingTime()) > *due)
            m_timer.start(static_cast<int>(*due));
    }

    void stop() override {
        if (m_stopped)
            return;
        m_stopped = true;
        m_engine.removeRecordObserver(*this);
        m_engine.removeRecordObserver(*m_publisher);
        m_stepEnd.stop();
        m_timer.stop();
        if (m_wake)
            m_wake->setEnabled(false);
        m_publisher->stop(kStopTimeoutMs);
    }

private:
    void recordCompleted(const CompletedRecord&) override {
        if (m_client->holdsBack() && !m_stepEnd.isActive())
            m_stepEnd.start(0);
    }

    // The client's descriptor changes as it connects and reconnects, and there is none while it is
    // busy; an old one may be closed, so its notifier is switched off before the event loop polls
    // again. It is kept until the next change: this may run inside its own signal.
    void watch(int descriptor) {
        if (m_wake && static_cast<int>(m_wake->socket()) == descriptor) {
            m_wake->setEnabled(true);
            return;
        }
        if (m_wake)
            m_wake->setEnabled(false);
        if (descriptor < 0)
            return;
        m_retired = std::move(m_wake);
        m_wake = std::make_unique<QSocketNotifier>(descriptor, QSocketNotifier::Read);
        QObject::connect(m_wake.get(), &QSocketNotifier::activated, [this] {
            m_publisher->serviceEvents();
            rearm();
        });
    }

    Engine& m_engine;
    // Let go only after the queue is closed.
    std::unique_ptr<PidFileLock> m_lock;
    std::unique_ptr<PahoMqttClient> m_client;
    std::unique_ptr<RecordBacklog> m_backlog;
    std::unique_ptr<MqttPublisher> m_publisher;
    QTimer m_timer;
    QTimer m_stepEnd;
    std::unique_ptr<QSocketNotifier> m_wake;
    std::unique_ptr<QSocketNotifier> m_retired;
    bool m_stopped = false;
};

} // namespace

std::string MqttQueuePath(const std::string& instrument) {
    std::string base;
    if (const char* state = std::getenv("XDG_STATE_HOME"); state && *state == '/')
        base = state;
    else if (const char* home = std::getenv("HOME"); home && *home)
        base = std::string(home) + "/.local/state";
    else
        base = "/tmp";
    return base + "/quorvane/mqtt/" + TopicLevel(instrument) + ".queue";
}

MqttStart StartMqttHost(MqttHostParts parts) {
    MqttSettings settings = ReadMqttSettings(parts.Store);
    if (!parts.Url.empty())
        settings.Url = parts.Url;
    if (!parts.Instrument.empty())
        settings.Instrument = parts.Instrument;
    if (settings.Url.empty())
        return {};
    const auto refuse = [&parts, &settings](const std::string& problem) {
        parts.Prompts.notify("MQTT Not Started.\n" + settings.Url + ": " + problem, "Device Error",
                             MessageIcon::Exclamation);
        return MqttStart{nullptr, true};
    };
    MqttRunInfo run;
    std::random_device random;
    run.StartedUnixMs = parts.Time.unixMilliseconds();
    run.Run = MakeRunId(run.StartedUnixMs, (std::uint64_t{random()} << 32) | random());
    run.Host = hostName();
    run.Instrument = InstrumentName(settings, parts.ConfigFile);
    run.Device = parts.DevicePath;
    run.Version = parts.Version;

    std::string problem;
    auto options = ConnectOptionsOf(settings, "quorvane-" + run.Host + "-" + run.Instrument, problem);
    if (!options)
        return refuse(problem);

    // Two runs sending one queue would send its records twice and cut each other's writes.
    const std::string queue = MqttQueuePath(run.Instrument);
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(queue).parent_path(), ignored);
    auto lock = std::make_unique<PidFileLock>(queue + ".lock");
    if (std::string error; !lock->acquire(error))
        return refuse("the queue of instrument \"" + run.Instrument + "\": " + error +
                      "; give each run its own instrument name (--instrument NAME).");
    auto backlog = std::make_unique<RecordBacklog>(queue, settings.QueueLimitBytes);
    if (std::string error; !backlog->open(error))
        return refuse(error);
    auto client = std::make_unique<PahoMqttClient>();
    auto publisher =
        std::make_unique<MqttPublisher>(MqttPublisherParts{*client, *backlog, parts.Config, parts.Prompts,
                                                           parts.Time, std::move(parts.Commands)},
                                        settings, std::move(*options), std::move(run));
    if (!publisher->start())
        return {nullptr, true};
    auto host = std::make_unique<QtMqttHost>(parts.Hoxel, std::move(lock), std::move(client),
                                             std::move(backlog), std::move(publisher));
    host->afterEngineStep();
    return {std::move(host), false};
}

} // namespace quorvane
