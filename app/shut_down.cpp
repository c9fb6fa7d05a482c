// Closing the main window: the ordered end of the program, with a notice on screen for five
// seconds while it goes.

#include "app/application.h"
#include "app/evening_journal.h"
#include "app/handler_table.h"
#include "app/playback.h"
#include "app/show_tables.h"
#include "app/unsaved_show.h"

#include "runtime/files.h"
#include "ui/commands.h"
#include "ui/templates/window_ids.h"

#include <memory>

namespace app::handlers {
namespace {

constexpr int closingNoticeMillis = 5000;

// The style editor stores the show's slots when it goes. Closing the program while it is open
// ends it first, its chooser before it, as the operator's own close would: its edits are
// stored rather than asked about as unsaved work, and no edit is left waiting on a chooser
// whose editor is gone if the operator then keeps the program open.
void endStyleEditor(Application& app)
{
    for (const ui::WindowId open : { ids::StylePickDialog::window, ids::StyleEditorWindow::window })
        if (app.windows.isLoaded(open))
            app.windows.close(open, 0);
}

} // namespace

// The operator may keep the program open rather than lose unsaved work; otherwise the close
// never goes on: the program ends here.
HandlerResult shutDown(Application& app, HandlerArgs)
{
    using namespace ids::MainWindow;
    endStyleEditor(app);
    if (!mayEndDiscardingCurrentShow(app))
        return 0;
    ui::Commands commands(app.windows);
    endPlaybackForClosing(app);
    // From here on the end is an orderly one: the next start has nothing to carry on.
    recordEvening(app, EveningState::endedNormally);
    app.threads.deleteSection(app.globals.lightLock);
    commands.loadWindow(ids::ClosingNotice::window, true);
    commands.setTrayIcon(window, {}, {});
    // The installed program itself starts at log-in: there is no companion program here. A
    // desktop that refuses the entry costs only that start; the program ends all the same.
    if (!app.startAtLogIn.empty()) {
        (void)runtime::registerAutostart("舞厅播放器", app.startAtLogIn.front(),
            { app.startAtLogIn.begin() + 1, app.startAtLogIn.end() });
    }
    app.runtime.endProgram(0);
}

// Runs before the notice's modal loop does and has the notice closed by a timer of that loop
// five seconds later, which ends the modal load in the shutdown sequence. The loop runs
// meanwhile, so the notice paints; closed from the loop, not here, because the window system
// still raises the notice's moved and resized events after this one.
HandlerResult showClosingNotice(Application& app, HandlerArgs)
{
    using namespace ids;
    app.windows.setProperty(MainWindow::window, MainWindow::self, ui::prop::visible, false);
    app.windows.setProperty(ClosingNotice::window, ClosingNotice::self, ui::prop::visible, true);
    platform::EventLoop& loop = app.windows.loop();
    auto timer = std::make_shared<platform::TimerId>();
    *timer = loop.startTimer(closingNoticeMillis, [&app, &loop, timer] {
        loop.stopTimer(*timer);
        if (app.windows.isLoaded(ClosingNotice::window))
            app.windows.close(ClosingNotice::window, 0);
    });
    return std::nullopt;
}

} // namespace app::handlers
