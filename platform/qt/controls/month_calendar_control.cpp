// MonthCalendar: the month of today, for looking only.

#include "platform/qt/controls/controls.h"
#include "platform/qt/fonts.h"

#include "ui/unit_properties.h"

#include <QCalendarWidget>

namespace platform::qt {

namespace {

namespace p = ui::prop::monthCalendar;

class MonthCalendarControl final : public Control {
public:
    MonthCalendarControl(const ControlContext& context, QWidget* parent)
        : Control(context, new QCalendarWidget(parent))
    {
        auto* calendar = static_cast<QCalendarWidget*>(widget());
        calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
        calendar->setLocale(QLocale(QLocale::Chinese, QLocale::China));
    }

protected:
    void applyLook(const ui::ComponentState& s) override
    {
        widget()->setFont(toQFont(s.value<ui::Font>(p::font)));
    }
};

} // namespace

std::unique_ptr<Control> makeMonthCalendar(const ControlContext& context, QWidget* parent)
{
    return std::make_unique<MonthCalendarControl>(context, parent);
}

} // namespace platform::qt
