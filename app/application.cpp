#include "app/application.h"

#include "app/handler_table.h"

#include "runtime/files.h"

namespace app {

Application::Application(
    runtime::Runtime& runtime, ui::ViewFactory& views, media::MixerFactory mixers)
    : runtime(runtime)
    , programDirectory(runtime::programDirectory())
    , databaseErrors(runtime)
    , databases(databaseErrors)
    , windows(runtime, views, bindHandlers(*this))
    , threads(runtime.platform().clock())
    // The window system's system volume unit raises no events, so its changes go nowhere.
    , systemVolume(std::move(mixers), [](media::SystemVolume::Event) {})
{
}

} // namespace app
