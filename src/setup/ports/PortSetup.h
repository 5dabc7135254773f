#pragma once
// PortSetup "Quorvane Serial Port Settings": the port name and its line settings, the driver buffer
// sizes, and, beside the port names, the serial devices present now, any of which a port name can be
// bound to, as it can to any terminal device path typed or chosen. The rules are config/PortRules;
// bindings live in the per-user settings store.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QDialog>

#include "config/Configuration.h"
#include "platform/FileDialogs.h"
#include "platform/UserPrompts.h"
#include "serial/PortBindings.h"
#include "serial/SerialDeviceList.h"

class QButtonGroup;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace quorvane {

class BufferSizeBox;

/// Lists the serial devices present now.
using SerialDeviceLister = std::function<std::vector<SerialDeviceInfo>()>;
/// Why a path cannot stand for a serial port, as a sentence; nullopt when it can.
using DeviceChecker = std::function<std::optional<std::string>(const std::string&)>;

/// Controls PortList (one row per port name: "COM1".."COM255" and its device), option buttons Baud_0..13,
/// Parity_0..4, Databits_0..3, StopBits_0..2 and FlowCtrl_0..3 in their frames, BuffSize, OutBuffSize,
/// OK_Button and Cancel_Button; DeviceList (the devices present now), RescanDevices and BindDevice, which
/// binds the selected port name to the selected device's stable path at once; DevicePath with
/// BrowseDevice, BindPath (binds the selected port name to the typed path once it proves to be a
/// terminal device) and UnbindPort. A device that is not there is marked "(absent)".
class PortSetup final : public QDialog {
public:
    PortSetup(
        Configuration& config, UserPrompts& prompts, PortBindings& bindings,
        SerialDeviceLister devices = [] { return ListSerialDevices(); }, QWidget* parent = nullptr);
    /// Selects the settings' options, fills the buffer size boxes, positions PortList on PortIndex and
    /// lists the devices present now.
    void load();

    /// The file dialog BrowseDevice opens; without one the button is hidden.
    void setFileDialogs(FileDialogs* dialogs);
    /// The device the configured port uses in this session (--device); empty for none.
    void setSessionDevice(const std::string& path);
    /// Replaces the check of typed paths (tests).
    void setDeviceChecker(DeviceChecker check) { m_check = std::move(check); }

    /// Help topic of the dialog.
    static constexpr int kHelpTopic = 100;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void accept() override;
    void rescan();
    void bindSelected();
    void bindPath();
    void unbindPort();
    void browseDevice();
    void portChosen();
    std::string selectedPortName() const;
    void showPortDevices();
    bool present(const std::string& path) const;
    std::int16_t selected(const QButtonGroup* group, std::int16_t setting) const;
    void refuseTyping(BufferSizeBox* box);

    Configuration& m_config;
    UserPrompts& m_prompts;
    PortBindings& m_bindings;
    SerialDeviceLister m_lister;
    DeviceChecker m_check;
    FileDialogs* m_fileDialogs = nullptr;
    std::vector<SerialDeviceInfo> m_devices;
    QTreeWidget* m_ports;
    QTreeWidget* m_deviceList;
    QPushButton* m_bind;
    QLineEdit* m_path;
    QPushButton* m_browse;
    QPushButton* m_bindPath;
    QPushButton* m_unbind;
    QLabel* m_session;
    QButtonGroup* m_baud;
    QButtonGroup* m_parity;
    QButtonGroup* m_dataBits;
    QButtonGroup* m_stopBits;
    QButtonGroup* m_flow;
    BufferSizeBox* m_input;
    BufferSizeBox* m_output;
};

} // namespace quorvane
