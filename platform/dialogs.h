#pragma once
// Modal dialogs of the desktop. All texts are GBK, as everywhere in the program; the
// implementation converts at its boundary.

#include <optional>
#include <string>
#include <vector>

namespace platform {

// Button codes returned by messageBox.
enum class Button { Ok = 0, Cancel = 1, Abort = 2, Retry = 3, Ignore = 4, Yes = 5, No = 6 };

struct OpenFileRequest {
    std::string title;
    std::string filter; // "description|pattern|description|pattern…"
    int filterIndex = 0; // 0-based
    std::string initialDir;
    std::string fileName; // preselected name
    bool keepCurrentDir = false;
};

class Dialogs {
public:
    // Yes and No buttons with the question icon, task-modal.
    static constexpr unsigned yesNoQuestion = 0x4 | 0x20 | 0x2000;

    virtual ~Dialogs() = default;
    // flags are the message box flags of the program (0 OK, 1 OK/Cancel, …; modality bits).
    virtual Button messageBox(const std::string& text, const std::string& caption, unsigned flags)
        = 0;
    // A Yes/No question that answers itself with `unanswered` once `seconds` pass without the
    // operator, counting the seconds down beside the text; closing it answers No. Where a
    // desktop cannot count down, a plain Yes/No message box.
    [[nodiscard]] virtual Button countdownQuestion(
        const std::string& text, const std::string& caption, int seconds, Button unanswered)
    {
        (void)seconds;
        (void)unanswered;
        return messageBox(text, caption, yesNoQuestion);
    }
    // The chosen path, or nothing when the operator cancelled.
    [[nodiscard]] virtual std::optional<std::string> openFile(const OpenFileRequest& request) = 0;
    // Several files at once, or a whole folder: every path the operator chose, a folder as
    // itself (the caller looks inside it); none when the operator cancelled. Where a desktop
    // offers no such dialog, the one file of openFile.
    [[nodiscard]] virtual std::vector<std::string> openFiles(const OpenFileRequest& request)
    {
        std::optional<std::string> chosen = openFile(request);
        return chosen ? std::vector<std::string> { *chosen } : std::vector<std::string> {};
    }
};

} // namespace platform
