#include "app/application.h"

#include "app/handler_table.h"

#include "runtime/files.h"

namespace app {

Application::Application(runtime::Runtime& runtime, ui::ViewFactory& views)
    : runtime(runtime)
    , programDirectory(runtime::programDirectory())
    , databaseErrors(runtime)
    , databases(databaseErrors)
    , windows(runtime, views, bindHandlers(*this))
{
}

} // namespace app
