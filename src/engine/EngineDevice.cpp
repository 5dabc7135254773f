#include "engine/Engine.h"

namespace quorvane {

void Engine::watchPort() {
    if (isVirtual())
        return;
    SerialPort& port = m_services.Port;
    switch (port.watchDevice()) {
    case SerialPort::DeviceChange::None:
        return;
    case SerialPort::DeviceChange::Lost:
        // The rest of the record went with the device; what comes after a reconnect starts anew.
        m_state.FieldIndex = 1;
        m_state.FieldCharCount = 0;
        m_state.RecordCharCount = 0;
        m_state.InRecord = false;
        m_state.VoidPending = false;
        clearRecordSlots();
        m_outputQueue.clear();
        m_services.View.setCaption(caption(m_state.Suspended));
        m_services.Prompts.notify("Device " + portName() + " Disconnected.\n" + port.devicePath() +
                                      " is gone; waiting for it to come back.",
                                  "Device Error", MessageIcon::Exclamation);
        return;
    case SerialPort::DeviceChange::Absent:
    case SerialPort::DeviceChange::StillAway:
        m_services.View.setCaption(caption(m_state.Suspended));
        m_services.Prompts.notify("Device " + portName() + " Not Available.\n" + port.devicePath() + ": " +
                                      port.waitReason() + "; waiting for it.",
                                  "Device Error", MessageIcon::Exclamation);
        return;
    case SerialPort::DeviceChange::Arrived:
        m_services.View.setCaption(caption(m_state.Suspended));
        m_services.Prompts.notify("Device " + portName() + " Connected.\n" + port.devicePath() +
                                      " is open; capture begins.",
                                  kProgramTitle, MessageIcon::Information);
        return;
    case SerialPort::DeviceChange::Back:
        m_services.View.setCaption(caption(m_state.Suspended));
        m_services.Prompts.notify("Device " + portName() + " Reconnected.\n" + port.devicePath() +
                                      " is open again; capture goes on.",
                                  kProgramTitle, MessageIcon::Information);
        return;
    }
}

} // namespace quorvane
