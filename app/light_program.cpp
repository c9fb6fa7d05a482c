#include "app/light_program.h"

#include "app/application.h"
#include "app/show_tables.h"
#include "app/style_settings_file.h"

#include "lights/light_settings.h"
#include "ui/templates/window_ids.h"
#include "ui/unit_properties.h"

#include <array>
#include <cstdint>
#include <optional>

namespace app {
namespace {

using namespace ids::MainWindow;

constexpr std::array<ui::ComponentId, channelCount> indicators { 标签4, 标签5, 标签6, 标签7, 标签8,
    标签9, 标签10, 标签11, 标签12, 标签13, 标签14, 标签15, 标签16, 标签17, 标签18, 标签19 };

constexpr std::int32_t lit = 255; // red
constexpr std::int32_t dark = 0; // black
constexpr std::int64_t stepWaitMs = 50;
constexpr std::int64_t programStartWaitMs = 5000;

void setIndicator(Application& app, int channel, std::int32_t colour)
{
    app.runtime.delay(stepWaitMs);
    app.windows.setProperty(
        window, indicators.at(channel - 1), ui::prop::label::backColour, colour);
    // After the panel, so the screen keeps its timing; the output only takes note.
    if (app.lightOutput)
        app.lightOutput->setLamp(channel, colour == lit);
}

// Leaves the section however the thread ends, so a stopped run never strands the next one.
class SectionGuard {
public:
    SectionGuard(ui::Threads& threads, std::int32_t section)
        : threads_(threads)
        , section_(section)
    {
        threads_.enterSection(section_);
    }
    ~SectionGuard() { threads_.leaveSection(section_); }
    SectionGuard(const SectionGuard&) = delete;
    SectionGuard& operator=(const SectionGuard&) = delete;

private:
    ui::Threads& threads_;
    std::int32_t section_;
};

} // namespace

void startLightOutput(Application& app)
{
    if (!app.lightOutputs)
        return;
    const lights::LightSettings settings
        = lights::readLightSettings(dataFilePath(app, lights::lightSettingsFile));
    if (!settings.enabled)
        return;
    app.lightOutput = app.lightOutputs(app.runtime.platform().clock(), settings);
    if (app.lightOutput)
        app.runtime.addEndStep([&app] { app.lightOutput->switchOff(); });
}

void lightOn(Application& app, int channel)
{
    setIndicator(app, channel, lit);
}

void lightOff(Application& app, int channel)
{
    setIndicator(app, channel, dark);
}

void stopTrackLights(Application& app)
{
    // The superseded style's states are of no use any more: left running, each quick track
    // change would add a thread waiting its 800 ms turn for the lock.
    app.threads.endThread(app.globals.styleLightThread);
    app.threads.endThread(app.globals.trackLightThread);
}

void startTrackLights(Application& app)
{
    app.threads.startThread([&app](std::int32_t) { applyStyleLights(app); }, std::nullopt,
        &app.globals.styleLightThread);
    app.threads.startThread([&app](std::int32_t) { runLightProgram(app); }, std::nullopt,
        &app.globals.trackLightThread);
}

void applyStyleLights(Application& app)
{
    SectionGuard guard(app.threads, app.globals.lightLock);
    // Ended while it waited for the lock: a newer track's run follows.
    if (app.runtime.platform().clock().stopRequested())
        return;
    const Text style = app.globals.currentStyle.get();
    std::array<std::optional<bool>, channelCount> states;
    for (int channel = 1; channel <= channelCount; ++channel)
        states[channel - 1] = channelLight(app, style, channel);
    for (int channel = 1; channel <= channelCount; ++channel) {
        if (const auto on = states[channel - 1])
            *on ? lightOn(app, channel) : lightOff(app, channel);
    }
}

void runLightProgram(Application& app)
{
    app.runtime.delay(programStartWaitMs);
    const Text style = app.globals.currentStyle.get();
    std::array<std::optional<int>, channelCount> delays;
    for (int channel = 1; channel <= channelCount; ++channel)
        delays[channel - 1] = channelDelaySeconds(app, style, channel);
    for (int channel = 1; channel <= channelCount; ++channel) {
        const auto seconds = delays[channel - 1];
        if (!seconds)
            continue;
        app.runtime.delay(std::int64_t { *seconds } * 1000);
        // A worker thread has no window messages of its own; the interface thread's queue is
        // not this thread's to dispatch, so there is no message pass here.
        lightOff(app, channel);
    }
}

} // namespace app
