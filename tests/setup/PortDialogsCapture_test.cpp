// End to end: a pseudo-terminal linked under a temporary /dev/serial/by-id is listed by the port dialog,
// bound to a COM name there, and the real program run headless on that COM name (no --device) opens it
// and logs what the device sends.

#include <gtest/gtest.h>

#include "setup/SetupDialogRig.h"

#include <QTreeWidget>

#include "config/ConfigFileFormat.h"
#include "config/ConfigLimits.h"
#include "integration/HeadlessProcess.h"
#include "platform/qt/QtSettingsStore.h"
#include "setup/ports/PortSetup.h"

namespace quorvane {
namespace {

namespace fs = std::filesystem;

TEST(PortDialogsCapture, APortBoundInTheDialogIsTheDeviceAHeadlessRunOpens) {
    test::TempDir dir;
    test::PtyPair pty;
    ASSERT_TRUE(pty.ok());
    const fs::path root = dir.path() / "root";
    fs::create_directories(root / "dev/serial/by-id");
    const fs::path link = root / "dev/serial/by-id/usb-Quorvane_Test_Adapter_42-if00-port0";
    fs::create_symlink(pty.slavePath(), link);

    Configuration config;
    ResetConfiguration(config);
    // A pseudo-terminal takes only 8 data bits without parity.
    config.DataBitsIndex = 3;
    config.ParityIndex = 0;
    config.OutputMode = 2;
    config.LogFileName = dir.file("capture.log");
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

    const std::string path = dir.file("bound.QV3");
    ASSERT_TRUE(WriteWholeFile(path, EncodeConfigFile(config)));
    test::HeadlessProcess quorvane(dir, {"--headless", path});
    ASSERT_TRUE(quorvane.waitForMessage("Quorvane - COM7")) << quorvane.standardError();
    ASSERT_TRUE(test::sendAll(pty, "21.5\r"));
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < end &&
           ReadWholeFile(config.LogFileName).value_or("").find("21.5") == std::string::npos)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    quorvane.signal(SIGTERM);
    EXPECT_EQ(quorvane.wait(), 0) << quorvane.standardError();
    EXPECT_NE(ReadWholeFile(config.LogFileName).value_or("").find("21.5"), std::string::npos);
}

} // namespace
} // namespace quorvane
