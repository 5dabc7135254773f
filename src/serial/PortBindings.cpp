#include "serial/PortBindings.h"

#include <charconv>

namespace quorvane {

namespace {

constexpr std::string_view kApplication = "Quorvane";
constexpr std::string_view kSection = "Ports";

} // namespace

PortBindings::PortBindings(SettingsStore& store) : m_store(store) {}

std::string PortBindings::devicePathFor(std::string_view portName) const {
    if (!m_overridePort.empty() && portName == m_overridePort)
        return m_overridePath;
    std::string stored = boundPath(portName);
    if (!stored.empty())
        return stored;
    return defaultDevicePath(portName);
}

BindingSource PortBindings::sourceFor(std::string_view portName) const {
    if (!m_overridePort.empty() && portName == m_overridePort)
        return BindingSource::ThisRun;
    return boundPath(portName).empty() ? BindingSource::Default : BindingSource::Stored;
}

std::string PortBindings::describeOpened(std::string_view portName) const {
    std::string line = std::string(portName) + " is open on " + devicePathFor(portName);
    switch (sourceFor(portName)) {
    case BindingSource::ThisRun:
        return line + " (from --device).";
    case BindingSource::Stored:
        return line + " (from its binding in the settings store, [" + std::string(kSection) + "] " +
               std::string(portName) + ").";
    case BindingSource::Default:
        return line + " (the default: the settings store binds no device to " + std::string(portName) + ").";
    }
    return line + ".";
}

void PortBindings::setOverride(std::string_view portName, std::string path) {
    m_overridePort = portName;
    m_overridePath = std::move(path);
}

std::string PortBindings::boundPath(std::string_view portName) const {
    return m_store.GetSetting(kApplication, kSection, portName, "");
}

void PortBindings::bind(std::string_view portName, std::string_view path) {
    m_store.SaveSetting(kApplication, kSection, portName, path);
}

std::string PortBindings::defaultDevicePath(std::string_view portName) {
    if (!portName.starts_with("COM"))
        return {};
    const std::string_view digits = portName.substr(3);
    int number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (error != std::errc() || end != digits.data() + digits.size() || digits.empty() || number < 1)
        return {};
    return "/dev/ttyS" + std::to_string(number - 1);
}

} // namespace quorvane
