#include "app/evening_journal.h"

#include "app/application.h"
#include "app/evening_log.h"
#include "app/evening_log_writer.h"
#include "app/scheduled_opening.h"

#include "platform/path.h"
#include "ui/templates/window_ids.h"
#include "ui/unit_properties.h"

namespace app {

std::optional<EveningRecord> openEveningLog(Application& app)
{
    const std::string path = platform::nativePath(app.programDirectory + "/" + eveningLogName);
    std::optional<EveningRecord> last = EveningLog::readLast(app.files, path);
    // A hall that may not be written keeps no log: the offer to carry on needs none.
    if (!app.hallReadOnly)
        app.eveningLog = std::make_unique<EveningLogWriter>(
            app.runtime.platform().clock(), std::make_unique<EveningLog>(app.files, path));
    return last;
}

EveningState currentEveningState(Application& app)
{
    switch (app.trackPlayer.queryPlayState()) {
    case media::PlayState::playing:
        return EveningState::playing;
    case media::PlayState::paused:
        return EveningState::paused;
    case media::PlayState::stopped:
        break;
    }
    return EveningState::stopped;
}

void recordEvening(Application& app, EveningState state)
{
    if (!app.eveningLog)
        return;
    const Globals& globals = app.globals;
    const platform::Millis now = app.runtime.platform().clock().now();
    EveningRecord record;
    record.state = state;
    record.showName = std::get<runtime::Text>(app.windows.property(
        ids::MainWindow::window, ids::MainWindow::标签场次, ui::prop::label::caption));
    record.showFingerprint = showFingerprint(globals.playQueue, globals.playQueueRecords);
    record.slotRecord = globals.playing.record;
    record.trackPath = globals.playing.path;
    record.style = globals.playing.style;
    record.positionMillis = std::max<platform::Millis>(globals.playing.position.at(now), 0);
    record.timeLimitLeftMillis = globals.styleStatus.timeLimit.leftAt(now).value_or(-1);
    record.openingPending = openingScheduled(app);
    record.openingTime = globals.opening.time;
    record.openingHour = globals.opening.hourText;
    record.openingMinute = globals.opening.minuteText;
    app.eveningLog->write(std::move(record));
    // The program ends next: the end must be on the disk before it does.
    if (state == EveningState::endedNormally)
        app.eveningLog->flush();
}

} // namespace app
