#include "app/DdeHost.h"

#include "platform/dbus/QtDdeClient.h"
#include "platform/dbus/QtDdeClipboard.h"
#include "platform/dbus/QtDdeServer.h"
#include "platform/dbus/SessionBusProbe.h"

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

class BridgeHost final : public DdeHost {
public:
    BridgeHost(DdeHostSetup setup, std::unique_ptr<DdeServer> server, std::unique_ptr<DdeClient> client)
        : m_server(std::move(server)), m_client(std::move(client)), m_clipboard(makeClipboard()),
          m_bridge(DdeBridgeParts{setup.Hoxel, setup.Config, setup.Items, *m_server, *m_client, *m_clipboard,
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

    std::unique_ptr<DdeServer> m_server;
    std::unique_ptr<DdeClient> m_client;
    std::unique_ptr<Clipboard> m_clipboard;
    DdeBridge m_bridge;
};

} // namespace

std::unique_ptr<DdeHost> StartDdeHost(DdeHostSetup setup) {
    // QtDBus is not woken where it could only find nobody: its thread would slow every write.
    if (SessionBusUnreachable())
        return std::make_unique<BridgeHost>(std::move(setup), std::make_unique<NoDdeServer>(),
                                            std::make_unique<NoDdeClient>());
    return std::make_unique<BridgeHost>(std::move(setup),
                                        std::make_unique<QtDdeServer>(QDBusConnection::sessionBus()),
                                        std::make_unique<QtDdeClient>(QDBusConnection::sessionBus()));
}

} // namespace quorvane
