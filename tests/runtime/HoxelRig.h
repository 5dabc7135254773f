#pragma once
// The runtime window on the fake platform: the real window, engine, serial output and DDE bridge,
// with the fake port, clock, store and bus, and Qt's clipboard (offscreen, it stays in the process).

#include "engine/bus/DdeBridge.h"
#include "engine/EngineTestSupport.h"
#include "engine/output/SerialOutput.h"
#include "fakes/FakeDdeBus.h"
#include "fakes/FakeHotKeys.h"
#include "platform/dbus/QtDdeClipboard.h"
#include "runtime/Hoxel.h"

#include <QAction>
#include <QApplication>

namespace quorvane::test {

struct HoxelRig : FakePlatform {
    explicit HoxelRig(Configuration initial = engineTestConfig(),
                      ActivationKind activation = ActivationKind::Normal)
        : FakePlatform(std::move(initial)), Items(Window),
          Engine(Config, {Port, Items, Prompts, Sounds, Clock, Store, Files, &Extensions},
                 {activation, '.', FormatLocale{}}),
          Output(Engine, Config, Port, Items, Clock, &Keys),
          Bridge({Engine, Config, Items, Server, Client, Board, Prompts, {}}) {
        Extensions.add(Output);
        Extensions.add(Bridge);
        openPort(activation);
        Window.connectEngine({Engine, Output, Bridge});
        // Each step's texts at once, so a test sees them right after its tick.
        Window.setTextIntervalMs(0);
    }

    /// Form_Load, then the window shows.
    HoxelRig& load() {
        Engine.Form_Load();
        Window.present();
        QApplication::processEvents();
        return *this;
    }
    /// Bytes the device sends.
    HoxelRig& send(std::string_view bytes) {
        deviceSends(Engine, bytes);
        return *this;
    }
    /// n ticks of the window's timer, 50 ms apart on the clock.
    HoxelRig& tick(int n = 1) {
        for (int i = 0; i < n; ++i) {
            Clock.advance(50);
            Window.runTick();
        }
        return *this;
    }
    /// A control of the window by its name.
    template <typename T = QWidget>
    T* control(const QString& name) {
        return Window.findChild<T*>(name);
    }
    /// Triggers the menu entry of that name.
    HoxelRig& menu(const QString& name) {
        control<QAction>(name)->trigger();
        QApplication::processEvents();
        return *this;
    }

    Hoxel Window;
    DdeItemView Items;
    quorvane::Engine Engine;
    FakeHotKeys Keys;
    SerialOutput Output;
    FakeDdeServer Server;
    FakeDdeClient Client;
    QtDdeClipboard Board;
    DdeBridge Bridge;
};

} // namespace quorvane::test
