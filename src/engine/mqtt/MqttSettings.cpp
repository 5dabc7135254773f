#include "engine/mqtt/MqttSettings.h"

#include <charconv>
#include <cstdlib>
#include <fstream>

namespace quorvane {

namespace {

constexpr std::string_view kApplication = "Quorvane";

std::string get(const SettingsStore& store, std::string_view key, std::string_view fallback) {
    return store.GetSetting(kApplication, kMqttSection, key, fallback);
}

bool flag(const SettingsStore& store, std::string_view key, bool fallback) {
    const std::string text = get(store, key, fallback ? "true" : "false");
    return text == "true" || text == "1" || text == "yes" || text == "on";
}

template <typename Number>
Number number(const SettingsStore& store, std::string_view key, Number fallback, Number low, Number high) {
    const std::string text = get(store, key, "");
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < low || value > high)
        return fallback;
    return value;
}

constexpr std::uint64_t kMiB = std::uint64_t{1} << 20;

} // namespace

MqttSettings ReadMqttSettings(const SettingsStore& store) {
    MqttSettings s;
    s.Url = get(store, "Url", "");
    s.ClientId = get(store, "ClientId", "");
    s.User = get(store, "User", "");
    s.PasswordFile = get(store, "PasswordFile", "");
    s.CaFile = get(store, "CaFile", "");
    s.CertFile = get(store, "CertFile", "");
    s.KeyFile = get(store, "KeyFile", "");
    s.Qos = number(store, "Qos", 1, 0, 2);
    s.Prefix = get(store, "Prefix", s.Prefix);
    s.Instrument = get(store, "Instrument", "");
    s.FieldTopics = flag(store, "FieldTopics", false);
    s.Discovery = flag(store, "Discovery", false);
    s.DiscoveryPrefix = get(store, "DiscoveryPrefix", s.DiscoveryPrefix);
    s.Commands = flag(store, "Commands", false);
    s.QueueLimitBytes = number<std::uint64_t>(store, "QueueLimitMiB", 64, 1, 1 << 20) * kMiB;
    return s;
}

void SaveMqttSettings(SettingsStore& store, const MqttSettings& s) {
    const auto put = [&store](std::string_view key, std::string_view value) {
        store.SaveSetting(kApplication, kMqttSection, key, value);
    };
    put("Url", s.Url);
    put("ClientId", s.ClientId);
    put("User", s.User);
    put("PasswordFile", s.PasswordFile);
    put("CaFile", s.CaFile);
    put("CertFile", s.CertFile);
    put("KeyFile", s.KeyFile);
    put("Qos", std::to_string(s.Qos));
    put("Prefix", s.Prefix);
    put("Instrument", s.Instrument);
    put("FieldTopics", s.FieldTopics ? "true" : "false");
    put("Discovery", s.Discovery ? "true" : "false");
    put("DiscoveryPrefix", s.DiscoveryPrefix);
    put("Commands", s.Commands ? "true" : "false");
    put("QueueLimitMiB", std::to_string(s.QueueLimitBytes / kMiB));
}

std::optional<BrokerAddress> ParseBrokerUrl(std::string_view url, std::string& problem) {
    BrokerAddress address;
    std::string_view rest;
    if (url.starts_with("mqtt://")) {
        rest = url.substr(7);
        address.Port = 1883;
    } else if (url.starts_with("mqtts://")) {
        rest = url.substr(8);
        address.Tls = true;
        address.Port = 8883;
    } else {
        problem = "The broker URL must start with mqtt:// or mqtts://.";
        return std::nullopt;
    }
    if (!rest.empty() && rest.back() == '/')
        rest.remove_suffix(1);
    std::string_view port;
    if (rest.starts_with('[')) {
        const std::size_t close = rest.find(']');
        if (close == std::string_view::npos) {
            problem = "The broker URL has an unclosed [ around its address.";
            return std::nullopt;
        }
        address.Host = rest.substr(1, close - 1);
        rest.remove_prefix(close + 1);
        if (!rest.empty() && !rest.starts_with(':')) {
            problem = "The broker URL has something after its address that is no :port.";
            return std::nullopt;
        }
        port = rest.empty() ? rest : rest.substr(1);
    } else {
        const std::size_t colon = rest.rfind(':');
        address.Host = rest.substr(0, colon);
        if (colon != std::string_view::npos)
            port = rest.substr(colon + 1);
    }
    if (address.Host.empty() || address.Host.find_first_of("/@ ") != std::string::npos) {
        problem = "The broker URL needs a host name or address (mqtt://host:port, nothing after it).";
        return std::nullopt;
    }
    if (!port.empty() || rest.ends_with(':')) {
        unsigned value = 0;
        const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), value);
        if (port.empty() || error != std::errc() || end != port.data() + port.size() || value == 0 ||
            value > 65535) {
            problem = "The broker URL's port must be a number from 1 to 65535.";
            return std::nullopt;
        }
        address.Port = static_cast<std::uint16_t>(value);
    }
    return address;
}

std::string CheckMqttSettings(const MqttSettings& s) {
    std::string problem;
    const auto address = ParseBrokerUrl(s.Url, problem);
    if (!address)
        return problem;
    if (s.Qos < 0 || s.Qos > 2)
        return "QoS must be 0, 1 or 2.";
    if (s.Prefix.find_first_of("+#") != std::string::npos)
        return "The topic prefix may not hold + or #.";
    if (!address->Tls && (!s.CaFile.empty() || !s.CertFile.empty() || !s.KeyFile.empty()))
        return "Certificates are used with mqtts:// only; the broker URL starts with mqtt://.";
    if (s.CertFile.empty() != s.KeyFile.empty())
        return "A client certificate needs its key, and a key its certificate.";
    return {};
}

std::string InstrumentName(const MqttSettings& settings, std::string_view configFile) {
    if (!settings.Instrument.empty())
        return settings.Instrument;
    const std::size_t slash = configFile.find_last_of('/');
    std::string_view base = slash == std::string_view::npos ? configFile : configFile.substr(slash + 1);
    if (const std::size_t dot = base.rfind('.'); dot != std::string_view::npos && dot > 0)
        base = base.substr(0, dot);
    return base.empty() ? std::string("quorvane") : std::string(base);
}

std::optional<std::string> ReadPasswordFile(const std::string& given, std::string& problem) {
    std::string path = given;
    constexpr std::string_view kCredentials = "$CREDENTIALS_DIRECTORY/";
    if (const char* credentials = std::getenv("CREDENTIALS_DIRECTORY");
        credentials && path.starts_with(kCredentials))
        path = std::string(credentials) + "/" + path.substr(kCredentials.size());
    std::ifstream in(path, std::ios::binary);
    std::string line;
    if (!in || (!std::getline(in, line) && !in.eof())) {
        problem = "The password file " + path + " cannot be read.";
        return std::nullopt;
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

std::optional<MqttConnectOptions> ConnectOptionsOf(const MqttSettings& settings, const std::string& clientId,
                                                   std::string& problem) {
    problem = CheckMqttSettings(settings);
    if (!problem.empty())
        return std::nullopt;
    MqttConnectOptions options;
    options.Url = settings.Url;
    options.ClientId = settings.ClientId.empty() ? clientId : settings.ClientId;
    options.User = settings.User;
    if (!settings.PasswordFile.empty()) {
        const auto password = ReadPasswordFile(settings.PasswordFile, problem);
        if (!password)
            return std::nullopt;
        options.Password = *password;
    }
    options.CaFile = settings.CaFile;
    options.CertFile = settings.CertFile;
    options.KeyFile = settings.KeyFile;
    return options;
}

} // namespace quorvane
