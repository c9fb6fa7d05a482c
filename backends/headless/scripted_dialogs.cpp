#include "backends/headless/scripted_dialogs.h"

namespace platform::headless {

namespace {

// The first button of the button set in the low four bits of the message box flags.
Button firstButton(unsigned flags)
{
    switch (flags & 0xFu) {
    case 2: // abort, retry, ignore
        return Button::Abort;
    case 3: // yes, no, cancel
    case 4: // yes, no
        return Button::Yes;
    case 5: // retry, cancel
        return Button::Retry;
    default: // OK, or OK and cancel
        return Button::Ok;
    }
}

} // namespace

void ScriptedDialogs::answerNextMessageBox(Button answer)
{
    std::lock_guard lock(mutex_);
    messageBoxAnswers_.push_back(answer);
}

void ScriptedDialogs::answerNextOpenFile(std::optional<std::string> path)
{
    std::lock_guard lock(mutex_);
    openFileAnswers_.push_back(std::move(path));
}

void ScriptedDialogs::answerNextOpenFiles(std::vector<std::string> paths)
{
    std::lock_guard lock(mutex_);
    openFilesAnswers_.push_back(std::move(paths));
}

std::vector<ShownMessageBox> ScriptedDialogs::messageBoxes() const
{
    std::lock_guard lock(mutex_);
    return messageBoxes_;
}

std::vector<OpenFileRequest> ScriptedDialogs::openFileRequests() const
{
    std::lock_guard lock(mutex_);
    return openFileRequests_;
}

std::size_t ScriptedDialogs::unusedAnswers() const
{
    std::lock_guard lock(mutex_);
    return messageBoxAnswers_.size() + openFileAnswers_.size() + openFilesAnswers_.size();
}

Button ScriptedDialogs::messageBox(
    const std::string& text, const std::string& caption, unsigned flags)
{
    std::lock_guard lock(mutex_);
    Button answer = firstButton(flags);
    if (!messageBoxAnswers_.empty()) {
        answer = messageBoxAnswers_.front();
        messageBoxAnswers_.pop_front();
    }
    messageBoxes_.push_back({ text, caption, flags, answer, 0,
        reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0)) });
    return answer;
}

Button ScriptedDialogs::countdownQuestion(
    const std::string& text, const std::string& caption, int seconds, Button unanswered)
{
    std::lock_guard lock(mutex_);
    Button answer = unanswered;
    if (!messageBoxAnswers_.empty()) {
        answer = messageBoxAnswers_.front();
        messageBoxAnswers_.pop_front();
    }
    messageBoxes_.push_back({ text, caption, yesNoQuestion, answer, seconds });
    return answer;
}

std::optional<std::string> ScriptedDialogs::openFile(const OpenFileRequest& request)
{
    std::lock_guard lock(mutex_);
    openFileRequests_.push_back(request);
    if (openFileAnswers_.empty())
        return std::nullopt;
    std::optional<std::string> answer = std::move(openFileAnswers_.front());
    openFileAnswers_.pop_front();
    return answer;
}

std::vector<std::string> ScriptedDialogs::openFiles(const OpenFileRequest& request)
{
    std::lock_guard lock(mutex_);
    openFileRequests_.push_back(request);
    if (openFilesAnswers_.empty())
        return {};
    std::vector<std::string> answer = std::move(openFilesAnswers_.front());
    openFilesAnswers_.pop_front();
    return answer;
}

} // namespace platform::headless
