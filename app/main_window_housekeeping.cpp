// The main window's small handlers: the tray icon and its menu, the show list's menu, the
// clock line and the link to the operator's manual.

#include "app/application.h"
#include "app/handler_table.h"
#include "app/main_window_roles.h"
#include "app/manual.h"

#include "runtime/conversions.h"
#include "runtime/date_time.h"
#include "runtime/files.h"
#include "ui/commands.h"
#include "ui/templates/window_ids.h"
#include "ui/unit_properties.h"

namespace app::handlers {
namespace {

using namespace ids::MainWindow;

namespace tray {
constexpr std::int32_t leftClick = 1, doubleClick = 2, rightClick = 3;
}

void setMainWindowVisible(Application& app, bool shown)
{
    app.windows.setProperty(window, self, ui::prop::visible, shown);
}

void restoreMainWindow(Application& app)
{
    app.windows.setProperty(window, self, ui::prop::window::state, ui::windowState::normal);
    setMainWindowVisible(app, true);
}

} // namespace

HandlerResult trayIconEvent(Application& app, HandlerArgs args)
{
    ui::Commands commands(app.windows);
    switch (args.empty() ? 0 : args[0]) {
    case tray::rightClick:
        commands.trayPopupMenu(window, 托盘);
        break;
    case tray::leftClick:
        restoreMainWindow(app);
        commands.setZOrder(window, ui::zOrder::top);
        app.windows.setProperty(window, self, ui::prop::window::maxButton, true);
        break;
    case tray::doubleClick:
        restoreMainWindow(app);
        break;
    default:
        commands.setZOrder(window, ui::zOrder::top);
    }
    return std::nullopt;
}

// Also out of the minimised state and to the top: chosen from the tray, 显示 must put the
// window in front of the operator whatever state it was left in.
HandlerResult showMainWindow(Application& app, HandlerArgs)
{
    restoreMainWindow(app);
    ui::Commands(app.windows).setZOrder(window, ui::zOrder::top);
    return std::nullopt;
}

HandlerResult hideMainWindow(Application& app, HandlerArgs)
{
    setMainWindowVisible(app, false);
    return std::nullopt;
}

// The menu deletes the selected show, so it is offered only while a show is selected.
HandlerResult showListMenu(Application& app, HandlerArgs)
{
    auto row = std::get<std::int32_t>(
        app.windows.property(window, role::savedShowList, ui::prop::listView::currentRow));
    if (row != -1)
        ui::Commands(app.windows).popupMenu(window, 列表组);
    return std::nullopt;
}

// The link opens the manual installed with the program: it works without a network, and the
// hall's operator reads it in Chinese. The link control hands the address to the desktop.
HandlerResult openManualLink(Application& app, HandlerArgs)
{
    app.windows.setProperty(window, role::manualLink, ui::prop::hyperLinker::address,
        manualAddress(runtime::programFileDirectory()));
    return std::nullopt;
}

HandlerResult showClock(Application& app, HandlerArgs)
{
    Text now = runtime::dateTimeText(runtime::currentTime(app.runtime.platform().clock()));
    app.windows.setProperty(window, role::clockLine, ui::prop::label::caption, now);
    return std::nullopt;
}

} // namespace app::handlers
