#include "app/application.h"

#include "app/handler_table.h"

namespace app {

Application::Application(runtime::Runtime& runtime, ui::ViewFactory& views)
    : runtime(runtime)
    , windows(runtime, views, bindHandlers(*this))
{
}

} // namespace app
