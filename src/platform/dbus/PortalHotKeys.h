#pragma once
// Global hot keys on Wayland desktops, through the desktop's GlobalShortcuts portal.

#include "platform/HotKeys.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QString>
#include <QVariantMap>
#include <functional>
#include <map>
#include <set>
#include <string>

class QDBusServiceWatcher;

namespace quorvane {

/// Binds hot keys as shortcuts of a GlobalShortcuts session (org.freedesktop.portal.Desktop) and
/// reports their activations. The desktop, not the program, decides which keys finally trigger a
/// shortcut (it may ask the user), so registerKey accepts every key that has a name and binds the
/// set once the registrations of one moment are over; a set that changes later is bound anew in a
/// new session. A portal that leaves the bus and comes back is given a new session with the same
/// set; what the user assigns in the desktop's settings is followed (ShortcutsChanged).
class PortalHotKeys final : public QObject, public HotKeys {
    Q_OBJECT

public:
    explicit PortalHotKeys(QDBusConnection bus);
    ~PortalHotKeys() override;
    PortalHotKeys(const PortalHotKeys&) = delete;
    PortalHotKeys& operator=(const PortalHotKeys&) = delete;

    /// True when a portal on the bus offers GlobalShortcuts (asked once, for at most a second).
    static bool available(QDBusConnection bus);
    /// The shortcut identifier the portal knows hot key `id` by.
    static QString shortcutId(int id) { return QStringLiteral("hotkey-%1").arg(id); }

    bool registerKey(int id, std::uint8_t virtualKey, unsigned modifiers) override;
    void unregisterKey(int id) override;
    void setPressHandler(PressHandler handler) override { m_handler = std::move(handler); }

    /// True once the portal confirmed the current set of shortcuts.
    bool bound() const { return m_bound; }
    /// Receives what the user should know, once each time: the portal went away or came back, a
    /// hot key lost its key in the desktop's settings.
    void setNoticeHandler(std::function<void(const std::string&)> handler) { m_notice = std::move(handler); }

private slots:
    void sessionCreated(uint response, const QVariantMap& results);
    void shortcutsBound(uint response, const QVariantMap& results);
    void activated(const QDBusMessage& signal);
    void shortcutsChanged(const QDBusMessage& signal);
    void portalOwnerChanged(const QString& service, const QString& oldOwner, const QString& newOwner);

private:
    void scheduleBinding();
    void startSession();
    void closeSession();
    QString expectRequest(const QString& token, const char* slot);
    QString nextToken();
    void takeAssignments(const QVariant& shortcuts, bool everyShortcut);
    void notice(const std::string& text);

    QDBusConnection m_bus;
    std::map<int, std::pair<QString, QString>> m_shortcuts; // id -> trigger, description
    PressHandler m_handler;
    std::function<void(const std::string&)> m_notice;
    QDBusServiceWatcher* m_watcher = nullptr;
    std::set<int> m_toldUnassigned; // hot keys said to have lost their key, until they get one
    bool m_gone = false;            // the portal left the bus (said once)
    QString m_session;              // the session's object path; empty while none
    QString m_pendingRequest;       // the request whose Response is awaited
    bool m_bindingScheduled = false;
    bool m_bound = false;
    unsigned m_tokens = 0;
};

} // namespace quorvane
