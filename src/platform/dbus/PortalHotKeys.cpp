#include "platform/dbus/PortalHotKeys.h"

#include "platform/dbus/ShortcutTrigger.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusServiceWatcher>
#include <QList>
#include <QTimer>
#include <unistd.h>

namespace quorvane {

/// One shortcut as the portal takes it: (s id, a{sv} properties).
struct PortalShortcut {
    QString Id;
    QVariantMap Properties;
};

} // namespace quorvane

Q_DECLARE_METATYPE(quorvane::PortalShortcut)

namespace quorvane {

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString kRequestInterface = QStringLiteral("org.freedesktop.portal.Request");
constexpr int kProbeTimeoutMs = 1000;

} // namespace

QDBusArgument& operator<<(QDBusArgument& argument, const PortalShortcut& shortcut) {
    argument.beginStructure();
    argument << shortcut.Id << shortcut.Properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, PortalShortcut& shortcut) {
    argument.beginStructure();
    argument >> shortcut.Id >> shortcut.Properties;
    argument.endStructure();
    return argument;
}

PortalHotKeys::PortalHotKeys(QDBusConnection bus) : m_bus(std::move(bus)) {
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<QList<PortalShortcut>>();
    m_bus.connect(kService, kPath, kInterface, QStringLiteral("Activated"), this,
                  SLOT(activated(QDBusMessage)));
    m_bus.connect(kService, kPath, kInterface, QStringLiteral("ShortcutsChanged"), this,
                  SLOT(shortcutsChanged(QDBusMessage)));
    m_watcher = new QDBusServiceWatcher(kService, m_bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this, &PortalHotKeys::portalOwnerChanged);
}

PortalHotKeys::~PortalHotKeys() {
    closeSession();
}

bool PortalHotKeys::available(QDBusConnection bus) {
    QDBusMessage get = QDBusMessage::createMethodCall(
        kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << kInterface << QStringLiteral("version");
    const QDBusMessage reply = bus.call(get, QDBus::Block, kProbeTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage;
}

bool PortalHotKeys::registerKey(int id, std::uint8_t virtualKey, unsigned modifiers) {
    const std::string trigger = shortcutTrigger(virtualKey, modifiers);
    if (trigger.empty())
        return false;
    m_shortcuts[id] = {QString::fromStdString(trigger), QStringLiteral("Quorvane hot key %1").arg(id)};
    scheduleBinding();
    return true;
}

void PortalHotKeys::unregisterKey(int id) {
    if (m_shortcuts.erase(id) != 0)
        scheduleBinding();
}

// The engine registers its keys one by one; they are bound together once it is done.
void PortalHotKeys::scheduleBinding() {
    if (m_bindingScheduled)
        return;
    m_bindingScheduled = true;
    QTimer::singleShot(0, this, [this] {
        m_bindingScheduled = false;
        startSession();
    });
}

QString PortalHotKeys::nextToken() {
    return QStringLiteral("quorvane%1_%2").arg(::getpid()).arg(++m_tokens);
}

// The portal answers each call with a Response signal on a request object whose path it derives
// from our unique name and the token we chose; listening before the call cannot miss it.
QString PortalHotKeys::expectRequest(const QString& token, const char* slot) {
    if (!m_pendingRequest.isEmpty())
        m_bus.disconnect(kService, m_pendingRequest, kRequestInterface, QStringLiteral("Response"), this,
                         nullptr);
    QString sender = m_bus.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    m_pendingRequest = kPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
    m_bus.connect(kService, m_pendingRequest, kRequestInterface, QStringLiteral("Response"), this, slot);
    return m_pendingRequest;
}

void PortalHotKeys::startSession() {
    closeSession();
    m_bound = false;
    if (m_shortcuts.empty())
        return;
    const QString token = nextToken();
    expectRequest(token, SLOT(sessionCreated(uint, QVariantMap)));
    QDBusMessage create =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("CreateSession"));
    create << QVariantMap{{QStringLiteral("handle_token"), token},
                          {QStringLiteral("session_handle_token"), token}};
    m_bus.send(create);
}

void PortalHotKeys::sessionCreated(uint response, const QVariantMap& results) {
    if (response != 0)
        return;
    m_session = results.value(QStringLiteral("session_handle")).toString();
    QList<PortalShortcut> shortcuts;
    for (const auto& [id, shortcut] : m_shortcuts)
        shortcuts.append({shortcutId(id),
                          {{QStringLiteral("description"), shortcut.second},
                           {QStringLiteral("preferred_trigger"), shortcut.first}}});
    const QString token = nextToken();
    expectRequest(token, SLOT(shortcutsBound(uint, QVariantMap)));
    QDBusMessage bind =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("BindShortcuts"));
    bind << QVariant::fromValue(QDBusObjectPath(m_session)) << QVariant::fromValue(shortcuts) << QString()
         << QVariantMap{{QStringLiteral("handle_token"), token}};
    m_bus.send(bind);
}

void PortalHotKeys::shortcutsBound(uint response, const QVariantMap& results) {
    m_bound = response == 0;
    if (!m_bound)
        return;
    takeAssignments(results.value(QStringLiteral("shortcuts")), false);
    if (m_gone) {
        m_gone = false;
        notice("The desktop's GlobalShortcuts portal is back; the hot keys work again.");
    }
}

// The desktop describes each shortcut's trigger as it shows it to the user; an empty description
// means no key triggers it. After a change it lists every shortcut of the session, so one left out
// has no key either.
void PortalHotKeys::takeAssignments(const QVariant& shortcuts, bool everyShortcut) {
    if (!shortcuts.isValid())
        return;
    const QString kDescription = QStringLiteral("trigger_description");
    std::map<int, bool> hasKey;
    for (const PortalShortcut& shortcut : qdbus_cast<QList<PortalShortcut>>(shortcuts)) {
        bool ok = false;
        const int id = shortcut.Id.startsWith(QStringLiteral("hotkey-")) ? shortcut.Id.mid(7).toInt(&ok) : -1;
        if (ok && (everyShortcut || shortcut.Properties.contains(kDescription)))
            hasKey[id] = !shortcut.Properties.value(kDescription).toString().isEmpty();
    }
    for (const auto& [id, shortcut] : m_shortcuts) {
        const auto listed = hasKey.find(id);
        if (listed == hasKey.end() && !everyShortcut)
            continue;
        if (listed != hasKey.end() && listed->second) {
            m_toldUnassigned.erase(id);
            continue;
        }
        if (m_toldUnassigned.insert(id).second)
            notice("Hot key " + std::to_string(id) +
                   " has no key on this desktop; it does nothing until one is assigned to \"" +
                   shortcut.second.toStdString() + "\" in the desktop's shortcut settings.");
    }
}

void PortalHotKeys::shortcutsChanged(const QDBusMessage& signal) {
    const QList<QVariant> arguments = signal.arguments();
    if (arguments.size() < 2 || m_session.isEmpty() ||
        arguments[0].value<QDBusObjectPath>().path() != m_session)
        return;
    takeAssignments(arguments[1], true);
}

// The portal's sessions end with it. A portal that is (back) on the bus gets the hot keys anew.
void PortalHotKeys::portalOwnerChanged(const QString&, const QString& oldOwner, const QString& newOwner) {
    if (!oldOwner.isEmpty()) {
        m_session.clear();
        m_bound = false;
        m_toldUnassigned.clear();
        if (!m_shortcuts.empty() && !m_gone) {
            m_gone = true;
            notice("The desktop's GlobalShortcuts portal went away; the hot keys are off until it is back.");
        }
    }
    if (!newOwner.isEmpty() && !m_shortcuts.empty())
        scheduleBinding();
}

void PortalHotKeys::notice(const std::string& text) {
    if (m_notice)
        m_notice(text);
}

void PortalHotKeys::activated(const QDBusMessage& signal) {
    const QList<QVariant> arguments = signal.arguments();
    if (arguments.size() < 2 || !m_handler)
        return;
    const QString session = arguments[0].value<QDBusObjectPath>().path();
    const QString shortcut = arguments[1].toString();
    if (session != m_session || !shortcut.startsWith(QStringLiteral("hotkey-")))
        return;
    bool ok = false;
    const int id = shortcut.mid(7).toInt(&ok);
    if (ok && m_shortcuts.count(id) != 0)
        m_handler(id);
}

void PortalHotKeys::closeSession() {
    if (m_session.isEmpty())
        return;
    m_bus.send(QDBusMessage::createMethodCall(
        kService, m_session, QStringLiteral("org.freedesktop.portal.Session"), QStringLiteral("Close")));
    m_session.clear();
}

} // namespace quorvane
