#include "app/application.h"

#include "app/handler_table.h"

#include "media/silent_output.h"
#include "runtime/files.h"

namespace app {
namespace {

media::PlayerServices playerServices(Application& app, platform::Clock& clock,
    media::OutputFactory outputs, platform::FileSystem& files)
{
    if (!outputs)
        outputs = [&clock] { return std::make_unique<media::SilentOutput>(clock); };
    return { clock, std::move(outputs), files,
        [&app](const std::string& nativePath) { return trackGain(app, nativePath); } };
}

} // namespace

Application::Application(runtime::Runtime& runtime, ui::ViewFactory& views,
    media::MixerFactory mixers, media::OutputFactory outputs,
    lights::LightOutputFactory lightOutputs, ui::RemoteServerFactory remoteServers)
    : runtime(runtime)
    , files(runtime.platform().files)
    , programDirectory(runtime::programDirectory())
    , lightOutputs(std::move(lightOutputs))
    , databaseErrors(runtime)
    , databases(databaseErrors, files)
    , windows(runtime, views, bindHandlers(*this))
    , threads(runtime.platform().clock())
    // The window system's system volume unit raises no events, so its changes go nowhere.
    , systemVolume(std::move(mixers), [](media::SystemVolume::Event) {})
    , instance(files)
    , trackPlayer(playerServices(*this, runtime.platform().clock(), std::move(outputs), files))
    , lightTestSteps(runtime.platform().clock())
    , durations(runtime.platform().loop, files)
    , loudness(runtime.platform().loop, files, loudnessReports(*this))
    , remoteServers(std::move(remoteServers))
{
}

Application::~Application()
{
    remoteServer.reset();
    lightTestSteps.stop(*this);
}

} // namespace app
