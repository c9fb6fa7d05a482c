// The scheduled opening: the operator picks a time of day in OpeningTimeDialog; the opening-check
// timer checks every 40 s and, when the time is at most 30 s away, fades the music out and moves
// the show on to its next track.

#include "app/scheduled_opening.h"

#include "app/application.h"
#include "app/handler_table.h"
#include "app/main_window_roles.h"
#include "app/playback.h"
#include "app/volume_and_time_limit.h"

#include "runtime/conversions.h"
#include "runtime/date_time.h"
#include "ui/commands.h"
#include "ui/templates/window_ids.h"
#include "ui/unit_properties.h"

#include <string>

namespace app {
namespace {

namespace MainWindow = ids::MainWindow;
namespace Dialog = ids::OpeningTimeDialog;

constexpr char tooSoonText[] = "请检查开场时间设置！不能小于或接近现行时间！";
constexpr double leastMinutesAhead = 3;
constexpr std::int32_t checkInterval = 40'000;
// The check fires once the opening is this close; with checks 40 s apart it lands between
// 30 s before and about 10 s after the chosen minute.
constexpr double dueSeconds = 30;
constexpr std::int64_t openingFadeOutStep = 500;

void setVisible(Application& app, ui::ComponentId component, bool visible)
{
    app.windows.setProperty(MainWindow::window, component, ui::prop::visible, visible);
}

void setCheckInterval(Application& app, std::int32_t interval)
{
    app.windows.setProperty(
        MainWindow::window, role::openingCheckTimer, ui::prop::timer::interval, interval);
}

// The selected entry's text, or "" when nothing is selected.
Text selectedEntry(Application& app, ui::ComponentId box)
{
    const std::int32_t index = std::get<std::int32_t>(
        app.windows.property(Dialog::window, box, ui::prop::comboBox::selection));
    return index < 0 ? Text() : ui::Commands(app.windows).comboItemText(Dialog::window, box, index);
}

runtime::DateTime now(const Application& app)
{
    return runtime::currentTime(app.runtime.platform().clock());
}

void fillNumbers(Application& app, ui::ComponentId box, int count, const char* selected)
{
    ui::Commands commands(app.windows);
    for (int n = 0; n < count; ++n)
        commands.comboAddItem(Dialog::window, box, std::to_string(n));
    commands.comboSelectText(Dialog::window, box, selected);
}

// Back to idle: the scheduling button again, no label, no checks. The time stays stored.
void returnToIdle(Application& app)
{
    setVisible(app, MainWindow::定时开场按钮1, true);
    setVisible(app, MainWindow::取消定时开场按钮, false);
    setVisible(app, MainWindow::标签定时开场, false);
    setCheckInterval(app, 0);
}

} // namespace

void showScheduledOpening(Application& app)
{
    const OpeningSchedule& opening = app.globals.opening;
    setVisible(app, MainWindow::定时开场按钮1, false);
    setVisible(app, MainWindow::取消定时开场按钮, true);
    app.windows.setProperty(MainWindow::window, MainWindow::标签定时开场, ui::prop::label::caption,
        "本场次将于" + opening.hourText + "时" + opening.minuteText + "分开始！");
    setVisible(app, MainWindow::标签定时开场, true);
    setCheckInterval(app, checkInterval);
}

bool openingScheduled(Application& app)
{
    return std::get<std::int32_t>(app.windows.property(
               MainWindow::window, role::openingCheckTimer, ui::prop::timer::interval))
        != 0;
}

namespace handlers {

HandlerResult openOpeningTimeDialog(Application& app, HandlerArgs)
{
    app.windows.loadWindow(Dialog::window, true);
    return std::nullopt;
}

HandlerResult fillOpeningTimeChoices(Application& app, HandlerArgs)
{
    fillNumbers(app, Dialog::组合框1, 24, "23");
    fillNumbers(app, Dialog::组合框2, 60, "59");
    return std::nullopt;
}

HandlerResult confirmOpening(Application& app, HandlerArgs)
{
    OpeningSchedule& opening = app.globals.opening;
    const runtime::DateTime current = now(app);
    const Text hour = selectedEntry(app, Dialog::组合框1);
    const Text minute = selectedEntry(app, Dialog::组合框2);
    // An hour or minute not chosen makes text that is no date-time: the invalid one, long past.
    const Text text
        = runtime::dateTimeText(runtime::datePart(current)) + hour + "时" + minute + "分00秒";
    opening.time = runtime::toDateTime(runtime::Value(text)).days;
    opening.hourText = hour;
    opening.minuteText = minute;

    const double minutes = runtime::timeInterval(runtime::DateTime { opening.time }, current,
        static_cast<int>(runtime::IntervalUnit::Minutes));
    if (minutes < leastMinutesAhead) {
        app.runtime.messageBox(tooSoonText, 0);
        return std::nullopt;
    }

    showScheduledOpening(app);
    app.windows.close(Dialog::window, 0);
    return std::nullopt;
}

HandlerResult closeOpeningTimeDialog(Application& app, HandlerArgs)
{
    app.windows.close(Dialog::window, 0);
    return std::nullopt;
}

HandlerResult cancelOpening(Application& app, HandlerArgs)
{
    // A cancelled opening no longer holds the show on its current track.
    app.globals.opening.pending = false;
    returnToIdle(app);
    return std::nullopt;
}

HandlerResult openingCheck(Application& app, HandlerArgs)
{
    OpeningSchedule& opening = app.globals.opening;
    const double seconds = runtime::timeInterval(runtime::DateTime { opening.time }, now(app),
        static_cast<int>(runtime::IntervalUnit::Seconds));
    if (seconds > dueSeconds) {
        opening.pending = true;
        return std::nullopt;
    }
    opening.pending = false;
    returnToIdle(app);
    // A track that ends during the fade has moved the show on already: one step, not two.
    if (fadeOutMasterVolume(app, openingFadeOutStep))
        moveOnAfterFadeOut(app);
    return std::nullopt;
}

} // namespace handlers
} // namespace app
