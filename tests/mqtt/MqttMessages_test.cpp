// The texts that leave the program: timestamps, topic levels, the record message with code-page
// text and control characters, discovery.

#include <gtest/gtest.h>

#include "engine/mqtt/MqttMessages.h"

namespace quorvane {
namespace {

TEST(MqttMessages, TimestampsAreIsoUtcWithMilliseconds) {
    EXPECT_EQ(IsoUtc(0), "1970-01-01T00:00:00.000Z");
    EXPECT_EQ(IsoUtc(1796652309007), "2026-12-07T14:05:09.007Z");
    EXPECT_EQ(IsoUtc(951782400000), "2000-02-29T00:00:00.000Z");
    EXPECT_EQ(IsoUtc(-1), "1969-12-31T23:59:59.999Z");
}

TEST(MqttMessages, TopicLevelsCannotSplitOrMatchTopics) {
    EXPECT_EQ(TopicLevel("lab/1+#\x01"), "lab_1___");
    EXPECT_EQ(TopicLevel(""), "_");
    const MqttTopics topics("plant/a", "pc/1", "scale");
    EXPECT_EQ(topics.Record, "plant/a/pc_1/scale/record");
    EXPECT_EQ(topics.field(3), "plant/a/pc_1/scale/field/3");
}

TEST(MqttMessages, ARecordCarriesItsFieldsAsUtf8JsonAndItsNumbers) {
    FieldSlots slots = InitialFieldSlots();
    slots[1] = std::string("\xB0"
                           "C\"\\");
    slots[2] = std::string(" 21.5\r");
    const CompletedRecord record{4, 2, 1796652309000, {}, "COM3", slots, 3};
    const MqttRunInfo run{"r", "pc", "t", "/dev/x", "1", 0};
    EXPECT_EQ(
        RecordPayload(record, run,
                      "\xB0"
                      "C\t21.5\x01"),
        "{\"ts\":\"2026-12-07T14:05:09.000Z\",\"seq\":4,\"run\":\"r\",\"host\":\"pc\",\"instrument\":\"t\","
        "\"port\":\"COM3\",\"device\":\"/dev/x\",\"fields\":[\"\xC2\xB0"
        "C\\\"\\\\\",\" 21.5\\r\",\"\"],"
        "\"values\":[null,21.5,null],\"record\":\"\xC2\xB0"
        "C\\t21.5\\u0001\"}");
}

TEST(MqttMessages, DiscoveryNamesTheRecordTopicAndTheFieldsPlaceInIt) {
    const MqttTopics topics("quorvane", "pc", "scale 1");
    const auto message = FieldDiscovery("homeassistant", topics, {"r", "pc", "scale 1", "", "", 0}, 2);
    EXPECT_EQ(message.Topic, "homeassistant/sensor/pc_scale_1_field2/config");
    EXPECT_NE(message.Payload.find("\"state_topic\":\"quorvane/pc/scale 1/record\""), std::string::npos);
    EXPECT_NE(message.Payload.find("value_json['values'][1]"), std::string::npos);
}

} // namespace
} // namespace quorvane
