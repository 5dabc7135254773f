#include "engine/mqtt/MqttConnectionTest.h"

namespace quorvane {

MqttTestResult TestMqttConnection(MqttClient& client, const MqttSettings& settings,
                                  const std::string& clientId, int timeoutMs) {
    std::string problem;
    const auto options = ConnectOptionsOf(settings, clientId, problem);
    if (!options)
        return {false, problem};
    if (!client.connect(*options, problem))
        return {false, problem};
    constexpr int kSliceMs = 100;
    for (int waited = 0; waited < timeoutMs; waited += kSliceMs) {
        client.waitForEvents(kSliceMs);
        for (const MqttEvent& event : client.takeEvents()) {
            if (event.What == MqttEvent::Kind::Connected) {
                client.disconnect(0);
                return {true, "The broker at " + settings.Url + " accepted the connection."};
            }
            if (event.What == MqttEvent::Kind::ConnectFailed || event.What == MqttEvent::Kind::ConnectionLost)
                return {false, event.Text};
        }
    }
    client.disconnect(0);
    return {false, "The broker at " + settings.Url + " did not answer within " +
                       std::to_string(timeoutMs / 1000) + " seconds."};
}

} // namespace quorvane
