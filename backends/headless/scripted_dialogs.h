#pragma once
// Dialogs answered from a script instead of by an operator, with a transcript of every
// message box shown, so a test can both steer and check the program's questions.
// Answers are consumed in order; when none is left a message box gets its first button
// (what pressing Enter gives), a countdown question the answer of its countdown running out,
// and the open-file dialog is cancelled. A countdown takes no virtual time.

#include "platform/dialogs.h"

#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

namespace platform::headless {

struct ShownMessageBox {
    std::string text;
    std::string caption;
    unsigned flags;
    Button answer;
    int countdownSeconds = 0; // of a countdown question; 0 for a message box
    // Where on the stack the box was asked for: a real box runs an event loop of its own, so
    // a question asked from inside the handling of the last one's answer must not go deeper.
    std::uintptr_t stackAddress = 0;
};

class ScriptedDialogs final : public Dialogs {
public:
    void answerNextMessageBox(Button answer);
    // nullopt: the operator cancels.
    void answerNextOpenFile(std::optional<std::string> path);
    // The paths the several-files dialog gives next; none: the operator cancels.
    void answerNextOpenFiles(std::vector<std::string> paths);

    std::vector<ShownMessageBox> messageBoxes() const;
    std::vector<OpenFileRequest> openFileRequests() const;
    // Scripted answers that no dialog has used yet, for tests that expect them all taken.
    std::size_t unusedAnswers() const;

    Button messageBox(const std::string& text, const std::string& caption, unsigned flags) override;
    Button countdownQuestion(const std::string& text, const std::string& caption, int seconds,
        Button unanswered) override;
    std::optional<std::string> openFile(const OpenFileRequest& request) override;
    std::vector<std::string> openFiles(const OpenFileRequest& request) override;

private:
    mutable std::mutex mutex_; // a worker thread may report an error by message box
    std::deque<Button> messageBoxAnswers_;
    std::deque<std::optional<std::string>> openFileAnswers_;
    std::deque<std::vector<std::string>> openFilesAnswers_;
    std::vector<ShownMessageBox> messageBoxes_;
    std::vector<OpenFileRequest> openFileRequests_;
};

} // namespace platform::headless
