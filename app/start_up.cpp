// The main window's created event: what runs between loading the main window and the first
// thing the operator does.

#include "app/application.h"
#include "app/even_loudness.h"
#include "app/evening_journal.h"
#include "app/evening_resume.h"
#include "app/hall_repair.h"
#include "app/handler_table.h"
#include "app/last_show.h"
#include "app/light_program.h"
#include "app/main_window_roles.h"
#include "app/playback.h"
#include "app/read_only_hall.h"
#include "app/remote_settings.h"
#include "app/show_list.h"
#include "app/show_tables.h"
#include "app/show_views.h"

#include "platform/path.h"
#include "ui/commands.h"
#include "ui/templates/window_ids.h"
#include "ui/unit_properties.h"

namespace app::handlers {
namespace {

constexpr int lockFailedExitCode = 1;
constexpr char trayTip[] = "Velorn舞厅灯光控制系统";

} // namespace

HandlerResult startUp(Application& app, HandlerArgs)
{
    using namespace ids::MainWindow;
    ui::WindowSystem& windows = app.windows;
    ui::Commands commands(windows);

    switch (app.instance.take(platform::nativePath(app.programDirectory))) {
    case SingleInstance::Outcome::taken:
        break;
    case SingleInstance::Outcome::readOnly:
        app.hallReadOnly = true;
        break;
    case SingleInstance::Outcome::held:
        app.runtime.messageBox("本软件已运行！", 0);
        app.runtime.endProgram(0);
    case SingleInstance::Outcome::failed:
        app.runtime.messageBox(runtime::concatText("无法锁定数据文件夹 ", app.programDirectory,
                                   "（", app.instance.failure(), "），程序不能启动！"),
            0);
        app.runtime.endProgram(lockFailedExitCode);
    }

    // Only now, with the hall to ourselves: what a crash left is no save in progress. A hall
    // that may not be written keeps what it has; the current show stays as it is.
    if (app.hallReadOnly)
        tellHallIsReadOnly(app, app.instance.failure());
    else
        settleCrashLeftovers(app);
    const std::optional<EveningRecord> lastEvening = openEveningLog(app);
    // Before the first show is shown, which starts its tracks' measuring.
    startEvenLoudness(app);
    fillShowList(app);
    // The caption is read back: the file is named after what the label shows. A show that
    // does not load leaves the table as it was, shown below.
    if (chooseLastShow(app) && !app.hallReadOnly)
        (void)loadCheckedShow(app,
            std::get<Text>(windows.property(window, 标签场次, ui::prop::label::caption)),
            MissingShowFile::passOver);
    refreshShowView(app, repairCurrentShow(app), Measuring::afterStart);

    app.globals.lightLock = app.threads.createSection();
    startLightOutput(app);

    // The window's own icon is the program's icon.
    auto icon = std::get<ui::Bytes>(windows.property(window, self, ui::prop::window::icon));
    commands.setTrayIcon(window, icon, trayTip);

    if (app.systemVolume.openSystemVolume(media::SystemVolume::speakerLine) == 0)
        app.runtime.messageBox("系统音量打开失败!,您可能听不到声音!", 0);
    app.systemVolume.setSystemVolume(75000, 75000);
    // The desktop gets its own volume back when the program ends, not the last fade's.
    app.runtime.addEndStep([&app] { app.systemVolume.restoreStartVolume(); });

    windows.setProperty(window, self, ui::prop::visible, true);
    refreshStyleStatus(app, {});
    refreshPlayStatus(app);
    windows.setProperty(window, role::styleStatusTimer, ui::prop::timer::interval, 2000);
    commands.setZOrder(window, ui::zOrder::top);
    app.globals.volumeFactor = 1.0F;
    windows.setProperty(window, role::progressBar, ui::prop::superBar::position, 0);
    offerToCarryOn(app, lastEvening);
    applyRemoteSettings(app);
    return std::nullopt;
}

} // namespace app::handlers
