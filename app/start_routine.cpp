#include "app/start_routine.h"

#include "app/application.h"

#include "ui/templates/segment.h"
#include "ui/templates/window_ids.h"

namespace app {

int runStartRoutine(Application& app)
{
    app.windows.readTemplates(templates::segment());
    initGlobals(app.globals);
    app.runtime.setCleanup([&app] { releaseGlobals(app.globals); });
    app.windows.loadStartWindow(ids::MainWindow::window);
    app.windows.loop().run();
    return 0;
}

} // namespace app
