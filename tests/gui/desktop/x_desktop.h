#pragma once
// A private X desktop for driving the real program as an operator would: an X server of its
// own (Xvfb), a window manager (openbox) and a notification area (trayer), with xdotool for
// real pointer and keyboard input. Everything it starts ends with it.
// Not a screen recorder or a general X library: just what the desktop tests ask of X.

#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

namespace gui::desktop {

using WindowId = unsigned long;

class XDesktop {
public:
    // Why the desktop cannot be had on this machine, or nothing when Xvfb is installed.
    static std::optional<QString> missingServer();

    // Starts the server, the window manager and the tray; throws std::runtime_error when one
    // of them does not come up.
    explicit XDesktop(QSize screen = { 1024, 768 });
    ~XDesktop();
    XDesktop(const XDesktop&) = delete;
    XDesktop& operator=(const XDesktop&) = delete;

    // ":n", for DISPLAY.
    QString display() const { return display_; }

    // Runs an X tool on this display; its standard output, trimmed. Throws when it fails to
    // start or ends with an error.
    QString tool(const QString& program, const QStringList& arguments) const;
    QString xdotool(const QStringList& arguments) const { return tool("xdotool", arguments); }

    // Top-level client windows of the process, mapped or not, in no particular order.
    std::vector<WindowId> windowsOf(qint64 pid) const;
    QString windowName(WindowId window) const;
    // Outer rectangle of the window on the screen, frame included when it has one.
    QRect frame(WindowId window) const;
    // The client area on the screen.
    QRect client(WindowId window) const;
    // Mapped and not minimised: the operator can see it.
    bool viewable(WindowId window) const;
    bool minimised(WindowId window) const;
    // Above every other normal window in the window manager's stacking order.
    bool onTop(WindowId window) const;
    // The notification-area icon nearest the right end of the tray, on the screen.
    std::optional<QRect> trayIcon() const;
    // Windows of the tray itself, which the window manager keeps above the others.
    std::vector<WindowId> trayWindows() const;

    void click(QPoint at, int button = 1, int count = 1) const;
    void pressKeys(const QStringList& keys) const;

private:
    enum class Output { Discard, Read };
    QProcess* start(
        const QString& program, const QStringList& arguments, Output output = Output::Discard);

    QString display_;
    std::vector<std::unique_ptr<QProcess>> processes_; // server first
};

// Polls until done() or the timeout; true when done. A longer interval spares a busy machine
// the polls' own work (most of them start an X tool) where the polled program is being timed.
bool waitFor(const std::function<bool()>& done, int timeoutMs, int intervalMs = 40);

} // namespace gui::desktop
