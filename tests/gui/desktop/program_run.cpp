#include "program_run.h"

#include <QDir>
#include <QProcessEnvironment>

#include <filesystem>
#include <stdexcept>

namespace gui::desktop {

namespace fs = std::filesystem;

ProgramRun::ProgramRun(
    const XDesktop& desktop, const std::function<void(const ProgramRun&)>& prepare)
    : desktop_(desktop)
{
    if (!directory_.isValid())
        throw std::runtime_error("no scratch directory for the program");
    const fs::path root = directory_.path().toStdString();
    const fs::path program = root / "program";
    fs::copy(DANCEHALL_DIST, program, fs::copy_options::recursive);
    // The modules the program loads on first use, where it looks for them.
    fs::create_directories(root / DANCEHALL_MODULE_DIR);
    fs::copy(DANCEHALL_MODULES, root / DANCEHALL_MODULE_DIR, fs::copy_options::recursive);
    for (const char* folder : { "runtime", "config", "data", "home" })
        fs::create_directories(root / folder);
    fs::permissions(root / "runtime", fs::perms::owner_all, fs::perm_options::replace);

    if (prepare)
        prepare(*this);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", desktop.display());
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("XDG_RUNTIME_DIR", QString::fromStdString((root / "runtime").string()));
    env.insert("XDG_CONFIG_HOME", QString::fromStdString((root / "config").string()));
    env.insert("XDG_DATA_HOME", QString::fromStdString((root / "data").string()));
    env.insert("HOME", QString::fromStdString((root / "home").string()));
    env.remove("DBUS_SESSION_BUS_ADDRESS");
    process_.setProcessEnvironment(env);
    process_.setWorkingDirectory(QString::fromStdString(program.string()));
    process_.start(QString::fromStdString((program / "dancehall").string()), {});
    if (!process_.waitForStarted(10'000))
        throw std::runtime_error("the program did not start");
}

ProgramRun::~ProgramRun()
{
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(5'000);
    }
}

std::optional<WindowId> ProgramRun::window(const QString& nameContains, int timeoutMs) const
{
    std::optional<WindowId> found;
    waitFor(
        [&] {
            for (WindowId w : desktop_.windowsOf(pid()))
                if (desktop_.windowName(w).contains(nameContains)) {
                    found = w;
                    return true;
                }
            return false;
        },
        timeoutMs);
    return found;
}

WindowId ProgramRun::mainWindow() const
{
    const auto main = window(QStringLiteral(u"舞厅专用播放器"), 20'000);
    if (!main || !waitFor([&] { return desktop_.viewable(*main); }, 10'000))
        throw std::runtime_error("the main window did not come up");
    return *main;
}

std::optional<WindowId> ProgramRun::popupMenu() const
{
    // Of the program's unmanaged windows on the screen, the tray icon is the small one.
    for (WindowId w : desktop_.windowsOf(pid())) {
        const QString info = desktop_.tool("xwininfo", { "-id", QString::number(w) });
        if (!info.contains("IsViewable") || !info.contains("Override Redirect State: yes"))
            continue;
        const QRect r = desktop_.client(w);
        if (r.width() >= 40 && r.height() >= 30)
            return w;
    }
    return std::nullopt;
}

QString ProgramRun::errors()
{
    errors_ += QString::fromUtf8(process_.readAllStandardError());
    return errors_;
}

} // namespace gui::desktop
