// Closing the main window: the ordered end of the program, with a notice on screen for five
// seconds while it goes.

#include "app/application.h"
#include "app/handler_table.h"

#include "runtime/files.h"
#include "ui/commands.h"
#include "ui/templates/window_ids.h"

namespace app::handlers {
namespace {

constexpr int visible = 5;
constexpr int closingNoticeMillis = 5000;

} // namespace

// The close never goes on: the program ends here.
HandlerResult shutDown(Application& app, HandlerArgs)
{
    using namespace ids::MainWindow;
    ui::Commands commands(app.windows);
    app.threads.deleteSection(app.globals.lightLock);
    commands.loadWindow(ids::ClosingNotice::window, true);
    commands.setTrayIcon(window, {}, {});
    // The installed program itself starts at log-in: there is no companion program here.
    if (!app.startAtLogIn.empty()) {
        runtime::registerAutostart("舞厅播放器", app.startAtLogIn.front(),
            { app.startAtLogIn.begin() + 1, app.startAtLogIn.end() });
    }
    app.runtime.endProgram(0);
}

// Runs before the notice's modal loop does and has the notice closed as the loop's first
// work, which ends the modal load in the shutdown sequence. Closed from the loop, not here:
// the window system still raises the notice's moved and resized events after this one.
HandlerResult showClosingNotice(Application& app, HandlerArgs)
{
    using namespace ids;
    ui::Commands commands(app.windows);
    commands.closePort(MainWindow::window, MainWindow::端口1);
    app.windows.setProperty(MainWindow::window, MainWindow::self, visible, false);
    app.windows.setProperty(ClosingNotice::window, ClosingNotice::self, visible, true);
    app.runtime.delay(closingNoticeMillis);
    app.windows.loop().post([&app] {
        if (app.windows.isLoaded(ClosingNotice::window))
            app.windows.close(ClosingNotice::window, 0);
    });
    return std::nullopt;
}

} // namespace app::handlers
