// The quorvane program on a pseudo-terminal publishing to a real mosquitto: exact record messages,
// the retained field values and discovery beside them, nothing lost or reordered while the broker
// is away (stopped mid-stream, not there at the start, the program restarted meanwhile), presence
// and its last will. TLS and commands are in their own
// files; the publisher's rules with a fake client are in the unit tests.

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <map>
#include <memory>
#include <regex>

#include "integration/HeadlessProcess.h"
#include "mqtt/MqttBroker.h"
#include "mqtt/MqttRun.h"

namespace quorvane {
namespace {

using namespace test;

TEST(MqttPublish, RecordsFromThePtyReachASubscriberWithExactPayloadsAndLeaveTheirFieldsRetained) {
    MqttRun run;
    run.settings({"FieldTopics=true", "Discovery=true"});
    ASSERT_TRUE(run.Broker.start());
    Subscriber sub(run.Dir, run.Broker, run.topic("record"));
    ASSERT_TRUE(sub.waitReady(run.Broker));
    auto quorvane = run.start();
    // Field values go out only while connected (they are not queued): wait for the presence.
    Subscriber status(run.Dir, run.Broker, run.topic("status"));
    ASSERT_TRUE(status.waitForLines(1)) << quorvane->standardError();
    ASSERT_TRUE(run.send(1, 3));
    ASSERT_TRUE(sub.waitForLines(3)) << quorvane->standardError();

    const std::regex shape(
        R"re(\{"ts":"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z)","seq":(\d+),"run":"([0-9a-f-]+)",(.*))re");
    std::string runId;
    for (int i = 1; i <= 3; ++i) {
        const std::string line = sub.lines()[static_cast<std::size_t>(i - 1)];
        ASSERT_TRUE(line.starts_with(run.topic("record") + " ")) << line;
        const std::string payload = line.substr(run.topic("record").size() + 1);
        std::smatch parts;
        ASSERT_TRUE(std::regex_match(payload, parts, shape)) << payload;
        EXPECT_EQ(parts[2], std::to_string(i));
        if (i == 1)
            runId = parts[3];
        EXPECT_EQ(parts[3], runId);
        const std::string value = std::to_string(i * 7 % 1000);
        EXPECT_EQ(parts[4], "\"host\":\"" + hostName() +
                                "\",\"instrument\":\"capture\",\"port\":\"COM1\",\"device\":\"" +
                                run.Pty.slavePath() + "\",\"fields\":[\"r" + std::to_string(i) + "\",\"" +
                                value + "\",\"end\\r\"],\"values\":[null," + value + ",null],\"record\":\"r" +
                                std::to_string(i) + "," + value + ",end\\r\\n\"}");
    }

    // A subscriber that comes later is given what the broker retained: the last record's fields
    // and the discovery of its one numeric field.
    Subscriber late(run.Dir, run.Broker, run.topic("field/+"), {"-t", "homeassistant/#"});
    ASSERT_TRUE(late.waitForLines(4));
    std::vector<std::string> retained = late.lines();
    std::sort(retained.begin(), retained.end());
    ASSERT_EQ(retained.size(), 4u) << retained.back();
    const std::string node = std::regex_replace(hostName(), std::regex("[^A-Za-z0-9_-]"), "_") + "_capture";
    EXPECT_EQ(retained[0],
              "homeassistant/sensor/" + node +
                  "_field2/config {\"name\":\"capture field 2\",\"unique_id\":\"quorvane_" + node +
                  "_field2\",\"state_topic\":\"" + run.topic("record") +
                  "\",\"value_template\":\"{{ value_json['values'][1] }}\",\"availability_topic\":\"" +
                  run.topic("status") +
                  "\",\"availability_template\":\"{{ value_json.status }}\",\"device\":{"
                  "\"identifiers\":[\"quorvane_" +
                  node + "\"],\"name\":\"capture\",\"manufacturer\":\"Quorvane\"}}");
    EXPECT_EQ(std::vector<std::string>(retained.begin() + 1, retained.end()),
              (std::vector<std::string>{run.topic("field/1") + " r3", run.topic("field/2") + " 21",
                                        run.topic("field/3") + " end\r"}));
}

TEST(MqttPublish, EverySequenceNumberArrivesInOrderWhenTheBrokerStopsMidStream) {
    MqttRun run;
    ASSERT_TRUE(run.Broker.start());
    Subscriber sub(run.Dir, run.Broker, run.topic("record"));
    ASSERT_TRUE(sub.waitReady(run.Broker));
    auto quorvane = run.start();
    ASSERT_TRUE(run.send(1, 100));
    ASSERT_TRUE(sub.waitForLines(100)) << quorvane->standardError();

    run.Broker.stop();
    ASSERT_TRUE(quorvane->waitForMessage("Disconnected")) << quorvane->standardError();
    ASSERT_TRUE(run.send(101, 100));
    std::this_thread::sleep_for(std::chrono::seconds(2)); // the broker stays away a while
    ASSERT_TRUE(run.Broker.start());
    ASSERT_TRUE(quorvane->waitForMessage("Reconnected")) << quorvane->standardError();
    ASSERT_TRUE(run.send(201, 100));
    ASSERT_TRUE(waitFor([&] { return lastSequence(sub.lines()) >= 300; }))
        << quorvane->standardError() << sub.lines().size() << " lines, the last " << sub.lines().back();
    expectEverySequenceInOrder(sub.lines(), 1, 300);
}

TEST(MqttPublish, TheFirstConnectIsRetriedUntilTheBrokerAnswers) {
    MqttRun run;
    auto quorvane = run.start();
    ASSERT_TRUE(quorvane->waitForMessage("Not Reached")) << quorvane->standardError();
    ASSERT_TRUE(run.send(1, 20));
    ASSERT_TRUE(run.Broker.start());
    Subscriber sub(run.Dir, run.Broker, run.topic("record"));
    ASSERT_TRUE(sub.waitReady(run.Broker));
    ASSERT_TRUE(waitFor([&] { return lastSequence(sub.lines()) >= 20; })) << quorvane->standardError();
    expectEverySequenceInOrder(sub.lines(), 1, 20);
    EXPECT_NE(quorvane->standardError().find("Reconnected"), std::string::npos);
}

TEST(MqttPublish, RecordsOfARunStoppedWhileTheBrokerWasDownArriveWithTheNextRun) {
    MqttRun run;
    ASSERT_TRUE(run.Broker.start());
    {
        Subscriber sub(run.Dir, run.Broker, run.topic("record"));
        ASSERT_TRUE(sub.waitReady(run.Broker)); // the persistent session now holds the subscription
    }
    run.Broker.stop();
    {
        auto first = run.start();
        ASSERT_TRUE(run.send(1, 30));
        ASSERT_TRUE(first->waitForMessage("Not Reached"));
        ASSERT_TRUE(run.waitForRecordLine("r30"));
        first->signal(SIGTERM);
        ASSERT_EQ(first->wait(), 0) << first->standardError();
    }
    auto second = run.start();
    ASSERT_TRUE(run.send(31, 30));
    ASSERT_TRUE(run.Broker.start());
    Subscriber sub(run.Dir, run.Broker, run.topic("record"));
    ASSERT_TRUE(waitFor([&] { return sub.lines().size() >= 60; })) << second->standardError();
    expectEverySequenceInOrder(sub.lines(), 2, 30);
}

TEST(MqttPublish, ASecondRunOfOneInstrumentIsRefusedNamingTheFirstWhoseRecordsGoOnWhole) {
    MqttRun run;
    ASSERT_TRUE(run.Broker.start());
    Subscriber sub(run.Dir, run.Broker, run.topic("record"));
    ASSERT_TRUE(sub.waitReady(run.Broker));
    auto first = run.start();
    ASSERT_TRUE(run.send(1, 20));
    ASSERT_TRUE(sub.waitForLines(20)) << first->standardError();

    TempDir elsewhere;
    PtyPair device;
    HeadlessProcess second(
        elsewhere, {"--headless", run.Config, "--device", device.slavePath(), "--mqtt", run.Broker.url()});
    EXPECT_EQ(second.wait(), 1);
    EXPECT_NE(second.standardError().find("capture.queue.lock is in use by process " +
                                          std::to_string(first->pid()) + " (quorvane)"),
              std::string::npos)
        << second.standardError();
    ASSERT_TRUE(run.send(21, 20));
    ASSERT_TRUE(waitFor([&] { return lastSequence(sub.lines()) >= 40; })) << first->standardError();
    expectEverySequenceInOrder(sub.lines(), 1, 40);
}

TEST(MqttPublish, StatusIsOnlineWhileRunningAndTheLastWillSaysOfflineWhenKilled) {
    MqttRun run;
    ASSERT_TRUE(run.Broker.start());
    Subscriber sub(run.Dir, run.Broker, run.topic("status"));
    ASSERT_TRUE(sub.waitReady(run.Broker));
    auto quorvane = run.start();
    ASSERT_TRUE(waitFor([&] { return sub.lines().size() >= 1; })) << quorvane->standardError();
    EXPECT_NE(sub.lines()[0].find("{\"status\":\"online\",\"run\":"), std::string::npos) << sub.lines()[0];
    quorvane->signal(SIGKILL);
    ASSERT_TRUE(waitFor([&] { return sub.lines().size() >= 2; }, std::chrono::seconds(30)));
    EXPECT_NE(sub.lines()[1].find("{\"status\":\"offline\""), std::string::npos) << sub.lines()[1];
}

TEST(MqttPublish, ACleanStopSaysOffline) {
    MqttRun run;
    ASSERT_TRUE(run.Broker.start());
    Subscriber sub(run.Dir, run.Broker, run.topic("status"));
    ASSERT_TRUE(sub.waitReady(run.Broker));
    auto quorvane = run.start();
    ASSERT_TRUE(waitFor([&] { return sub.lines().size() >= 1; })) << quorvane->standardError();
    quorvane->signal(SIGTERM);
    EXPECT_EQ(quorvane->wait(), 0);
    ASSERT_TRUE(waitFor([&] { return sub.lines().size() >= 2; }));
    EXPECT_NE(sub.lines()[1].find("{\"status\":\"offline\""), std::string::npos) << sub.lines()[1];
}

} // namespace
} // namespace quorvane
