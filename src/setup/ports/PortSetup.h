#pragma once
// PortSetup "Quorvane Serial Port Settings": the port name and its line settings, the driver buffer
// sizes, and, beside the port names, the serial devices present now, any of which a port name can be
// bound to. The rules are config/PortRules; bindings live in the per-user settings store.

#include <functional>
#include <vector>

#include <QDialog>

#include "config/Configuration.h"
#include "platform/UserPrompts.h"
#include "serial/PortBindings.h"
#include "serial/SerialDeviceList.h"

class QButtonGroup;
class QPushButton;
class QTreeWidget;

namespace quorvane {

class BufferSizeBox;

/// Lists the serial devices present now.
using SerialDeviceLister = std::function<std::vector<SerialDeviceInfo>()>;

/// Controls PortList (one row per port name: "COM1".."COM255" and its device), option buttons Baud_0..13,
/// Parity_0..4, Databits_0..3, StopBits_0..2 and FlowCtrl_0..3 in their frames, BuffSize, OutBuffSize,
/// OK_Button and Cancel_Button; DeviceList (the devices present now), RescanDevices and BindDevice, which
/// binds the selected port name to the selected device's stable path at once.
class PortSetup final : public QDialog {
public:
    PortSetup(
        Configuration& config, UserPrompts& prompts, PortBindings& bindings,
        SerialDeviceLister devices = [] { return ListSerialDevices(); }, QWidget* parent = nullptr);
    /// Selects the settings' options, fills the buffer size boxes, positions PortList on PortIndex and
    /// lists the devices present now.
    void load();

    /// Help topic of the dialog.
    static constexpr int kHelpTopic = 100;

private:
    void accept() override;
    void rescan();
    void bindSelected();
    void showPortDevices();
    bool present(const std::string& path) const;
    std::int16_t selected(const QButtonGroup* group, std::int16_t setting) const;
    void refuseTyping(BufferSizeBox* box);

    Configuration& m_config;
    UserPrompts& m_prompts;
    PortBindings& m_bindings;
    SerialDeviceLister m_lister;
    std::vector<SerialDeviceInfo> m_devices;
    QTreeWidget* m_ports;
    QTreeWidget* m_deviceList;
    QPushButton* m_bind;
    QButtonGroup* m_baud;
    QButtonGroup* m_parity;
    QButtonGroup* m_dataBits;
    QButtonGroup* m_stopBits;
    QButtonGroup* m_flow;
    BufferSizeBox* m_input;
    BufferSizeBox* m_output;
};

} // namespace quorvane
