#include "app/evening_resume.h"

#include "app/application.h"
#include "app/evening_journal.h"
#include "app/playback.h"
#include "app/scheduled_opening.h"

#include "runtime/date_time.h"
#include "ui/templates/window_ids.h"
#include "ui/unit_properties.h"

#include <algorithm>

namespace app {
namespace {

constexpr char questionText[] = "检测到上次异常退出，是否从中断处继续播放？";
constexpr char questionCaption[] = "信息：";
constexpr char showChangedText[] = "上次播放的场次已被修改，不能从中断处继续播放。";
constexpr char trackMissingText[] = "上次播放的舞曲已不存在，不能从中断处继续播放。";
// As the opening check: an opening this close is due, not pending.
constexpr double openingDueSeconds = 30;

bool endedDuringPlayback(const EveningRecord& record)
{
    return record.state == EveningState::playing || record.state == EveningState::paused;
}

bool sameShow(Application& app, const EveningRecord& record)
{
    const runtime::Text shown = std::get<runtime::Text>(app.windows.property(
        ids::MainWindow::window, ids::MainWindow::标签场次, ui::prop::label::caption));
    return shown == record.showName
        && showFingerprint(app.globals.playQueue, app.globals.playQueueRecords)
        == record.showFingerprint;
}

// The queue position of the logged slot; 0 when the show no longer has it.
std::int32_t loggedPosition(Application& app, const EveningRecord& record)
{
    PlayingSlot slot;
    slot.record = record.slotRecord;
    slot.path = record.trackPath;
    return QueueView(app.globals.playQueue, app.globals.playQueueRecords).positionOf(slot);
}

// A scheduled opening that has not come yet is shown and checked for again.
void restoreOpening(Application& app, const EveningRecord& record)
{
    if (!record.openingPending)
        return;
    const double seconds = runtime::timeInterval(runtime::DateTime { record.openingTime },
        runtime::currentTime(app.runtime.platform().clock()),
        static_cast<int>(runtime::IntervalUnit::Seconds));
    if (seconds <= 0)
        return;
    OpeningSchedule& opening = app.globals.opening;
    opening.time = record.openingTime;
    opening.hourText = record.openingHour;
    opening.minuteText = record.openingMinute;
    opening.pending = seconds > openingDueSeconds;
    showScheduledOpening(app);
}

bool carryOn(Application& app, const EveningRecord& record)
{
    const std::int32_t position = loggedPosition(app, record);
    const platform::Millis from
        = std::max<platform::Millis>(record.positionMillis - resumeLeadMillis, 0);
    if (position == 0 || !playQueuePositionFrom(app, position, from)) {
        app.runtime.messageBox(trackMissingText, 0);
        return false;
    }
    // The limit cuts the track where it would have; the replayed seconds add to what was left.
    if (record.timeLimitLeftMillis >= 0)
        app.globals.styleStatus.timeLimit.carryOver(
            record.timeLimitLeftMillis + (record.positionMillis - from));
    restoreOpening(app, record);
    return true;
}

} // namespace

void offerToCarryOn(Application& app, const std::optional<EveningRecord>& last)
{
    const bool offered = last && endedDuringPlayback(*last) && app.offerResume;
    if (offered && !sameShow(app, *last)) {
        app.runtime.messageBox(showChangedText, 0);
    } else if (offered
        && app.runtime.platform().dialogs.countdownQuestion(
               questionText, questionCaption, resumeQuestionSeconds, platform::Button::Yes)
            == platform::Button::Yes
        && carryOn(app, *last)) {
        return; // the track start recorded the evening
    }
    recordEvening(app, EveningState::stopped);
}

} // namespace app
