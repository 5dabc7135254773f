#pragma once
// Which device path each port name (COM1 to COM255) stands for.

#include <optional>
#include <string>
#include <string_view>

#include "platform/SettingsStore.h"

namespace quorvane {

/// Where the device path of a port name came from.
enum class BindingSource { ThisRun, Stored, Default };

/// Port names bound to device paths in the per-user settings store ("Quorvane", "Ports", "COM3" =
/// "/dev/ttyUSB0"); an unbound COMn is /dev/ttyS<n-1>. One port may be bound for this run only.
class PortBindings {
public:
    /// Reads and writes bindings in `store`.
    explicit PortBindings(SettingsStore& store);

    /// The device path to open for `portName`: the run's override, else the stored binding, else the
    /// default; empty for a name that is not COM followed by a positive number.
    std::string devicePathFor(std::string_view portName) const;
    /// Where devicePathFor(portName) comes from.
    BindingSource sourceFor(std::string_view portName) const;
    /// "COM1 is open on /dev/ttyUSB0 (from --device)": the one line a run says about its device.
    std::string describeOpened(std::string_view portName) const;
    /// Binds `portName` to `path` for this run only, ahead of any stored binding (--device).
    void setOverride(std::string_view portName, std::string path);
    /// The stored binding of `portName`; empty when it is unbound.
    std::string boundPath(std::string_view portName) const;
    /// Stores a lasting binding; an empty path removes it.
    void bind(std::string_view portName, std::string_view path);
    /// The path of an unbound port: /dev/ttyS<n-1> for COMn; empty when `portName` is not COMn.
    static std::string defaultDevicePath(std::string_view portName);

private:
    SettingsStore& m_store;
    std::string m_overridePort;
    std::string m_overridePath;
};

} // namespace quorvane
