// MonthCalendar: the month of today, for looking only. Today is the highlighted day, in the
// local time zone of the program's clock, and the highlight moves on at midnight: a dance
// hall's evening often runs past it.

#include "backends/qt/controls/controls.h"
#include "backends/qt/fonts.h"
#include "backends/qt/month_view.h"

#include "runtime/date_time.h"
#include "ui/unit_properties.h"
#include "ui/window_system.h"

#include <QTimer>

namespace platform::qt {

namespace {

namespace p = ui::prop::monthCalendar;

// Often enough that the day turns within a second of midnight, or of a change of the
// clock or the time zone.
constexpr int todayCheckMs = 1000;

QDate localToday(const platform::Clock& clock)
{
    const runtime::CivilTime now = runtime::civilTime(runtime::currentTime(clock));
    return QDate(now.year, now.month, now.day);
}

const platform::Clock& clockOf(const ControlContext& context)
{
    return context.core->runtime().platform().clock();
}

class MonthCalendarControl final : public Control {
public:
    MonthCalendarControl(const ControlContext& context, QWidget* parent)
        : Control(context, new MonthView(localToday(clockOf(context)), parent))
        , clock_(clockOf(context))
        , todayCheck_(new QTimer(widget()))
    {
        QObject::connect(todayCheck_, &QTimer::timeout, widget(),
            [this] { view().setToday(localToday(clock_)); });
        todayCheck_->start(todayCheckMs);
    }

    ~MonthCalendarControl() override
    {
        // The widget outlives this control until the loop deletes it.
        todayCheck_->stop();
    }

protected:
    void applyLook(const ui::ComponentState& s) override
    {
        view().setFont(toQFont(s.value<ui::Font>(p::font)));
        view().setBorderStyle(s.value<std::int32_t>(p::borderStyle));
    }

private:
    MonthView& view() const { return static_cast<MonthView&>(*widget()); }

    const platform::Clock& clock_;
    QTimer* todayCheck_;
};

} // namespace

std::unique_ptr<Control> makeMonthCalendar(const ControlContext& context, QWidget* parent)
{
    return std::make_unique<MonthCalendarControl>(context, parent);
}

} // namespace platform::qt
