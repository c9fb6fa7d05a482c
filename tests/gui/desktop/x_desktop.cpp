#include "x_desktop.h"

#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>

#include <chrono>
#include <iostream>
#include <stdexcept>

namespace gui::desktop {

namespace {

QProcessEnvironment environmentFor(const QString& display)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", display);
    // No desktop bus: the tray icon and the tools talk X only, never to a session outside.
    env.remove("DBUS_SESSION_BUS_ADDRESS");
    return env;
}

std::runtime_error failure(const QString& what)
{
    return std::runtime_error(what.toStdString());
}

// "Name:  value" lines of xwininfo as numbers.
int field(const QString& text, const QString& name)
{
    const QRegularExpression pattern(QRegularExpression::escape(name) + ":\\s*(-?\\d+)");
    const auto match = pattern.match(text);
    if (!match.hasMatch())
        throw failure("no " + name + " in:\n" + text);
    return match.captured(1).toInt();
}

std::vector<WindowId> windowList(const QString& text)
{
    std::vector<WindowId> windows;
    for (const QString& word : text.split(QRegularExpression("[\\s,]+"), Qt::SkipEmptyParts)) {
        bool ok = false;
        const WindowId id = word.toULong(&ok, 0);
        if (ok)
            windows.push_back(id);
    }
    return windows;
}

} // namespace

std::optional<QString> XDesktop::missingServer()
{
    if (QStandardPaths::findExecutable("Xvfb").isEmpty())
        return QString("Xvfb is not installed (scripts/install-deps installs it with the window "
                       "manager, the tray and xdotool): no real X desktop to test on");
    return std::nullopt;
}

XDesktop::XDesktop(QSize screen)
{
    for (const char* program : { "openbox", "trayer", "xdotool", "xprop", "xwininfo" })
        if (QStandardPaths::findExecutable(program).isEmpty())
            throw failure(
                QString("%1 is not installed; scripts/install-deps installs it").arg(program));
    // The server picks a display number no other server uses and writes it to its output, so
    // two desktops started at once never race for one number.
    QProcess* server = start("Xvfb",
        { "-displayfd", "1", "-screen", "0",
            QString("%1x%2x24").arg(screen.width()).arg(screen.height()), "-nolisten", "tcp" },
        Output::Read);
    QByteArray announced;
    waitFor(
        [&] {
            server->waitForReadyRead(50);
            announced += server->readAllStandardOutput();
            return announced.contains('\n') || server->state() == QProcess::NotRunning;
        },
        20'000);
    bool numbered = false;
    const int number = announced.trimmed().toInt(&numbered);
    if (!numbered || server->state() != QProcess::Running)
        throw failure("Xvfb did not start: " + QString::fromUtf8(announced));
    display_ = QString(":%1").arg(number);

    // Generous waits: a busy machine may take seconds to start each of them. Now and then
    // openbox, started on a fresh server and still running, has not claimed it after 30 s;
    // started by hand it never stuck. A stuck one is replaced, and each replacement is said.
    const auto managed = [&] {
        return tool("xprop", { "-root", "_NET_SUPPORTING_WM_CHECK" }).contains("window id");
    };
    bool taken = false;
    for (int attempt = 0; attempt < 3 && !taken; ++attempt) {
        if (attempt > 0) {
            std::cout << "openbox did not take over the display in 10 s; starting it again\n";
            processes_.back()->kill();
            processes_.back()->waitForFinished(3'000);
            processes_.pop_back();
        }
        start("openbox", { "--sm-disable" });
        taken = waitFor(managed, 10'000);
    }
    if (!taken)
        throw failure("openbox did not take over the display");
    start("trayer",
        { "--edge", "top", "--align", "right", "--widthtype", "request", "--height", "32",
            "--SetDockType", "true", "--expand", "false", "--transparent", "false" });
    if (!waitFor([&] { return !trayWindows().empty(); }, 30'000))
        throw failure("trayer did not put up its tray");
}

XDesktop::~XDesktop()
{
    // The tray and the window manager before the server they talk to.
    for (auto it = processes_.rbegin(); it != processes_.rend(); ++it) {
        (*it)->terminate();
        if (!(*it)->waitForFinished(3'000)) {
            (*it)->kill();
            (*it)->waitForFinished(3'000);
        }
    }
}

QProcess* XDesktop::start(const QString& program, const QStringList& arguments, Output output)
{
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(environmentFor(display_));
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    if (output == Output::Discard)
        process->setStandardOutputFile(QProcess::nullDevice());
    process->start(program, arguments);
    if (!process->waitForStarted(10'000))
        throw failure(program + " did not start");
    processes_.push_back(std::move(process));
    return processes_.back().get();
}

QString XDesktop::tool(const QString& program, const QStringList& arguments) const
{
    QProcess process;
    process.setProcessEnvironment(environmentFor(display_));
    process.start(program, arguments);
    if (!process.waitForFinished(15'000))
        throw failure(program + " " + arguments.join(' ') + " did not finish");
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

std::vector<WindowId> XDesktop::windowsOf(qint64 pid) const
{
    return windowList(xdotool({ "search", "--pid", QString::number(pid) }));
}

QString XDesktop::windowName(WindowId window) const
{
    return xdotool({ "getwindowname", QString::number(window) });
}

QRect XDesktop::client(WindowId window) const
{
    const QString info = tool("xwininfo", { "-id", QString::number(window) });
    return QRect(field(info, "Absolute upper-left X"), field(info, "Absolute upper-left Y"),
        field(info, "Width"), field(info, "Height"));
}

QRect XDesktop::frame(WindowId window) const
{
    const QRect inner = client(window);
    const QString extents = tool("xprop", { "-id", QString::number(window), "_NET_FRAME_EXTENTS" });
    const std::vector<WindowId> sides = windowList(extents.section('=', 1));
    if (sides.size() != 4)
        return inner;
    return inner.adjusted(-int(sides[0]), -int(sides[2]), int(sides[1]), int(sides[3]));
}

bool XDesktop::viewable(WindowId window) const
{
    return tool("xwininfo", { "-id", QString::number(window) }).contains("IsViewable")
        && !minimised(window);
}

bool XDesktop::minimised(WindowId window) const
{
    const QString state
        = tool("xprop", { "-id", QString::number(window), "WM_STATE", "_NET_WM_STATE" });
    return state.contains("Iconic") || state.contains("_NET_WM_STATE_HIDDEN");
}

bool XDesktop::onTop(WindowId window) const
{
    const std::vector<WindowId> stacking
        = windowList(tool("xprop", { "-root", "_NET_CLIENT_LIST_STACKING" }).section('#', 1));
    const std::vector<WindowId> tray = trayWindows();
    for (auto it = stacking.rbegin(); it != stacking.rend(); ++it) {
        if (std::find(tray.begin(), tray.end(), *it) != tray.end())
            continue;
        return *it == window;
    }
    return false;
}

std::vector<WindowId> XDesktop::trayWindows() const
{
    QProcess search;
    search.setProcessEnvironment(environmentFor(display_));
    search.start("xdotool", { "search", "--class", "trayer" });
    search.waitForFinished(15'000);
    return windowList(QString::fromUtf8(search.readAllStandardOutput()));
}

std::optional<QRect> XDesktop::trayIcon() const
{
    // The tray's own window spans its icons, each as high as the tray, from the right.
    std::optional<QRect> panel;
    for (WindowId window : trayWindows()) {
        const QRect r = client(window);
        if (r.top() == 0 && r.height() == 32 && (!panel || r.width() > panel->width()))
            panel = r;
    }
    if (!panel || panel->width() < 16)
        return std::nullopt;
    return QRect(
        panel->right() - panel->height() + 1, panel->top(), panel->height(), panel->height());
}

void XDesktop::click(QPoint at, int button, int count) const
{
    // Not "--sync": it waits for a motion that never comes when the pointer is there already.
    xdotool({ "mousemove", QString::number(at.x()), QString::number(at.y()) });
    QThread::msleep(50);
    xdotool(
        { "click", "--repeat", QString::number(count), "--delay", "120", QString::number(button) });
}

void XDesktop::pressKeys(const QStringList& keys) const
{
    xdotool(QStringList { "key", "--delay", "60" } + keys);
}

bool waitFor(const std::function<bool()>& done, int timeoutMs, int intervalMs)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (done())
            return true;
        if (std::chrono::steady_clock::now() >= end)
            return false;
        QThread::msleep(intervalMs);
    }
}

} // namespace gui::desktop
