// The main window's created event: what runs between loading the main window and the first
// thing the operator does.

#include "app/application.h"
#include "app/handler_table.h"
#include "app/last_show.h"
#include "app/show_list.h"
#include "app/show_views.h"

#include "ui/commands.h"
#include "ui/templates/window_ids.h"
#include "ui/unit_properties.h"

namespace app::handlers {
namespace {

constexpr char instanceName[] = "mqv4471206";
constexpr char trayTip[] = "Velorn舞厅灯光控制系统";
constexpr int visible = 5;

} // namespace

HandlerResult startUp(Application& app, HandlerArgs)
{
    using namespace ids::MainWindow;
    ui::WindowSystem& windows = app.windows;
    ui::Commands commands(windows);

    if (app.instance.anotherHolds(instanceName)) {
        app.runtime.messageBox("本软件已运行！", 0);
        app.runtime.endProgram(0);
    }

    fillShowList(app);
    reopenLastShow(app);
    refreshShowView(app);

    app.globals.lightLock = app.threads.createSection();

    // The window's own icon is the program's icon.
    auto icon = std::get<ui::Bytes>(windows.property(window, self, ui::prop::window::icon));
    commands.setTrayIcon(window, icon, trayTip);

    if (app.systemVolume.openSystemVolume(media::SystemVolume::speakerLine) == 0)
        app.runtime.messageBox("系统音量打开失败!,您可能听不到声音!", 0);
    app.systemVolume.setSystemVolume(75000, 75000);

    windows.setProperty(window, self, visible, true);
    refreshStyleStatus(app, {});
    windows.setProperty(window, 时钟1, ui::prop::timer::interval, 2000);
    commands.setZOrder(window, 1);
    app.globals.volumeFactor = 1.0F;
    windows.setProperty(window, 多功能条1, ui::prop::superBar::position, 0);
    return std::nullopt;
}

} // namespace app::handlers
