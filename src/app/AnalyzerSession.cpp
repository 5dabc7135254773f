#include "app/AnalyzerSession.h"

#include "analyzer/ComShow.h"
#include "config/ConfigLimits.h"
#include "platform/posix/PosixSerialDevice.h"
#include "platform/posix/SystemClock.h"
#include "serial/PortBindings.h"
#include "serial/SerialPort.h"

namespace quorvane {

struct AnalyzerSession::Parts {
    Parts(Configuration& config, UserPrompts& prompts, SettingsStore& store, PickerHost& pickers,
          const std::string& device)
        : Config(config), Prompts(prompts), Pickers(pickers), Bindings(store),
          Serial(Device, config, prompts, Clock, Bindings) {
        if (!device.empty())
            Bindings.setOverride(PortName(config.PortIndex), device);
    }
    Configuration& Config;
    UserPrompts& Prompts;
    PickerHost& Pickers;
    PortBindings Bindings;
    PosixSerialDevice Device;
    SystemClock Clock;
    SerialPort Serial;
    std::unique_ptr<ComShow> Window;
};

AnalyzerSession::AnalyzerSession(Configuration& config, UserPrompts& prompts, SettingsStore& store,
                                 PickerHost& pickers, const std::string& device)
    : m_parts(std::make_unique<Parts>(config, prompts, store, pickers, device)) {}

AnalyzerSession::~AnalyzerSession() {
    close();
}

bool AnalyzerSession::show(const std::string& caption, std::function<void()> closed) {
    if (!m_parts->Serial.OpenPort())
        return false;
    m_parts->Window = std::make_unique<ComShow>(
        ComShowParts{m_parts->Config, m_parts->Prompts, m_parts->Pickers, &m_parts->Serial, {}});
    m_parts->Window->setWindowTitle(QString::fromStdString(caption));
    QObject::connect(m_parts->Window.get(), &ComShow::unloaded, m_parts->Window.get(), std::move(closed),
                     Qt::QueuedConnection);
    m_parts->Window->show();
    m_parts->Window->startTimer1();
    return true;
}

void AnalyzerSession::close() {
    if (m_parts->Window)
        m_parts->Window->close();
    m_parts->Serial.ClosePort();
}

ComShow* AnalyzerSession::window() const {
    return m_parts->Window.get();
}

} // namespace quorvane
