#pragma once
// File dialogs that answer from a script and remember what they were asked.

#include <deque>
#include <vector>

#include "platform/FileDialogs.h"

namespace quorvane::test {

class FakeFileDialogs final : public FileDialogs {
public:
    std::optional<std::string> openFileName(const FileDialogRequest& request) override {
        return answer(request);
    }
    std::optional<std::string> saveFileName(const FileDialogRequest& request) override {
        return answer(request);
    }

    /// nullopt entries cancel the dialog; with no answers left every dialog is cancelled.
    std::deque<std::optional<std::string>> Answers;
    std::vector<FileDialogRequest> Requests;

private:
    std::optional<std::string> answer(const FileDialogRequest& request) {
        Requests.push_back(request);
        if (Answers.empty())
            return std::nullopt;
        auto a = Answers.front();
        Answers.pop_front();
        return a;
    }
};

} // namespace quorvane::test
