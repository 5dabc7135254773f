#pragma once
// Message boxes, the one-line input prompt and the beeps of a program with windows.

#include <QPointer>

#include "platform/SoundBeep.h"
#include "platform/UserPrompts.h"

class QMessageBox;
class QWidget;

namespace quorvane {

/// QMessageBox and QInputDialog over the active window; the X bell for every beep. Needs a
/// QApplication.
class QtUserPrompts final : public UserPrompts, public SoundBeep {
public:
    MessageAnswer messageBox(std::string_view text, std::string_view title, MessageButtons buttons,
                             MessageIcon icon) override;
    std::optional<std::string> inputBox(std::string_view prompt, std::string_view title,
                                        std::string_view initial) override;
    /// One notice at a time: a newer one replaces the text of the one still open (a device that
    /// comes and goes must not leave a box for every change).
    void notify(std::string_view text, std::string_view title, MessageIcon icon) override;
    void beep() override;
    void setWaitCursor(bool on) override;
    /// The desktop has one bell: every numbered sound rings it.
    void messageBeep(std::uint32_t soundNumber) override;

private:
    bool m_waitCursor = false;
    QPointer<QMessageBox> m_notice;
};

} // namespace quorvane
