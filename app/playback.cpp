#include "app/playback.h"
#include "app/main_window_roles.h"

#include "app/application.h"
#include "app/evening_journal.h"
#include "app/light_program.h"
#include "app/show_views.h"
#include "app/slot_text.h"
#include "app/track_notifier.h"
#include "app/volume_and_time_limit.h"

#include "media/media_length.h"
#include "platform/path.h"
#include "runtime/files.h"
#include "ui/commands.h"
#include "ui/templates/window_ids.h"
#include "ui/unit_properties.h"

#include <algorithm>
#include <memory>
#include <optional>
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

using media::PlayState;

QueueView queueOf(const Application& app)
{
    return { app.globals.playQueue, app.globals.playQueueRecords };
}

void setTimer(Application& app, ui::ComponentId timer, std::int32_t interval)
{
    app.windows.setProperty(window, timer, ui::prop::timer::interval, interval);
}

void setCaption(Application& app, ui::ComponentId label, const Text& caption)
{
    app.windows.setProperty(window, label, ui::prop::label::caption, caption);
}

void showPauseButton(Application& app, bool shown)
{
    app.windows.setProperty(window, 暂停按钮, ui::prop::visible, shown);
    app.windows.setProperty(window, 播放按钮, ui::prop::visible, !shown);
}

std::int32_t trackItemOfRecord(std::int32_t record)
{
    return 2 * record - 1;
}

// The selected item of role::slotTree when it is a track item (the child of a slot heading).
std::optional<std::int32_t> selectedTrackItem(Application& app)
{
    const ui::Value selected
        = app.windows.property(window, role::slotTree, ui::prop::treeBox::selection);
    const std::int32_t item = std::get<std::int32_t>(selected);
    if (item < 0
        || ui::Commands(app.windows).treeDepth(window, role::slotTree, item) != trackItemDepth)
        return std::nullopt;
    return item;
}

// An operator's command or the end of the track decides where the show goes; a fade-out
// running underneath must not move it on again afterwards.
void overtakeFadeOut(Application& app)
{
    Fades& fades = app.globals.fades;
    if (fades.fadeOutRunning)
        fades.fadeOutOvertaken = true;
}

// Makes a queue position's slot the playing one: its record, path and style, its item
// selected in the tree, no progress yet.
void chooseQueuePosition(Application& app, std::int32_t position)
{
    const QueueView queue = queueOf(app);
    PlayingSlot& playing = app.globals.playing;
    playing.record = queue.recordAt(position);
    playing.path = queue.pathAt(position);
    ui::Commands commands(app.windows);
    playing.style = styleFromHeading(
        commands.treeItemText(window, role::slotTree, trackItemOfRecord(playing.record) - 1));
    app.windows.setProperty(
        window, role::slotTree, ui::prop::treeBox::selection, trackItemOfRecord(playing.record));
    playing.heldPercent = 0;
}

platform::Millis now(const Application& app)
{
    return app.runtime.platform().clock().now();
}

struct PlayableFile {
    Text path;
    platform::Millis length;
};

// The file to hand to the player: the one the search finds (its letter case may differ from
// the show's), and only when it holds audio the player can play.
std::optional<PlayableFile> playableFile(Application& app, const Text& path)
{
    std::optional<Text> found = runtime::findFile(path, app.files);
    if (!found)
        return std::nullopt;
    const std::optional<platform::Millis> length
        = media::mediaLengthMillis(platform::nativePath(*found), app.files);
    if (!length)
        return std::nullopt;
    return PlayableFile { *found, *length };
}

void endPlayer(Application& app)
{
    app.trackPlayer.stopPlaying();
    app.globals.playing.playerSerial = 0;
    app.globals.styleStatus.timeLimit.clear();
}

// A missing or unplayable file: silence, and the operator chooses between the next track
// (true) and stopping.
bool operatorGoesOnPastMissingTrack(Application& app)
{
    endPlayer(app);
    refreshPlayStatus(app);
    recordEvening(app, EveningState::stopped);
    if (app.runtime.messageBox(missingTrackText, okCancel)
        == static_cast<int>(platform::Button::Ok))
        return true;
    endPlayer(app);
    return false;
}

// The slot after the playing one becomes the playing one, wrapping after the last; false
// when the show has no other slot to go to.
bool chooseNextQueuePosition(Application& app)
{
    const QueueView queue = queueOf(app);
    if (queue.length() <= 1)
        return false;
    const std::int32_t next = queue.positionAfter(app.globals.playing);
    chooseQueuePosition(app, next == 0 ? 1 : next);
    return true;
}

// The track the show moves on to by itself when the playing one ends, opened and its start
// decoded now, so it follows without waiting for the file.
void prepareSuccessor(Application& app)
{
    const QueueView queue = queueOf(app);
    const PlayingSlot& playing = app.globals.playing;
    const std::int32_t current = queue.positionOf(playing);
    const std::int32_t next
        = app.globals.opening.pending && current != 0 ? current : queue.positionAfter(playing);
    if (next == 0)
        return;
    if (const std::optional<Text> file = runtime::findFile(queue.pathAt(next), app.files))
        app.trackPlayer.prepareNext(*file);
}

enum class Start { anew, resume };

// Where a start lands in a track of `length` ms.
platform::Millis millisInto(media::TrackStart start, platform::Millis length)
{
    const std::int64_t at = start.unit == media::TrackStart::Unit::percent
        ? length * std::clamp<std::int64_t>(start.amount, 0, 100) / 100
        : start.amount;
    return std::clamp<platform::Millis>(at, 0, length);
}

// Starts the playing slot's track at `start`: fade-in restarted from silence, the track
// played, the light program restarted for the slot's style. A file that is missing or
// cannot be played asks the operator whether to go on with the next track or to stop; going
// on loops here rather than nesting a start inside the question.
void startTrack(Application& app, media::TrackStart start = {}, Start how = Start::anew)
{
    overtakeFadeOut(app);
    setTimer(app, role::timeLimitTimer, 0);
    PlayingSlot& playing = app.globals.playing;
    std::optional<PlayableFile> file = playableFile(app, playing.path);
    while (!file) {
        if (!operatorGoesOnPastMissingTrack(app))
            return;
        if (!chooseNextQueuePosition(app))
            return;
        start = {};
        how = Start::anew;
        file = playableFile(app, playing.path);
    }
    app.globals.fades.fadeInStep = 0;
    // The new track is heard from the fade-in's first level, never at the last one's volume.
    app.systemVolume.setSystemVolume(0, 0);
    setTimer(app, role::fadeInTimer, fadeInInterval);
    playing.playerSerial = ++playing.lastSerial;
    if (how == Start::anew)
        playing.trackSerial = playing.playerSerial;
    app.trackPlayer.playMusicFileFrom(
        file->path, start, std::make_shared<TrackNotifier>(app.windows, playing.playerSerial));
    if (how == Start::anew)
        playing.position.start(millisInto(start, file->length), now(app));
    else
        playing.position.resume(now(app));
    if (app.trackPlayer.queryPlayState() == PlayState::playing)
        prepareSuccessor(app);

    TrackTimeLimit& limit = app.globals.styleStatus.timeLimit;
    if (how == Start::anew) {
        limit.clear();
    } else if (const auto left = limit.resume(now(app))) {
        setTimer(app, role::timeLimitTimer,
            static_cast<std::int32_t>(std::max<platform::Millis>(*left, 1)));
    }

    stopTrackLights(app);
    app.globals.currentStyle.set(playing.style);
    startTrackLights(app);
    refreshPlayStatus(app);
    recordEvening(app, currentEveningState(app));
}

// The end of the last track, or of a show whose playing slot has nothing after it.
void stopAtEnd(Application& app)
{
    overtakeFadeOut(app);
    setTimer(app, role::timeLimitTimer, 0);
    endPlayer(app);
    refreshPlayStatus(app);
    recordEvening(app, EveningState::stopped);
}

// Edits of the show move records; keep the record of the slot the track was found at.
void followEdits(Application& app)
{
    const QueueView queue = queueOf(app);
    if (const std::int32_t position = queue.positionOf(app.globals.playing))
        app.globals.playing.record = queue.recordAt(position);
}

} // namespace

std::int32_t currentTrackNumber(const Application& app)
{
    return queueOf(app).positionOf(app.globals.playing);
}

void goToNextTrack(Application& app)
{
    setTimer(app, role::timeLimitTimer, 0);
    if (chooseNextQueuePosition(app))
        startTrack(app);
}

void goToPreviousTrack(Application& app)
{
    setTimer(app, role::timeLimitTimer, 0);
    const std::int32_t previous = queueOf(app).positionBefore(app.globals.playing);
    if (previous < 1)
        return;
    chooseQueuePosition(app, previous);
    startTrack(app);
}

void playShow(Application& app)
{
    setTimer(app, role::timeLimitTimer, 0);
    if (app.globals.playQueue.empty())
        return;
    if (app.trackPlayer.queryPlayState() == PlayState::paused) {
        startTrack(app, media::TrackStart::percent(app.globals.playing.heldPercent), Start::resume);
    } else {
        chooseQueuePosition(app, 1);
        startTrack(app);
    }
}

void pausePlayback(Application& app)
{
    overtakeFadeOut(app);
    // The limit counts played time only: a time limit must not start the next track unasked.
    setTimer(app, role::timeLimitTimer, 0);
    app.globals.styleStatus.timeLimit.hold(now(app));
    app.globals.playing.position.hold(now(app));
    app.trackPlayer.pausePlaying();
    refreshPlayStatus(app);
    recordEvening(app, currentEveningState(app));
}

void stopPlayback(Application& app)
{
    overtakeFadeOut(app);
    // Stopped means stopped: no time limit may fade in the next track later.
    setTimer(app, role::timeLimitTimer, 0);
    app.windows.setProperty(window, 标签舞曲进度, ui::prop::transLabel::caption, Text());
    app.windows.setProperty(window, role::progressBar, ui::prop::superBar::position, 0);
    endPlayer(app);
    refreshPlayStatus(app);
    recordEvening(app, EveningState::stopped);
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
    startTrack(app);
}

bool playQueuePositionFrom(Application& app, std::int32_t position, platform::Millis fromMillis)
{
    if (position < 1 || position > queueOf(app).length())
        return false;
    const std::optional<PlayableFile> file = playableFile(app, queueOf(app).pathAt(position));
    if (!file || file->length <= 0)
        return false;
    chooseQueuePosition(app, position);
    startTrack(app, media::TrackStart::millis(fromMillis));
    return true;
}

void followProgress(Application& app, std::int32_t percent, std::int32_t serial)
{
    PlayingSlot& playing = app.globals.playing;
    if (serial == 0 || serial != playing.playerSerial)
        return;
    app.windows.setProperty(
        window, 标签舞曲进度, ui::prop::transLabel::caption, std::to_string(percent) + "%");
    app.windows.setProperty(window, role::progressBar, ui::prop::superBar::position, percent);
    followEdits(app);
    if (percent != 100) {
        playing.heldPercent = percent;
        refreshPlayStatus(app);
        applyStyleStatus(app);
        return;
    }
    setTimer(app, role::timeLimitTimer, 0);
    const QueueView queue = queueOf(app);
    const std::int32_t after = queue.positionAfter(playing);
    if (after == 0) {
        stopAtEnd(app);
        return;
    }
    overtakeFadeOut(app);
    // While a scheduled opening is still far off, the same track fills the time.
    const std::int32_t current = queue.positionOf(playing);
    chooseQueuePosition(app, app.globals.opening.pending && current != 0 ? current : after);
    startTrack(app);
}

void moveOnAfterFadeOut(Application& app)
{
    if (app.trackPlayer.queryPlayState() != PlayState::stopped
        && queueOf(app).positionAfter(app.globals.playing) == 0)
        stopPlayback(app);
    else
        goToNextTrack(app);
}

void endPlaybackForClosing(Application& app)
{
    overtakeFadeOut(app);
    for (const ui::ComponentId timer : { role::styleStatusTimer, role::timeLimitTimer,
             role::fadeInTimer, role::openingCheckTimer })
        setTimer(app, timer, 0);
    // The music goes with the process; its reports from now on are stale.
    app.globals.playing.playerSerial = 0;
}

void refreshPlayStatus(Application& app)
{
    switch (app.trackPlayer.queryPlayState()) {
    case PlayState::playing: {
        showPauseButton(app, true);
        setCaption(app, role::playStateLine, "正在播放...");
        const QueueView queue = queueOf(app);
        const std::int32_t position = queue.positionOf(app.globals.playing);
        setCaption(app, role::trackTitle,
            position == 0 ? Text()
                          : ui::Commands(app.windows)
                                .treeItemText(window, role::slotTree,
                                    trackItemOfRecord(queue.recordAt(position))));
        break;
    }
    case PlayState::paused:
        showPauseButton(app, false);
        setCaption(app, role::playStateLine, "暂停播放...");
        break;
    case PlayState::stopped:
        app.globals.playing.heldPercent = 0;
        showPauseButton(app, false);
        setCaption(app, role::playStateLine, "等待播放...");
        setCaption(app, role::trackTitle, Text());
        break;
    }
}

} // namespace app
