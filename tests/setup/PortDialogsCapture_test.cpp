// End to end: a pseudo-terminal linked under a temporary /dev/serial/by-id is listed by the port dialog,
// bound to a COM name there, and the real program run headless on that COM name (no --device) opens it
// and logs what the device sends; a pseudo-terminal's path typed into the dialog is bound the same way
// and opened by `quorvane FILE` with its runtime window.

#include <gtest/gtest.h>

#include "setup/SetupDialogRig.h"

#include <QLineEdit>
#include <QTreeWidget>

#include "config/ConfigFileFormat.h"
#include "config/ConfigLimits.h"
#include "integration/HeadlessProcess.h"
#include "platform/qt/QtSettingsStore.h"
#include "setup/ports/PortSetup.h"

namespace quorvane {
namespace {

namespace fs = std::filesystem;

// A log-mode configuration for a pseudo-terminal, which takes only 8 data bits without parity.
Configuration ptyLogConfig(const test::TempDir& dir) {
    Configuration config;
    ResetConfiguration(config);
    config.DataBitsIndex = 3;
    config.ParityIndex = 0;
    config.OutputMode = 2;
    config.LogFileName = dir.file("capture.log");
    return config;
}

// Saves the configuration, runs the program on it with `args` before the file, sends a record on the
// pty and tells whether the log received it.
bool capturedThroughBinding(const test::TempDir& dir, const Configuration& config, test::PtyPair& pty,
                            std::vector<std::string> args) {
    const std::string path = dir.file("bound.QV3");
    EXPECT_TRUE(WriteWholeFile(path, EncodeConfigFile(config)));
    args.push_back(path);
    test::HeadlessProcess quorvane(dir, args);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    // The record is sent until the run has opened the device and logged it.
    while (std::chrono::steady_clock::now() < end &&
           ReadWholeFile(config.LogFileName).value_or("").find("21.5") == std::string::npos) {
        test::sendAll(pty, "21.5\r");
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    quorvane.signal(SIGTERM);
    quorvane.wait();
    return ReadWholeFile(config.LogFileName).value_or("").find("21.5") != std::string::npos;
}

TEST(PortDialogsCapture, APortBoundInTheDialogIsTheDeviceAHeadlessRunOpens) {
    test::TempDir dir;
    test::PtyPair pty;
    ASSERT_TRUE(pty.ok());
    const fs::path root = dir.path() / "root";
    fs::create_directories(root / "dev/serial/by-id");
    const fs::path link = root / "dev/serial/by-id/usb-Quorvane_Test_Adapter_42-if00-port0";
    fs::create_symlink(pty.slavePath(), link);

    Configuration config = ptyLogConfig(dir);
    test::FakePrompts prompts;
    QtSettingsStore store(QString::fromStdString((dir.path() / "quorvane").string()));
    PortBindings bindings(store);
    PortSetup d(config, prompts, bindings, [&root] { return ListSerialDevices(root); });
    d.load();
    d.show();
    auto* devices = test::control<QTreeWidget>(d, "DeviceList");
    const auto found = devices->findItems(QString::fromStdString(link.string()), Qt::MatchExactly, 4);
    ASSERT_EQ(found.size(), 1);
    devices->setCurrentItem(found[0]);
    auto* ports = test::control<QTreeWidget>(d, "PortList");
    ports->setCurrentItem(ports->topLevelItem(6));
    test::click(d, "BindDevice");
    test::click(d, "OK_Button");
    ASSERT_EQ(config.PortIndex, 6);
    EXPECT_EQ(QtSettingsStore(QString::fromStdString((dir.path() / "quorvane").string()))
                  .GetSetting("Quorvane", "Ports", "COM7", ""),
              link.string());

    EXPECT_TRUE(capturedThroughBinding(dir, config, pty, {"--headless"}));
}

TEST(PortDialogsCapture, APathTypedInTheDialogIsTheDeviceAWindowedRunOpens) {
    test::TempDir dir;
    test::PtyPair pty;
    ASSERT_TRUE(pty.ok());
    Configuration config = ptyLogConfig(dir);
    test::FakePrompts prompts;
    QtSettingsStore store(QString::fromStdString((dir.path() / "quorvane").string()));
    PortBindings bindings(store);
    PortSetup d(config, prompts, bindings, [] { return std::vector<SerialDeviceInfo>{}; });
    d.load();
    d.show();
    auto* ports = test::control<QTreeWidget>(d, "PortList");
    ports->setCurrentItem(ports->topLevelItem(11));
    test::control<QLineEdit>(d, "DevicePath")->setText(QString::fromStdString(pty.slavePath()));
    test::click(d, "BindPath");
    ASSERT_TRUE(prompts.Messages.empty()) << prompts.Messages[0].Text;
    EXPECT_EQ(ports->topLevelItem(11)->text(1).toStdString(), pty.slavePath());
    test::click(d, "OK_Button");
    ASSERT_EQ(config.PortIndex, 11);
    // The program run with its runtime window (offscreen) and no --device finds the binding.
    EXPECT_TRUE(capturedThroughBinding(dir, config, pty, {}));
}

} // namespace
} // namespace quorvane
