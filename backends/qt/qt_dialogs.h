#pragma once
// Message boxes and the open-file dialog as Qt dialogs. May be called from any thread: the
// dialog itself always runs on the interface thread.

#include "platform/dialogs.h"

#include <QStringList>

namespace platform::qt {

class QtDialogs final : public Dialogs {
public:
    // flags: buttons in the low four bits (0 OK, 1 OK/Cancel, 2 Abort/Retry/Ignore,
    // 3 Yes/No/Cancel, 4 Yes/No, 5 Retry/Cancel), icon 0x10…0x40, default button 0x100…0x200,
    // 0x1000 system-modal (kept above all windows). Closing the box answers Cancel where there
    // is one, OK in a lone OK box, and No in a Yes/No box: closing never confirms.
    Button messageBox(const std::string& text, const std::string& caption, unsigned flags) override;
    Button countdownQuestion(const std::string& text, const std::string& caption, int seconds,
        Button unanswered) override;
    std::optional<std::string> openFile(const OpenFileRequest& request) override;
    std::vector<std::string> openFiles(const OpenFileRequest& request) override;
};

// "description|pattern|description|pattern…" as Qt name filters; patterns separated by ';'
// become Qt's space-separated list. A trailing description without a pattern is dropped.
QStringList nameFilters(const std::string& filter);

} // namespace platform::qt
