#pragma once
// Message boxes, the one-line input prompt and the beep: everything the logic asks of the user.

#include <optional>
#include <string>
#include <string_view>

namespace quorvane {

/// Buttons offered by a message box.
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel, AbortRetryIgnore };

/// Icon shown by a message box.
enum class MessageIcon { None, Critical, Question, Exclamation, Information };

/// The button the user chose.
enum class MessageAnswer { Ok, Cancel, Yes, No, Retry, Abort, Ignore };

/// The title a message box gets when the caller names none.
inline constexpr std::string_view kProgramTitle = "Quorvane";

/// User-facing prompts. Texts are UTF-8: a caller converts the byte strings of the device and the
/// configuration with BytesToUtf8, while paths, which are the operating system's bytes, go in as they are.
class UserPrompts {
public:
    virtual ~UserPrompts() = default;
    /// Shows a modal message box and returns the chosen button.
    virtual MessageAnswer messageBox(std::string_view text, std::string_view title, MessageButtons buttons,
                                     MessageIcon icon) = 0;
    /// Asks for one line of text; nullopt when the user cancels.
    virtual std::optional<std::string> inputBox(std::string_view prompt, std::string_view title,
                                                std::string_view initial) = 0;
    /// The system's default beep.
    virtual void beep() = 0;
    /// Tells the user something without waiting for an answer, so whatever runs goes on running.
    virtual void notify(std::string_view text, std::string_view title, MessageIcon icon) {
        messageBox(text, title, MessageButtons::Ok, icon);
    }
    /// Shows or removes the wait cursor.
    virtual void setWaitCursor(bool /*on*/) {}
};

} // namespace quorvane
