#pragma once
// Where and how records are published to an MQTT broker: the [Mqtt] section of the per-user store,
// with the command line's broker and instrument over it. No secret is kept here: the password
// stays in its file until the connection reads it.

#include "platform/MqttClient.h"
#include "platform/SettingsStore.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quorvane {

/// The settings store section of the publisher (application "Quorvane").
inline constexpr std::string_view kMqttSection = "Mqtt";

/// The publisher's settings; an empty Url publishes nothing.
struct MqttSettings {
    /// "mqtt://host[:port]" (1883 by default) or "mqtts://host[:port]" (8883, TLS).
    std::string Url;
    /// Empty: "quorvane-<host>-<instrument>".
    std::string ClientId;
    std::string User;
    /// A file whose first line is the password.
    std::string PasswordFile;
    /// PEM files for TLS: the certificate authority (empty: the system's), the client certificate and key.
    std::string CaFile;
    std::string CertFile;
    std::string KeyFile;
    /// 0, 1 or 2.
    int Qos = 1;
    std::string Prefix = "quorvane";
    /// Empty: the configuration file's base name.
    std::string Instrument;
    /// One retained topic per field, .../field/<n>.
    bool FieldTopics = false;
    /// Home Assistant discovery messages for numeric fields.
    bool Discovery = false;
    std::string DiscoveryPrefix = "homeassistant";
    /// Commands on .../command run through the command interpreter.
    bool Commands = false;
    /// Bound of the records waiting on disk.
    std::uint64_t QueueLimitBytes = std::uint64_t{64} << 20;
};

/// The [Mqtt] section; absent or unreadable entries keep their defaults.
MqttSettings ReadMqttSettings(const SettingsStore& store);
/// Writes every entry of the [Mqtt] section.
void SaveMqttSettings(SettingsStore& store, const MqttSettings& settings);

/// A broker URL taken apart.
struct BrokerAddress {
    bool Tls = false;
    std::string Host;
    std::uint16_t Port = 0;
};

/// Parses "mqtt://host[:port]" or "mqtts://host[:port]" (an IPv6 host in brackets); the text of the
/// problem when the URL is not one of them.
std::optional<BrokerAddress> ParseBrokerUrl(std::string_view url, std::string& problem);

/// Empty when the settings can be used, else what is wrong with them, for the user.
std::string CheckMqttSettings(const MqttSettings& settings);

/// The instrument name of a run: the setting, else the base name of the configuration file.
std::string InstrumentName(const MqttSettings& settings, std::string_view configFile);

/// Reads the first line of a password file (its line end removed); nullopt with `problem` set when
/// the file cannot be read. A path starting with "$CREDENTIALS_DIRECTORY/" is in the folder of the
/// credentials systemd hands a service (LoadCredential=).
std::optional<std::string> ReadPasswordFile(const std::string& path, std::string& problem);

/// The connection options of the settings, the password read from its file; nullopt with `problem`
/// set when the settings cannot be used.
std::optional<MqttConnectOptions> ConnectOptionsOf(const MqttSettings& settings, const std::string& clientId,
                                                   std::string& problem);

} // namespace quorvane
