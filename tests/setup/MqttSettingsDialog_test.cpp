// The MQTT settings dialog offscreen: it shows the [Mqtt] section, OK refuses settings that cannot be
// used and stores the rest, Test Connection reports what the broker said, and the Preferences
// dialog opens it. The settings rules themselves are MqttSettings_test's.

#include <gtest/gtest.h>

#include "fakes/FakeMqttClient.h"
#include "fakes/FakeSettingsStore.h"
#include "setup/MqttSettingsDialog.h"
#include "setup/SetupRig.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

namespace quorvane {
namespace {

struct MqttDialogRig {
    MqttDialogRig() {
        Store.SaveSetting("Quorvane", kMqttSection, "Url", "mqtt://broker:1884");
        Store.SaveSetting("Quorvane", kMqttSection, "Commands", "true");
        Dialog = std::make_unique<MqttSettingsDialog>(Store, Prompts, [this] {
            auto client = std::make_unique<test::FakeMqttClient>();
            client->event(Answer, 0);
            client->Connected = false;
            return client;
        });
    }
    template <typename T>
    T* control(const char* name) {
        T* found = Dialog->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    std::string stored(const char* key) { return Store.GetSetting("Quorvane", kMqttSection, key, "(none)"); }

    test::FakeSettingsStore Store;
    test::FakePrompts Prompts;
    MqttEvent::Kind Answer = MqttEvent::Kind::Connected;
    std::unique_ptr<MqttSettingsDialog> Dialog;
};

TEST(MqttSettingsDialog, ShowsTheStoredSettingsAndStoresWhatOkFinds) {
    MqttDialogRig rig;
    EXPECT_EQ(rig.control<QLineEdit>("Url")->text(), "mqtt://broker:1884");
    EXPECT_TRUE(rig.control<QCheckBox>("Commands")->isChecked());
    rig.control<QLineEdit>("Instrument")->setText("scale 2");
    rig.control<QPushButton>("OkButton")->click();
    EXPECT_EQ(rig.Dialog->result(), QDialog::Accepted);
    EXPECT_EQ(rig.stored("Instrument"), "scale 2");
    EXPECT_EQ(rig.stored("Commands"), "true");
}

TEST(MqttSettingsDialog, OkRefusesSettingsThatCannotBeUsedAndStoresNothing) {
    MqttDialogRig rig;
    rig.control<QLineEdit>("Url")->setText("tcp://broker");
    rig.control<QPushButton>("OkButton")->click();
    ASSERT_EQ(rig.Prompts.Messages.size(), 1u);
    EXPECT_EQ(rig.Prompts.Messages[0].Title, "Invalid MQTT Settings");
    EXPECT_EQ(rig.stored("Url"), "mqtt://broker:1884");
}

TEST(MqttSettingsDialog, TestConnectionSaysWhatTheBrokerAnswered) {
    for (const auto answer : {MqttEvent::Kind::Connected, MqttEvent::Kind::ConnectFailed}) {
        MqttDialogRig rig;
        rig.Answer = answer;
        rig.control<QPushButton>("TestConnection")->click();
        ASSERT_EQ(rig.Prompts.Messages.size(), 1u);
        EXPECT_EQ(rig.Prompts.Messages[0].Text,
                  answer == MqttEvent::Kind::Connected
                      ? "The broker at mqtt://broker:1884 accepted the connection."
                      : "why");
    }
}

} // namespace
} // namespace quorvane
