#include "app/even_loudness.h"

#include "app/application.h"
#include "app/main_window_roles.h"
#include "app/show_tables.h"

#include "loudness/track_gain.h"
#include "platform/path.h"
#include "runtime/ini_file.h"
#include "ui/unit_properties.h"

#include <algorithm>
#include <charconv>

namespace app {
namespace {

constexpr char section[] = "loudness";

Text settingsPath(Application& app)
{
    return app.programDirectory + "/" + loudnessSettingsName;
}

void showLoudnessProgress(Application& app, LoudnessAnalysis::Progress progress)
{
    // A report may come back after the program has begun to close.
    if (!app.windows.isLoaded(ids::MainWindow::window))
        return;
    Text text = progress.done() ? Text()
                                : runtime::concatText("响度分析 ", std::to_string(progress.known),
                                    "/", std::to_string(progress.total));
    app.windows.setProperty(
        ids::MainWindow::window, role::loudnessProgress, ui::prop::transLabel::caption, text);
}

void reportLoudnessStoreFailure(Application& app, const std::string& why)
{
    app.runtime.messageBox(
        runtime::concatText("响度数据库出错（", why, "），本次运行音量不再均衡，播放照常进行。"),
        0);
}

} // namespace

LoudnessSettings readLoudnessSettings(Application& app)
{
    const Text file = settingsPath(app);
    LoudnessSettings settings;
    settings.enabled = runtime::readIniEntry(file, section, "enabled", "0", app.files) == "1";
    const Text target = runtime::readIniEntry(file, section, "target", "", app.files);
    int value = 0;
    auto [end, error] = std::from_chars(target.data(), target.data() + target.size(), value);
    if (error == std::errc() && end == target.data() + target.size())
        settings.targetLufs
            = std::clamp(value, int(loudness::lowestTargetLufs), int(loudness::highestTargetLufs));
    return settings;
}

bool writeLoudnessSettings(Application& app, const LoudnessSettings& settings)
{
    return runtime::writeIniSection(settingsPath(app), section,
        { { "enabled", settings.enabled ? "1" : "0" },
            { "target", std::to_string(settings.targetLufs) } },
        app.files);
}

void startEvenLoudness(Application& app)
{
    app.loudnessSettings = readLoudnessSettings(app);
    // A hall that never had the switch on gets no store, and one that may not be written
    // none to keep figures in: its tracks play as they are.
    if (app.loudnessSettings.enabled && !app.hallReadOnly)
        app.loudness.openStore(
            platform::nativePath(app.programDirectory + "/" + loudnessStoreName));
}

void applyLoudnessSettings(Application& app, const LoudnessSettings& settings)
{
    const bool switchedOn = settings.enabled && !app.loudnessSettings.enabled;
    app.loudnessSettings = settings;
    if (!settings.enabled) {
        app.loudness.cancel();
        return;
    }
    app.loudness.openStore(platform::nativePath(app.programDirectory + "/" + loudnessStoreName));
    if (switchedOn)
        measureShowLoudness(app, readCurrentShow(app));
}

float trackGain(Application& app, const std::string& nativePath)
{
    if (!app.loudnessSettings.enabled)
        return 1.0f;
    auto figures = app.loudness.figures(nativePath);
    return figures
        ? loudness::linearGain(loudness::gainDb(*figures, app.loudnessSettings.targetLufs))
        : 1.0f;
}

void measureShowLoudness(Application& app, const std::vector<Slot>& slots)
{
    if (!app.loudnessSettings.enabled) {
        app.loudness.cancel();
        return;
    }
    std::vector<std::string> paths;
    for (const Slot& slot : slots)
        if (!slot.path.empty())
            paths.push_back(platform::nativePath(slot.path));
    // Without a worker the tracks stay unmeasured and play as they are.
    (void)app.loudness.measure(paths);
}

LoudnessAnalysis::Reports loudnessReports(Application& app)
{
    return { [&app](LoudnessAnalysis::Progress progress) { showLoudnessProgress(app, progress); },
        [&app](const std::string& why) { reportLoudnessStoreFailure(app, why); } };
}

} // namespace app
