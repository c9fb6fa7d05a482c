// The handlers of the main window's status timer (role::styleStatusTimer), time-limit timer
// (role::timeLimitTimer) and fade-in timer (role::fadeInTimer), and the fade-out they share with
// the scheduled opening.

#include "app/volume_and_time_limit.h"
#include "app/main_window_roles.h"

#include "app/application.h"
#include "app/evening_journal.h"
#include "app/handler_table.h"
#include "app/playback.h"
#include "app/style_settings_file.h"

#include "media/media_length.h"
#include "platform/path.h"
#include "runtime/conversions.h"
#include "ui/templates/window_ids.h"
#include "ui/unit_properties.h"

#include <algorithm>
#include <limits>
#include <string>

namespace app {
namespace {

using namespace ids::MainWindow;

constexpr int fadeOutPasses = 60;
constexpr int fadeOutDecrement = 1000;
constexpr int fadeOutFloor = 2200;
constexpr int fadeInIncrement = 200;
constexpr double fadeInCeiling = 65000;
constexpr std::int32_t leastVolume = 0;
constexpr std::int32_t mostVolume = 100;
constexpr std::int64_t timeLimitFadeOutStep = 420;
constexpr std::int64_t minuteMillis = 60'000;
// A track must outlast its limit by this much to be cut; the fade starts this long before it.
constexpr std::int64_t limitMargin = 20'000;
constexpr std::int64_t fadeOutLead = 25'000;

void setTimer(Application& app, ui::ComponentId timer, std::int32_t interval)
{
    app.windows.setProperty(window, timer, ui::prop::timer::interval, interval);
}

void setCaption(Application& app, ui::ComponentId label, const Text& caption)
{
    app.windows.setProperty(window, label, ui::prop::label::caption, caption);
}

std::int32_t integerOf(const Text& text)
{
    return runtime::toInteger(runtime::Value(text));
}

platform::Millis now(Application& app)
{
    return app.runtime.platform().clock().now();
}

// Whole seconds of the track, 0 when it cannot be measured: a track of unknown length is
// never cut.
std::int64_t trackSeconds(Application& app, const Text& path)
{
    return media::mediaLengthMillis(platform::nativePath(path), app.files).value_or(0) / 1000;
}

// Arms or disarms role::timeLimitTimer for a track limited to `minutes`. Counted in 64 bits: a
// limit of many thousand minutes would overflow the interval and arm a timer that fires at once.
void armTimeLimit(Application& app, std::int32_t minutes)
{
    TrackTimeLimit& limit = app.globals.styleStatus.timeLimit;
    const std::int64_t limitMillis = minutes * minuteMillis;
    if (trackSeconds(app, app.globals.playing.path) * 1000 < limitMillis + limitMargin) {
        limit.clear();
        setTimer(app, role::timeLimitTimer, 0);
        return;
    }
    // A track carried on after a crash keeps the time it had left then.
    const std::int64_t interval
        = std::min<std::int64_t>(limit.takeCarriedOver().value_or(limitMillis - fadeOutLead),
            std::numeric_limits<std::int32_t>::max());
    limit.arm(interval, now(app));
    setTimer(app, role::timeLimitTimer, static_cast<std::int32_t>(interval));
}

} // namespace

bool fadeOutMasterVolume(Application& app, std::int64_t stepMillis)
{
    Fades& fades = app.globals.fades;
    // Two fades pulling the volume opposite ways would leave it rising through the fade-out.
    setTimer(app, role::fadeInTimer, 0);
    fades.fadeInStep = 0;
    fades.fadeOutRunning = true;
    fades.fadeOutOvertaken = false;
    for (int pass = 1; pass <= fadeOutPasses && !fades.fadeOutOvertaken; ++pass) {
        // A closed volume leaves both at 0, which ends the fade after its first pass.
        int left = 0;
        int right = 0;
        app.systemVolume.getSystemVolume(left, right);
        // The component clamps a value below 0 to silence.
        app.systemVolume.setSystemVolume(left - fadeOutDecrement, right - fadeOutDecrement);
        if (left < fadeOutFloor && right < fadeOutFloor)
            break;
        app.runtime.delay(stepMillis);
        app.runtime.processMessages();
    }
    fades.fadeOutRunning = false;
    return !fades.fadeOutOvertaken;
}

void applyStyleStatus(Application& app)
{
    Globals& globals = app.globals;
    StyleStatus& status = globals.styleStatus;
    if (app.trackPlayer.queryPlayState() != media::PlayState::playing
        || globals.playing.trackSerial == status.appliedTrackSerial)
        return;

    const Text style = globals.currentStyle.get();
    setCaption(app, 标签当前风格, style);

    // A hand-edited value outside 0…100 would aim the fade-in beyond what the mixer can reach.
    const Text volume = readStyleValue(app, style, styleKeys::volume);
    const std::int32_t percent = std::clamp(integerOf(volume), leastVolume, mostVolume);
    globals.volumeFactor = volume.empty() ? 1.0F : static_cast<float>(percent) / 100;
    setCaption(app, 标签当前音量, (volume.empty() ? Text() : std::to_string(percent)) + "%");

    const Text limit = readStyleValue(app, style, styleKeys::timeLimit);
    if (limit != styleKeys::noTimeLimit && !limit.empty()) {
        armTimeLimit(app, integerOf(limit));
        setCaption(app, 标签限时时间, limit + "分钟");
    } else {
        setCaption(app, 标签限时时间, styleKeys::noTimeLimit);
        status.timeLimit.clear();
        setTimer(app, role::timeLimitTimer, 0);
    }

    status.appliedStyle = style;
    status.appliedTrackSerial = globals.playing.trackSerial;
}

namespace handlers {

HandlerResult refreshStyleStatus(Application& app, HandlerArgs)
{
    applyStyleStatus(app);
    // The status tick is also when a playing track's position reaches the evening log.
    if (app.trackPlayer.queryPlayState() == media::PlayState::playing)
        recordEvening(app, EveningState::playing);
    return std::nullopt;
}

HandlerResult timeLimitFadeOut(Application& app, HandlerArgs)
{
    // Another style took over before the limit came; its own status refresh re-arms the timer.
    if (app.globals.styleStatus.appliedStyle != app.globals.currentStyle.get())
        return std::nullopt;
    // One cut per track: a resume after the fade was interrupted does not fade again.
    setTimer(app, role::timeLimitTimer, 0);
    app.globals.styleStatus.timeLimit.clear();
    if (fadeOutMasterVolume(app, timeLimitFadeOutStep))
        moveOnAfterFadeOut(app);
    return std::nullopt;
}

HandlerResult fadeInTick(Application& app, HandlerArgs)
{
    Fades& fades = app.globals.fades;
    const int level = fades.fadeInStep * fadeInIncrement;
    int left = 0;
    int right = 0;
    // A volume that cannot be set never passes the target: the timer would tick for ever.
    const bool set = app.systemVolume.setSystemVolume(level, level) == 1
        && app.systemVolume.getSystemVolume(left, right) == 1;
    const double target = static_cast<double>(app.globals.volumeFactor) * fadeInCeiling;
    if (!set || left > target || right > target) {
        setTimer(app, role::fadeInTimer, 0);
        fades.fadeInStep = 0;
        return std::nullopt;
    }
    ++fades.fadeInStep;
    app.runtime.processMessages();
    return std::nullopt;
}

} // namespace handlers
} // namespace app
