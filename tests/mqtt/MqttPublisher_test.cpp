// The publisher's rules against a fake client: records go out in order within a window, wait while
// the broker is away and go again from the oldest one not taken; connects are retried with a
// growing pause and each loss is said once; the full queue is said once with the count dropped;
// commands are answered only when taken. The real broker is in MqttPublish_test.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "config/Configuration.h"
#include "engine/mqtt/MqttMessages.h"
#include "engine/mqtt/MqttPublisher.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeMqttClient.h"
#include "fakes/FakePrompts.h"
#include "fakes/TempDir.h"

namespace quorvane {
namespace {

using Kind = MqttEvent::Kind;

struct PublisherHarness {
    explicit PublisherHarness(MqttSettings s = {}, std::uint64_t limit = 1 << 20)
        : Backlog(Dir.file("q.queue"), limit), Settings(std::move(s)) {
        ResetConfiguration(Config);
        std::string error;
        Backlog.open(error);
        Publisher = std::make_unique<MqttPublisher>(
            MqttPublisherParts{Client, Backlog, Config, Prompts, Clock,
                               [this](std::string_view c) {
                                   Commands.emplace_back(c);
                                   return c == "{BEEP}";
                               }},
            Settings, MqttConnectOptions{}, MqttRunInfo{"run1", "pc", "scale", "/dev/ttyS0", "1", 0});
    }
    void record(const std::string& text) {
        Slots[1] = text;
        const CompletedRecord r{++Sequence, Sequence, 0, {}, "COM1", Slots, 1};
        Publisher->recordCompleted(r);
    }
    void connect() {
        Client.event(Kind::Connected);
        Publisher->serviceEvents();
    }
    // The "seq" of each record message published so far.
    std::vector<int> sequences() const {
        std::vector<int> all;
        for (const auto& p : Client.payloads(Publisher->topics().Record))
            all.push_back(std::stoi(p.substr(p.find("\"seq\":") + 6)));
        return all;
    }
    void deliver(std::int64_t token) {
        Client.event(Kind::Delivered, token);
        Publisher->serviceEvents();
    }

    test::TempDir Dir;
    test::FakeMqttClient Client;
    test::FakePrompts Prompts;
    test::FakeClock Clock;
    Configuration Config;
    RecordBacklog Backlog;
    MqttSettings Settings;
    std::unique_ptr<MqttPublisher> Publisher;
    FieldSlots Slots = InitialFieldSlots();
    std::int64_t Sequence = 0;
    std::vector<std::string> Commands;
};

TEST(MqttPublisher, RecordsGoOutInOrderWithinTheWindowAndMoreFollowAsTheBrokerTakesThem) {
    PublisherHarness h;
    h.Publisher->start();
    for (std::size_t i = 0; i < kMqttWindow + 5; ++i)
        h.record("r");
    EXPECT_TRUE(h.sequences().empty()); // nothing before the connection
    h.connect();
    ASSERT_EQ(h.sequences().size(), kMqttWindow);
    EXPECT_EQ(h.sequences().back(), static_cast<int>(kMqttWindow));
    const std::int64_t first = h.Client.Published[1].Token; // [0] is the status message
    h.deliver(first + 1);                                   // out of order: the oldest still holds the window
    EXPECT_EQ(h.sequences().size(), kMqttWindow);
    h.deliver(first);
    EXPECT_EQ(h.sequences().size(), kMqttWindow + 2);
    EXPECT_EQ(h.Backlog.waiting(), kMqttWindow + 3);
}

TEST(MqttPublisher, TheClientsOwnDueTimeArmsTheTimerThatBringsItsEventsIn) {
    PublisherHarness h;
    h.Publisher->start();
    h.Client.ServiceIn = 40;
    EXPECT_EQ(h.Publisher->msUntilWork(), 40u);
    h.Client.event(Kind::Connected);
    h.Publisher->onTimer(); // not due yet: the event stays with the client
    EXPECT_FALSE(h.Publisher->connected());
    h.Client.ServiceIn = 0;
    h.Publisher->onTimer();
    EXPECT_TRUE(h.Publisher->connected());
}

// Acknowledgements may gather at the client; records waiting behind a full window have it wake the
// publisher for a batch of them.
TEST(MqttPublisher, OnlyRecordsBehindAFullWindowAskTheClientToWakeForAcknowledgements) {
    PublisherHarness h;
    h.Publisher->start();
    h.connect();
    for (std::size_t i = 0; i < kMqttWindow; ++i)
        h.record("r");
    EXPECT_FALSE(h.Client.WakeForAcknowledgements); // full, with nothing behind
    h.record("r");
    EXPECT_TRUE(h.Client.WakeForAcknowledgements);
    h.deliver(h.Client.Published[1].Token); // the one behind takes the room
    EXPECT_EQ(h.sequences().size(), kMqttWindow + 1);
    EXPECT_FALSE(h.Client.WakeForAcknowledgements);
}

TEST(MqttPublisher, TheQueuesHeadIsWrittenWhenEventsAreTakenOnceItIsDue) {
    PublisherHarness h;
    h.Publisher->start();
    h.connect();
    h.record("a");
    h.record("b");
    h.deliver(h.Client.Published[1].Token);
    const auto head = [&h] {
        std::ifstream in(h.Dir.file("q.queue.head"));
        std::uint64_t at = 0;
        in >> at;
        return at;
    };
    EXPECT_EQ(head(), 0u);
    h.Clock.advance(250);
    h.Publisher->serviceEvents(); // no timer: a later engine step took the events
    EXPECT_GT(head(), 0u);
}

TEST(MqttPublisher, ALossSendsAgainFromTheOldestRecordNotTakenAndIsSaidOnceUntilBack) {
    PublisherHarness h;
    h.Publisher->start();
    h.connect();
    for (int i = 0; i < 3; ++i)
        h.record("r");
    h.deliver(h.Client.Published[1].Token);
    h.Client.event(Kind::ConnectionLost);
    h.Publisher->serviceEvents();
    h.record("r");
    for (const std::uint32_t pause : {250u, 500u, 1000u, 2000u, 2000u}) {
        EXPECT_EQ(h.Publisher->msUntilWork(), pause);
        h.Clock.advance(pause);
        h.Publisher->onTimer();
        h.Client.event(Kind::ConnectFailed);
        h.Publisher->serviceEvents();
    }
    EXPECT_EQ(h.Client.Connects, 6);
    ASSERT_EQ(h.Prompts.Messages.size(), 1u);
    EXPECT_NE(h.Prompts.Messages[0].Text.find("Disconnected"), std::string::npos);
    h.connect();
    EXPECT_EQ(h.sequences(), (std::vector<int>{1, 2, 3, 2, 3, 4}));
    ASSERT_EQ(h.Prompts.Messages.size(), 2u);
    EXPECT_NE(h.Prompts.Messages[1].Text.find("3 waiting records"), std::string::npos);
}

TEST(MqttPublisher, AFullQueueDropsNewRecordsAndSaysSoOnceThenTheCountWhenThereIsRoom) {
    PublisherHarness h({}, 1500);
    h.Publisher->start();
    for (int i = 0; i < 8; ++i)
        h.record("r");
    const auto kept = h.Backlog.waiting();
    ASSERT_LT(kept, 8u);
    ASSERT_EQ(h.Prompts.Messages.size(), 1u);
    EXPECT_EQ(h.Prompts.Messages[0].Text.substr(0, 15), "MQTT Queue Full");
    h.connect();
    for (const auto& p : std::vector(h.Client.Published))
        h.deliver(p.Token);
    h.record("r");
    ASSERT_EQ(h.Prompts.Messages.size(), 2u);
    EXPECT_NE(h.Prompts.Messages[1].Text.find(std::to_string(8 - kept) + " records were dropped"),
              std::string::npos);
    EXPECT_EQ(h.sequences().back(), 9); // the record after the room came back
}

struct CommandCase {
    const char* Name;
    bool Taken;
    std::string Payload;
    std::string Ran;    // the command text run, empty for none
    std::string Result; // the answer, empty for none
};

class MqttPublisherCommands : public testing::TestWithParam<CommandCase> {};

TEST_P(MqttPublisherCommands, RunThroughTheInterpreterAndAreAnsweredWithTheirCorrelation) {
    MqttSettings settings;
    settings.Commands = GetParam().Taken;
    PublisherHarness h(settings);
    h.Publisher->start();
    h.connect();
    EXPECT_EQ(h.Client.Subscribed.size(), GetParam().Taken ? 1u : 0u);
    h.Client.event(Kind::Arrived, 0, {h.Publisher->topics().Command, GetParam().Payload, 1, false, "corr"});
    h.Publisher->serviceEvents();
    EXPECT_EQ(h.Commands, GetParam().Ran.empty() ? std::vector<std::string>{} : std::vector{GetParam().Ran});
    const auto answers = h.Client.payloads(h.Publisher->topics().CommandResult);
    ASSERT_EQ(answers.size(), GetParam().Result.empty() ? 0u : 1u);
    if (!answers.empty()) {
        EXPECT_EQ(answers[0], GetParam().Result);
        EXPECT_EQ(h.Client.Published.back().Message.CorrelationData, "corr");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MqttPublisherCommands,
    testing::Values(CommandCase{"PlainText", true, "{BEEP}", "{BEEP}",
                                R"({"id":null,"command":"{BEEP}","accepted":true})"},
                    CommandCase{"JsonWithId", true, R"({"id":"a\"1","command":"{NOSUCH}"})", "{NOSUCH}",
                                R"({"id":"a\"1","command":"{NOSUCH}","accepted":false})"},
                    CommandCase{"NumericId", true, R"({"command":"{BEEP}","id":7})", "{BEEP}",
                                R"({"id":7,"command":"{BEEP}","accepted":true})"},
                    CommandCase{"IdThatIsNoIdIsLeftOut", true, R"({"command":"{BEEP}","id":true})", "{BEEP}",
                                R"({"id":null,"command":"{BEEP}","accepted":true})"},
                    CommandCase{"NotTakenWhenOff", false, "{BEEP}", "", ""}),
    [](const auto& c) { return c.param.Name; });

TEST(MqttPublisher, AStopSaysOfflineAndKeepsWhatWasNotTakenForTheNextRun) {
    PublisherHarness h;
    h.Publisher->start();
    h.connect();
    h.record("a");
    h.record("b");
    h.deliver(h.Client.Published[1].Token);
    h.Publisher->stop(0);
    EXPECT_NE(h.Client.Published.back().Message.Payload.find("\"status\":\"offline\""), std::string::npos);
    EXPECT_TRUE(h.Client.Published.back().Message.Retained);
    RecordBacklog reopened(h.Dir.file("q.queue"), 1 << 20);
    std::string error;
    ASSERT_TRUE(reopened.open(error));
    ASSERT_EQ(reopened.waiting(), 1u);
    EXPECT_NE(reopened.next()->Payload.find("\"fields\":[\"b\"]"), std::string::npos);
}

TEST(MqttPublisher, RetainedFieldsAndDiscoveryCatchUpWithTheNewestRecordWhenTheBrokerIsBack) {
    MqttSettings settings;
    settings.FieldTopics = true;
    settings.Discovery = true;
    PublisherHarness h(settings);
    const auto discoveries = [&h] {
        return std::count_if(h.Client.Published.begin(), h.Client.Published.end(),
                             [](const auto& p) { return p.Message.Topic.starts_with("homeassistant/"); });
    };
    const std::string field = h.Publisher->topics().field(1);
    h.Publisher->start();
    h.record("1.5 g");
    h.record("2.5 g"); // neither could go: only the newest is caught up with
    h.connect();
    EXPECT_EQ(h.Client.payloads(field), std::vector<std::string>{FieldPayload("2.5 g")});
    EXPECT_EQ(discoveries(), 1);
    h.Client.event(Kind::ConnectionLost);
    h.Publisher->serviceEvents();
    h.connect(); // nothing new meanwhile: nothing sent again
    EXPECT_EQ(h.Client.payloads(field).size(), 1u);
    h.Client.event(Kind::ConnectionLost);
    h.Publisher->serviceEvents();
    h.record("3.5 g");
    h.connect();
    EXPECT_EQ(h.Client.payloads(field).back(), FieldPayload("3.5 g"));
    EXPECT_EQ(discoveries(), 1);
}

} // namespace
} // namespace quorvane
