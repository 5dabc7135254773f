#pragma once
// Records every prompt and answers from a script.

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/UserPrompts.h"

namespace quorvane::test {

class FakePrompts final : public UserPrompts {
public:
    struct Shown {
        std::string Text;
        std::string Title;
        MessageButtons Buttons;
        MessageIcon Icon;
    };

    MessageAnswer messageBox(std::string_view text, std::string_view title, MessageButtons buttons,
                             MessageIcon icon) override {
        Messages.push_back({std::string(text), std::string(title), buttons, icon});
        if (WhileShown)
            WhileShown();
        if (!Answers.empty()) {
            MessageAnswer answer = Answers.front();
            Answers.pop_front();
            return answer;
        }
        switch (buttons) {
        case MessageButtons::Ok:
        case MessageButtons::OkCancel:
            return MessageAnswer::Ok;
        case MessageButtons::YesNo:
        case MessageButtons::YesNoCancel:
            return MessageAnswer::Yes;
        case MessageButtons::RetryCancel:
            return MessageAnswer::Retry;
        case MessageButtons::AbortRetryIgnore:
            return MessageAnswer::Abort;
        }
        return MessageAnswer::Ok;
    }

    std::optional<std::string> inputBox(std::string_view prompt, std::string_view,
                                        std::string_view) override {
        Inputs.emplace_back(prompt);
        if (InputAnswers.empty())
            return std::nullopt;
        auto answer = InputAnswers.front();
        InputAnswers.pop_front();
        return answer;
    }

    void beep() override { ++Beeps; }
    void setWaitCursor(bool on) override { WaitCursor = on; }

    std::vector<Shown> Messages;
    std::deque<MessageAnswer> Answers;
    /// Runs while a message box is up, as the events a real box's nested event loop handles.
    std::function<void()> WhileShown;
    std::vector<std::string> Inputs;
    std::deque<std::optional<std::string>> InputAnswers;
    int Beeps = 0;
    bool WaitCursor = false;
};

} // namespace quorvane::test
