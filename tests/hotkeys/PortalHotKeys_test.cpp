// Hot keys on a Wayland desktop: the quorvane program run headless on a pseudo-terminal binds its
// hot keys through a stand-in GlobalShortcuts portal on the test's private session bus (this
// process), with triggers in the form desktops take; the portal's Activated signal makes
// the hot key's string reach the device. A hot key whose key the user takes away in the desktop is
// told once; a portal that leaves the bus and comes back gets a new session with the hot keys bound
// again. Without a portal the run says once that the hot keys are off and goes on capturing. How
// triggers are named is tested key by key here too.

#include "config/ConfigFileFormat.h"
#include "config/ConfigFiles.h"
#include "fakes/ChildProcess.h"
#include "fakes/TempDir.h"
#include "platform/HotKeys.h"
#include "platform/dbus/ShortcutTrigger.h"
#include "serial/PtyPair.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <gtest/gtest.h>
#include <map>

namespace quorvane::test {
// A shortcut as portals list them: (s id, a{sv} properties).
struct ListedShortcut {
    QString Id;
    QVariantMap Properties;
};
} // namespace quorvane::test

Q_DECLARE_METATYPE(quorvane::test::ListedShortcut)

namespace quorvane::test {
QDBusArgument& operator<<(QDBusArgument& argument, const ListedShortcut& shortcut) {
    argument.beginStructure();
    argument << shortcut.Id << shortcut.Properties;
    argument.endStructure();
    return argument;
}
const QDBusArgument& operator>>(const QDBusArgument& argument, ListedShortcut& shortcut) {
    argument.beginStructure();
    argument >> shortcut.Id >> shortcut.Properties;
    argument.endStructure();
    return argument;
}
} // namespace quorvane::test

namespace quorvane {
namespace {

const QString kPortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");

// Answers as xdg-desktop-portal does: each call returns a request object and the result comes in
// that object's Response signal.
class StandInPortal final : public QDBusVirtualObject {
public:
    explicit StandInPortal(QDBusConnection bus) : m_bus(std::move(bus)) {}

    bool handleMessage(const QDBusMessage& message, const QDBusConnection&) override {
        const QString member = message.member();
        if (member == QStringLiteral("Get")) {
            m_bus.send(message.createReply(QVariant::fromValue(QDBusVariant(1U))));
            return true;
        }
        if (member != QStringLiteral("CreateSession") && member != QStringLiteral("BindShortcuts"))
            return false;
        const QVariantMap options = qdbus_cast<QVariantMap>(message.arguments().constLast());
        QString sender = message.service().mid(1);
        sender.replace(QLatin1Char('.'), QLatin1Char('_'));
        const QString request = kPortalPath + QStringLiteral("/request/") + sender + QLatin1Char('/') +
                                options[QStringLiteral("handle_token")].toString();
        QVariantMap results;
        if (member == QStringLiteral("CreateSession")) {
            ++Sessions;
            Session = kPortalPath + QStringLiteral("/session/") + sender + QLatin1Char('/') +
                      options[QStringLiteral("session_handle_token")].toString();
            results[QStringLiteral("session_handle")] = Session;
        } else {
            const QDBusArgument shortcuts = message.arguments().at(1).value<QDBusArgument>();
            shortcuts.beginArray();
            while (!shortcuts.atEnd()) {
                QString id;
                QVariantMap properties;
                shortcuts.beginStructure();
                shortcuts >> id >> properties;
                shortcuts.endStructure();
                Triggers[id.toStdString()] =
                    properties[QStringLiteral("preferred_trigger")].toString().toStdString();
            }
            shortcuts.endArray();
        }
        m_bus.send(message.createReply(QVariant::fromValue(QDBusObjectPath(request))));
        QDBusMessage response = QDBusMessage::createSignal(
            request, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
        response << 0U << results;
        m_bus.send(response);
        return true;
    }
    QString introspect(const QString&) const override { return {}; }

    void activate(const QString& shortcut) {
        QDBusMessage activated =
            QDBusMessage::createSignal(kPortalPath, QStringLiteral("org.freedesktop.portal.GlobalShortcuts"),
                                       QStringLiteral("Activated"));
        activated << QVariant::fromValue(QDBusObjectPath(Session)) << shortcut << qulonglong{0}
                  << QVariantMap();
        m_bus.send(activated);
    }

    /// Says the user gave the session's shortcuts these triggers (an empty one: none).
    void changeTriggers(const std::map<QString, QString>& triggers) {
        QList<test::ListedShortcut> shortcuts;
        for (const auto& [id, trigger] : triggers)
            shortcuts.append({id, {{QStringLiteral("trigger_description"), trigger}}});
        QDBusMessage changed =
            QDBusMessage::createSignal(kPortalPath, QStringLiteral("org.freedesktop.portal.GlobalShortcuts"),
                                       QStringLiteral("ShortcutsChanged"));
        changed << QVariant::fromValue(QDBusObjectPath(Session)) << QVariant::fromValue(shortcuts);
        m_bus.send(changed);
    }

    QString Session;
    int Sessions = 0;
    std::map<std::string, std::string> Triggers;

private:
    QDBusConnection m_bus;
};

class PortalHotKeysHeadless : public testing::Test {
protected:
    void SetUp() override {
        if (qgetenv("DBUS_SESSION_BUS_ADDRESS").isEmpty())
            GTEST_SKIP() << "needs a private session bus (run under dbus-run-session)";
        ASSERT_TRUE(m_pty.ok());
        Configuration c;
        ResetConfiguration(c);
        c.DataBitsIndex = 3;
        c.ParityIndex = 0;
        c.OutputMode = 2;
        c.LogFileName = m_dir.file("capture.log");
        c.AckString = "ok";
        c.HotKey[3] = static_cast<std::int16_t>(3 * 256 + 0x74); // Ctrl+Shift+F5
        c.HotKeyAction[3] = 1;
        c.HotKeyString[3] = std::string("HK\0\r", 4);
        c.HotKey[7] = static_cast<std::int16_t>(4 * 256 + 'Q'); // Alt+Q
        c.HotKeyAction[7] = 5;
        m_config = m_dir.file("hotkeys.QV3");
        WriteWholeFile(m_config, EncodeConfigFile(c));
    }
    void startQuorvane() {
        std::vector<std::string> env =
            test::environmentWith("WAYLAND_DISPLAY", "quorvane-test-no-compositor");
        env.push_back("XDG_CONFIG_HOME=" + m_dir.path().string());
        m_quorvane.emplace(
            std::vector<std::string>{QUORVANE_BINARY, "--headless", m_config, "--device", m_pty.slavePath()},
            env, m_dir.file("stdout.txt"), m_dir.file("stderr.txt"));
    }
    /// Polls while the test's event loop serves the bus.
    template <typename Condition>
    bool serveUntil(Condition condition) {
        return test::waitUntil([&] {
            QCoreApplication::processEvents();
            return condition();
        });
    }
    /// Reads the pty until `text` has arrived.
    bool receive(const std::string& text) {
        std::string got;
        return serveUntil([&] {
            char buffer[256];
            const ssize_t n = ::read(m_pty.master(), buffer, sizeof buffer);
            if (n > 0)
                got.append(buffer, static_cast<std::size_t>(n));
            return got.find(text) != std::string::npos;
        });
    }
    std::string standardError() const { return ReadWholeFile(m_dir.file("stderr.txt")).value_or(""); }

    test::TempDir m_dir;
    test::PtyPair m_pty;
    std::string m_config;
    std::optional<test::ChildProcess> m_quorvane;
};

int s_argc = 1;
char s_name[] = "quorvane_portal_tests";
char* s_argv[] = {s_name, nullptr};

std::size_t occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

TEST_F(PortalHotKeysHeadless, BindsTheHotKeysAgainWhenThePortalRestartsAndAnActivationReachesTheDevice) {
    QCoreApplication app(s_argc, s_argv);
    qDBusRegisterMetaType<test::ListedShortcut>();
    qDBusRegisterMetaType<QList<test::ListedShortcut>>();
    QDBusConnection bus = QDBusConnection::sessionBus();
    StandInPortal portal(bus);
    ASSERT_TRUE(bus.registerVirtualObject(kPortalPath, &portal));
    ASSERT_TRUE(bus.registerService(kPortalService));

    startQuorvane();
    ASSERT_TRUE(serveUntil([&] { return portal.Triggers.size() == 2; })) << standardError();
    EXPECT_EQ(portal.Triggers["hotkey-3"], "CTRL+SHIFT+F5");
    EXPECT_EQ(portal.Triggers["hotkey-7"], "ALT+q");
    portal.activate(QStringLiteral("hotkey-3"));
    EXPECT_TRUE(receive(std::string("HK\0\r", 4))) << standardError();

    const std::string lost = "Hot key 7 has no key on this desktop";
    portal.changeTriggers({{QStringLiteral("hotkey-3"), QStringLiteral("Ctrl+Shift+F5")},
                           {QStringLiteral("hotkey-7"), QString()}});
    portal.changeTriggers({{QStringLiteral("hotkey-3"), QStringLiteral("Ctrl+Shift+F6")},
                           {QStringLiteral("hotkey-7"), QString()}});
    EXPECT_TRUE(serveUntil([&] { return standardError().find(lost) != std::string::npos; }))
        << standardError();

    // The portal restarts: it forgets the session, and the hot keys are bound in a new one.
    ASSERT_TRUE(bus.unregisterService(kPortalService));
    portal.Triggers.clear();
    EXPECT_TRUE(serveUntil([&] { return standardError().find("portal went away") != std::string::npos; }))
        << standardError();
    ASSERT_TRUE(bus.registerService(kPortalService));
    ASSERT_TRUE(serveUntil([&] { return standardError().find("portal is back") != std::string::npos; }))
        << standardError();
    EXPECT_EQ(portal.Sessions, 2);
    EXPECT_EQ(portal.Triggers.size(), 2u);
    portal.activate(QStringLiteral("hotkey-3"));
    EXPECT_TRUE(receive(std::string("HK\0\r", 4))) << standardError();
    EXPECT_EQ(occurrences(standardError(), lost), 1u) << standardError();
    EXPECT_EQ(occurrences(standardError(), "portal went away"), 1u) << standardError();
    bus.unregisterService(kPortalService);
    bus.unregisterObject(kPortalPath);
}

TEST_F(PortalHotKeysHeadless, WithoutAPortalSaysOnceThatTheHotKeysAreOffAndCaptures) {
    startQuorvane();
    ASSERT_TRUE(test::waitUntil([&] {
        return standardError().find("hot keys are off") != std::string::npos;
    })) << standardError();
    ASSERT_EQ(m_pty.send("s\r"), 2U);
    EXPECT_TRUE(receive("ok"));
    const std::string err = standardError();
    EXPECT_EQ(err.find("hot keys are off"), err.rfind("hot keys are off"));
    EXPECT_TRUE(m_quorvane->running());
}

TEST(ShortcutTrigger, NamesKeysAndModifiersAsThePortalsDo) {
    const struct {
        std::uint8_t VirtualKey;
        unsigned Modifiers;
        const char* Trigger;
    } cases[] = {
        {0x74, kHotKeyModControl | kHotKeyModShift, "CTRL+SHIFT+F5"},
        {'Q', kHotKeyModAlt, "ALT+q"},
        {'7', kHotKeyModControl | kHotKeyModAlt | kHotKeyModShift, "CTRL+ALT+SHIFT+7"},
        {13, 0, "Return"},
        {96, kHotKeyModShift, "SHIFT+KP_0"},
        {135, 0, "F24"},
        {186, kHotKeyModControl, "CTRL+semicolon"},
        {37, 0, "Left"},
        {0, kHotKeyModControl, ""},
        {255, 0, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(shortcutTrigger(c.VirtualKey, c.Modifiers), c.Trigger) << int(c.VirtualKey);
}

} // namespace
} // namespace quorvane
