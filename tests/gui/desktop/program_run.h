#pragma once
// The real program on a private X desktop, from a scratch copy of its assembled directory,
// with its own lock, configuration and data folders. The run ends with the object: the
// process is killed (by its own handle) if it is still there.

#include "x_desktop.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

namespace gui::desktop {

class ProgramRun {
public:
    // prepare: what to put into the scratch program directory before the program starts.
    explicit ProgramRun(
        const XDesktop& desktop, const std::function<void(const ProgramRun&)>& prepare = {});
    ~ProgramRun();
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    qint64 pid() const { return process_.processId(); }
    QProcess& process() { return process_; }
    const QTemporaryDir& directory() const { return directory_; }

    // The first top-level window of the program whose name contains the text, mapped or
    // not; waits for it up to the timeout.
    std::optional<WindowId> window(const QString& nameContains, int timeoutMs = 10'000) const;
    // The main window once it is on the screen; throws when it does not come.
    WindowId mainWindow() const;
    // The open pop-up menu of the program, if one is up.
    std::optional<WindowId> popupMenu() const;

    // The program's standard error so far, for failure messages.
    QString errors();

private:
    const XDesktop& desktop_;
    QTemporaryDir directory_;
    QProcess process_;
    QString errors_;
};

} // namespace gui::desktop
