// MonthCalendar: the month of today, for looking only. Today is the highlighted day, in the
// local time zone of the program's clock, and the highlight moves on at midnight: a dance
// hall's evening often runs past it.

#include "backends/qt/controls/controls.h"
#include "backends/qt/fonts.h"

#include "runtime/date_time.h"
#include "ui/unit_properties.h"
#include "ui/window_system.h"

#include <QCalendarWidget>
#include <QGuiApplication>
#include <QTextCharFormat>
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

// The calendar's month arrows are the style's built-in ones: asking the icon theme for them
// first reads the theme's index, about a fifth of the time the main window takes to appear.
QCalendarWidget* newCalendarWithBuiltInArrows(QWidget* parent)
{
    const bool desktopAware = QGuiApplication::desktopSettingsAware();
    QGuiApplication::setDesktopSettingsAware(false);
    auto* calendar = new QCalendarWidget(parent);
    QGuiApplication::setDesktopSettingsAware(desktopAware);
    return calendar;
}

class MonthCalendarControl final : public Control {
public:
    MonthCalendarControl(const ControlContext& context, QWidget* parent)
        : Control(context, newCalendarWithBuiltInArrows(parent))
        , clock_(context.core->runtime().platform().clock())
        , todayCheck_(new QTimer(widget()))
    {
        auto* calendar = static_cast<QCalendarWidget*>(widget());
        calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
        calendar->setLocale(QLocale(QLocale::Chinese, QLocale::China));
        showToday();
        QObject::connect(todayCheck_, &QTimer::timeout, calendar, [this] { showToday(); });
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
        widget()->setFont(toQFont(s.value<ui::Font>(p::font)));
    }

private:
    void showToday()
    {
        const QDate today = localToday(clock_);
        if (!today.isValid() || today == today_)
            return;
        auto* calendar = static_cast<QCalendarWidget*>(widget());
        QTextCharFormat bold;
        bold.setFontWeight(QFont::Bold);
        if (today_.isValid())
            calendar->setDateTextFormat(today_, {});
        calendar->setDateTextFormat(today, bold);
        calendar->setSelectedDate(today);
        calendar->setCurrentPage(today.year(), today.month());
        today_ = today;
    }

    const platform::Clock& clock_;
    QTimer* todayCheck_;
    QDate today_;
};

} // namespace

std::unique_ptr<Control> makeMonthCalendar(const ControlContext& context, QWidget* parent)
{
    return std::make_unique<MonthCalendarControl>(context, parent);
}

} // namespace platform::qt
