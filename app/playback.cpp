#include "app/playback.h"

#include "app/application.h"
#include "app/light_program.h"
#include "app/show_views.h"
#include "app/track_notifier.h"

#include "runtime/files.h"
#include "ui/commands.h"
#include "ui/templates/window_ids.h"
#include "ui/unit_properties.h"

#include <algorithm>
#include <memory>
#include <string>

namespace app {
namespace {

using namespace ids::MainWindow;

constexpr char missingTrackText[]
    = "本舞曲不存在！请重新添加舞曲！\r\n\r\n如您想自动换到下一曲请点（确认）键！\r\n\r\n"
      "如您想修改舞曲路径请点（取消）键！";
constexpr unsigned okCancel = 1;
constexpr std::int32_t trackItemDepth = 2;
constexpr std::int32_t fadeInInterval = 100;
// The hidden 位置钮 holds the last reported percent as its left edge, from this base.
constexpr std::int32_t progressBase = 408;

std::int32_t queueLength(const Application& app)
{
    return static_cast<std::int32_t>(app.globals.playQueue.size());
}

int playState(const Application& app)
{
    return app.trackPlayer.queryPlayState();
}

void setTimer(Application& app, ui::ComponentId timer, std::int32_t interval)
{
    app.windows.setProperty(window, timer, ui::prop::timer::interval, interval);
}

void setCaption(Application& app, ui::ComponentId label, const Text& caption)
{
    app.windows.setProperty(window, label, ui::prop::label::caption, caption);
}

void holdProgress(Application& app, std::int32_t percent)
{
    app.windows.setProperty(window, 位置钮, ui::prop::left, progressBase + percent);
}

std::int32_t heldProgress(Application& app)
{
    return std::get<std::int32_t>(app.windows.property(window, 位置钮, ui::prop::left))
        - progressBase;
}

void showPauseButton(Application& app, bool playing)
{
    app.windows.setProperty(window, 暂停按钮, ui::prop::visible, playing);
    app.windows.setProperty(window, 播放按钮, ui::prop::visible, !playing);
}

// The selected item of 树型框1 when it is a track item (the child of a slot heading).
std::optional<std::int32_t> selectedTrackItem(Application& app)
{
    const ui::Value selected = app.windows.property(window, 树型框1, ui::prop::treeBox::selection);
    const std::int32_t item = std::get<std::int32_t>(selected);
    if (item < 0 || ui::Commands(app.windows).treeDepth(window, 树型框1, item) != trackItemDepth)
        return std::nullopt;
    return item;
}

// Makes a queue position current: its path, its item selected in the tree, no progress yet.
void chooseQueuePosition(Application& app, std::int32_t position)
{
    Globals& globals = app.globals;
    globals.currentTrackNumber = position;
    globals.currentTrackPath = globals.playQueue[static_cast<std::size_t>(position - 1)];
    app.windows.setProperty(
        window, 树型框1, ui::prop::treeBox::selection, trackItemOfQueuePosition(app, position));
    holdProgress(app, 0);
}

// The queue position of the current track: currentTrackNumber while it still names that
// path, else the first position holding it (a show reloaded underneath), else 0.
std::int32_t currentQueuePosition(const Application& app)
{
    const Globals& globals = app.globals;
    const std::int32_t number = globals.currentTrackNumber;
    if (number >= 1 && number <= queueLength(app)
        && globals.playQueue[static_cast<std::size_t>(number - 1)] == globals.currentTrackPath)
        return number;
    const auto found
        = std::find(globals.playQueue.begin(), globals.playQueue.end(), globals.currentTrackPath);
    return found == globals.playQueue.end()
        ? 0
        : static_cast<std::int32_t>(found - globals.playQueue.begin()) + 1;
}

void askAboutMissingTrack(Application& app)
{
    if (app.runtime.messageBox(missingTrackText, okCancel)
        == static_cast<int>(platform::Button::Ok))
        goToNextTrack(app);
    else
        app.trackPlayer.stopPlaying();
}

} // namespace

void startTrack(Application& app, std::int32_t startPercent)
{
    Globals& globals = app.globals;
    if (!runtime::fileExists(globals.currentTrackPath)) {
        askAboutMissingTrack(app);
        return;
    }
    globals.fadeInStep = 0;
    setTimer(app, 时钟4, fadeInInterval);
    app.trackPlayer.playMusicFile(
        globals.currentTrackPath, startPercent, std::make_shared<TrackNotifier>(app.windows));
    stopTrackLights(app);
    if (selectedTrackItem(app))
        globals.currentStyle.set(styleOfSelectedTrack(app));
    startTrackLights(app);
}

void goToNextTrack(Application& app)
{
    setTimer(app, 时钟2, 0);
    const std::int32_t length = queueLength(app);
    if (length <= 1)
        return;
    // A number left beyond a shorter show that was loaded since wraps like the last one.
    const std::int32_t current = app.globals.currentTrackNumber;
    chooseQueuePosition(app, current >= length ? 1 : current + 1);
    startTrack(app, 0);
}

void goToPreviousTrack(Application& app)
{
    setTimer(app, 时钟2, 0);
    const std::int32_t current = app.globals.currentTrackNumber;
    if (current <= 1)
        return;
    const std::int32_t previous = std::min(current - 1, queueLength(app));
    if (previous < 1)
        return;
    chooseQueuePosition(app, previous);
    startTrack(app, 0);
}

void playShow(Application& app)
{
    setTimer(app, 时钟2, 0);
    if (app.globals.playQueue.empty())
        return;
    if (playState(app) == -1) {
        startTrack(app, heldProgress(app));
    } else {
        chooseQueuePosition(app, 1);
        startTrack(app, 0);
    }
    if (playState(app) == 1)
        showPauseButton(app, true);
}

void pausePlayback(Application& app)
{
    // A time limit reached during the pause would start the next track unasked.
    setTimer(app, 时钟2, 0);
    showPauseButton(app, false);
    app.trackPlayer.pausePlaying();
    refreshPlayStatus(app);
}

void stopPlayback(Application& app)
{
    // Stopped means stopped: no time limit may fade in the next track later.
    setTimer(app, 时钟2, 0);
    app.windows.setProperty(window, 标签舞曲进度, ui::prop::transLabel::caption, Text());
    app.windows.setProperty(window, 多功能条1, ui::prop::superBar::position, 0);
    app.trackPlayer.stopPlaying();
    refreshPlayStatus(app);
}

void changeToSelectedTrack(Application& app)
{
    const std::optional<std::int32_t> item = selectedTrackItem(app);
    if (!item)
        return;
    // Record k is the slot of track item 2k − 1; a slot without a track has no queue position.
    const std::int32_t position = queuePositionOfRecord(app, (*item + 1) / 2);
    if (position == 0)
        return;
    chooseQueuePosition(app, position);
    startTrack(app, 0);
    if (playState(app) == 1)
        showPauseButton(app, true);
}

void followProgress(Application& app, std::int32_t percent)
{
    app.windows.setProperty(
        window, 标签舞曲进度, ui::prop::transLabel::caption, std::to_string(percent) + "%");
    app.windows.setProperty(window, 多功能条1, ui::prop::superBar::position, percent);
    if (percent != 100) {
        holdProgress(app, percent);
        refreshPlayStatus(app);
        return;
    }
    setTimer(app, 时钟2, 0);
    Globals& globals = app.globals;
    if (globals.currentTrackNumber >= queueLength(app)) {
        app.trackPlayer.stopPlaying();
        refreshPlayStatus(app);
        return;
    }
    setTimer(app, 时钟4, 1);
    // While a scheduled opening is still far off, the same track fills the time.
    chooseQueuePosition(app,
        globals.openingPending ? std::max(globals.currentTrackNumber, 1)
                               : globals.currentTrackNumber + 1);
    startTrack(app, 0);
}

void refreshPlayStatus(Application& app)
{
    switch (playState(app)) {
    case 1: {
        showPauseButton(app, true);
        setCaption(app, 标签1, "正在播放...");
        const std::int32_t item = trackItemOfQueuePosition(app, currentQueuePosition(app));
        setCaption(app, 标签2,
            item < 0 ? Text() : ui::Commands(app.windows).treeItemText(window, 树型框1, item));
        break;
    }
    case -1:
        setCaption(app, 标签1, "暂停播放...");
        break;
    default:
        holdProgress(app, 0);
        showPauseButton(app, false);
        setCaption(app, 标签1, "等待播放...");
        setCaption(app, 标签2, Text());
        break;
    }
}

} // namespace app
