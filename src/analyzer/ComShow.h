#pragma once
// The port analyzer window "ComShow": a terminal on the port with the input analysis, and, in
// Virtual Instrument Mode, the device the engine talks to. The window lays out and forwards; the
// analysis is config/InputAnalysis, the port operations serial/SerialPort.

#include <QWidget>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "config/Configuration.h"
#include "platform/UserPrompts.h"

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace quorvane {

class CharEntryBox;
class PickerHost;
class SerialPort;

/// The engine's side of the virtual device.
struct VirtualDevice {
    /// Appends text to the engine's VirtualInput.
    std::function<void(std::string_view)> Send;
    /// Unloads the runtime window, which ends the engine and then this window.
    std::function<void()> Quit;
};

/// What the window works with; every reference must outlive it.
struct ComShowParts {
    Configuration& Config;
    UserPrompts& Prompts;
    PickerHost& Pickers;
    /// The open port the window owns in analyzer use; null in Virtual Instrument Mode.
    SerialPort* Port = nullptr;
    /// Set in Virtual Instrument Mode.
    VirtualDevice Device;
};

/// The analyzer window. Controls carry their documented names as object names (`Buffer`,
/// `OutputBuffer`, `SendButton`, `Command1`, `mnuEdit` ...).
class ComShow final : public QWidget {
    Q_OBJECT
public:
    /// Characters `Buffer` keeps; beyond it the oldest whole lines go.
    static constexpr std::size_t kBufferLimit = std::size_t{1} << 20;
    /// Bytes one tick reads at most, so a flooding device cannot hold the window.
    static constexpr std::size_t kReadPerTick = std::size_t{256} << 10;
    /// Help topics of the two uses.
    static constexpr int kAnalyzerTopic = 130;
    static constexpr int kVirtualTopic = 440;

    explicit ComShow(ComShowParts parts, QWidget* parent = nullptr);
    ~ComShow() override;

    /// True when the window plays the device.
    bool isVirtual() const { return m_port == nullptr; }
    /// Starts Timer1 (analyzer use only).
    void startTimer1();
    /// One tick: Opto-RS request, break countdown, output queue, counts, then the port until empty.
    void Timer1_Timer();
    /// Appends text in display form to `Buffer` and puts the caret at its end.
    void appendReceived(std::string_view shown);
    /// The characters of `Buffer`, one byte each in display form.
    const std::string& bufferText() const { return m_text; }
    /// Text waiting to be written to the port.
    const std::string& outputQueue() const { return m_outputQueue; }

    void SendButton_Click();
    void AsciiChartButton_Click();
    void DTRButton_Click();
    void Command1_Click();
    void AnalyzeButton_Click();
    void BufferClearButton_Click();
    void QuitButton_Click();

signals:
    /// The window closed in analyzer use; the port is closed.
    void unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void becomeVirtualDevice();
    void refreshStatus();
    /// The byte of `Buffer` at a position of the box, which also holds line breaks.
    int bytePosition(int boxPosition) const;
    std::string shownByte(unsigned char byte) const;
    void dropOldestLines();
    void showEditMenu(QWidget* target, const QPoint& at);
    void copyBuffer();
    void entryKey(int key, Qt::KeyboardModifiers modifiers);

    Configuration& m_config;
    UserPrompts& m_prompts;
    PickerHost& m_pickers;
    SerialPort* m_port;
    VirtualDevice m_device;

    std::string m_text;
    std::string m_outputQueue;
    std::uint32_t m_lastModemStatus = 0;
    int m_breakTicks = 0;
    bool m_unloaded = false;
    QWidget* m_popupTarget = nullptr;

    QTimer* m_timer = nullptr;
    QLabel* m_label1 = nullptr;
    QPlainTextEdit* m_buffer = nullptr;
    QLabel* m_label2 = nullptr;
    QLabel* m_bufByteCount = nullptr;
    QGroupBox* m_frame1 = nullptr;
    QLabel* m_selByteCount = nullptr;
    QLabel* m_selStartPosition = nullptr;
    QCheckBox* m_check1 = nullptr;
    QGroupBox* m_frame2 = nullptr;
    CharEntryBox* m_outputBuffer = nullptr;
    QPushButton* m_analyze = nullptr;
    QPushButton* m_dtr = nullptr;
    QPushButton* m_break = nullptr;
    QMenu* m_edit = nullptr;
    QAction* m_cut = nullptr;
    QAction* m_copy = nullptr;
    QAction* m_paste = nullptr;
    QAction* m_ascii = nullptr;
};

} // namespace quorvane
