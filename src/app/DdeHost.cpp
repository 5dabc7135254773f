#include "app/DdeHost.h"

#include "platform/dbus/QtDdeClient.h"
#include "platform/dbus/QtDdeClipboard.h"
#include "platform/dbus/QtDdeServer.h"

#include <QDBusConnection>
#include <QGuiApplication>

#include <iostream>

namespace quorvane {

namespace {

std::unique_ptr<Clipboard> makeClipboard() {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return std::make_unique<QtDdeClipboard>();
    return std::make_unique<NoClipboard>();
}

class BusDdeHost final : public DdeHost {
public:
    explicit BusDdeHost(DdeHostSetup setup)
        : m_server(QDBusConnection::sessionBus()), m_client(QDBusConnection::sessionBus()),
          m_clipboard(makeClipboard()),
          m_bridge(DdeBridgeParts{setup.Hoxel, setup.Config, setup.Items, m_server, m_client, *m_clipboard,
                                  setup.Prompts, traceTo(setup.Trace)}) {
        m_bridge.setCommandHandler(std::move(setup.RunCommand));
    }

    EngineExtensions& extensions() override { return m_bridge; }
    DdeBridge& bridge() override { return m_bridge; }

private:
    static DdeTrace traceTo(bool on) {
        if (!on)
            return {};
        return [](std::string_view line) { std::cerr << line << std::endl; };
    }

    QtDdeServer m_server;
    QtDdeClient m_client;
    std::unique_ptr<Clipboard> m_clipboard;
    DdeBridge m_bridge;
};

} // namespace

std::unique_ptr<DdeHost> StartDdeHost(DdeHostSetup setup) {
    return std::make_unique<BusDdeHost>(std::move(setup));
}

} // namespace quorvane
