#pragma once
// Test Connection of the MQTT settings: one connect with them, and what came of it in a sentence.

#include "engine/mqtt/MqttSettings.h"
#include "platform/MqttClient.h"

#include <string>

namespace quorvane {

/// How a connection test went.
struct MqttTestResult {
    bool Connected = false;
    /// For the user: the broker answered, or why not.
    std::string Text;
};

/// Connects `client` with the settings, waits at most `timeoutMs` for the broker's answer and
/// disconnects again.
MqttTestResult TestMqttConnection(MqttClient& client, const MqttSettings& settings,
                                  const std::string& clientId, int timeoutMs);

} // namespace quorvane
