#include "app/application.h"

#include "app/handler_table.h"

#include "media/silent_output.h"
#include "runtime/files.h"
#include "ui/templates/window_ids.h"

namespace app {
namespace {

// The mixer reports on its own thread: the component's event is raised on the interface
// thread, and only while the main window is there to take it.
std::function<void(media::SystemVolume::Event)> raiseVolumeEvent(ui::WindowSystem& windows)
{
    return [&windows](media::SystemVolume::Event event) {
        windows.loop().post([&windows, event] {
            using namespace ids::MainWindow;
            if (!windows.isLoaded(window))
                return;
            ui::EventRecord record;
            record.window = window;
            record.component = 系统音量1;
            record.event = event;
            windows.raise(record);
        });
    };
}

media::PlayerServices playerServices(platform::Clock& clock, media::OutputFactory outputs)
{
    if (!outputs)
        outputs = [&clock] { return std::make_unique<media::SilentOutput>(clock); };
    return { clock, std::move(outputs) };
}

} // namespace

Application::Application(
    runtime::Runtime& runtime, ui::ViewFactory& views, media::MixerFactory mixers,
    media::OutputFactory outputs)
    : runtime(runtime)
    , programDirectory(runtime::programDirectory())
    , databaseErrors(runtime)
    , databases(databaseErrors)
    , windows(runtime, views, bindHandlers(*this))
    , threads(runtime.platform().clock())
    , systemVolume(std::move(mixers), raiseVolumeEvent(windows))
    , trackPlayer(playerServices(runtime.platform().clock(), std::move(outputs)))
{
}

} // namespace app
