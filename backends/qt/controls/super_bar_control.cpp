// SuperBar: a progress bar from minimum to maximum, filled in its bar colour over its
// background; a disabled bar is drawn greyed.

#include "backends/qt/colours.h"
#include "backends/qt/controls/controls.h"

#include "ui/unit_properties.h"

#include <QPainter>

namespace platform::qt {

namespace {

namespace p = ui::prop::superBar;

class BarWidget final : public QWidget {
public:
    using QWidget::QWidget;

    std::int32_t minimum = 0, maximum = 100, position = 0;
    QColor barColour, backColour;
    QImage picture;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), backColour);
        const std::int64_t span = std::max<std::int64_t>(1, std::int64_t(maximum) - minimum);
        const int filled = int((std::int64_t(position) - minimum) * width() / span);
        const QRect done(0, 0, std::clamp(filled, 0, width()), height());
        if (picture.isNull())
            painter.fillRect(done, isEnabled() ? barColour : QColor(160, 160, 160));
        else
            painter.drawImage(done, picture, QRect(0, 0, done.width(), picture.height()));
        painter.setPen(QColor(128, 128, 128));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
};

class SuperBarControl final : public Control {
public:
    SuperBarControl(const ControlContext& context, QWidget* parent)
        : Control(context, new BarWidget(parent))
    {
    }

protected:
    void applyLook(const ui::ComponentState& s) override
    {
        auto* bar = static_cast<BarWidget*>(widget());
        bar->minimum = s.value<std::int32_t>(p::minimum);
        bar->maximum = s.value<std::int32_t>(p::maximum);
        bar->position = s.value<std::int32_t>(p::position);
        bar->barColour = toQColor(s.value<std::int32_t>(p::barColour));
        bar->backColour = toQColor(s.value<std::int32_t>(p::backColour));
        bar->picture = context_.pictures->decode(s.value<ui::Bytes>(p::picture));
        bar->update();
    }
};

} // namespace

std::unique_ptr<Control> makeSuperBar(const ControlContext& context, QWidget* parent)
{
    return std::make_unique<SuperBarControl>(context, parent);
}

} // namespace platform::qt
