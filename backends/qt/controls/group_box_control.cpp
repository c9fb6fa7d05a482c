// GroupBox: a captioned frame; the components inside it are its child widgets and are placed
// relative to its top-left corner.

#include "backends/qt/colours.h"
#include "backends/qt/controls/controls.h"
#include "backends/qt/fonts.h"
#include "backends/qt/qt_text.h"

#include "ui/unit_properties.h"

#include <QGroupBox>

namespace platform::qt {

namespace {

namespace p = ui::prop::groupBox;

Qt::Alignment alignment(std::int32_t value)
{
    return value == 1 ? Qt::AlignHCenter : value == 2 ? Qt::AlignRight : Qt::AlignLeft;
}

class GroupBoxControl final : public Control {
public:
    GroupBoxControl(const ControlContext& context, QWidget* parent)
        : Control(context, new QGroupBox(parent))
    {
    }

protected:
    void applyLook(const ui::ComponentState& s) override
    {
        auto* box = static_cast<QGroupBox*>(widget());
        box->setTitle(fromGbk(s.value<ui::Text>(p::caption)));
        box->setAlignment(alignment(s.value<std::int32_t>(p::alignment)));
        QPalette palette = box->palette();
        palette.setColor(QPalette::WindowText, toQColor(s.value<std::int32_t>(p::textColour)));
        palette.setColor(QPalette::Window, toQColor(s.value<std::int32_t>(p::backColour)));
        box->setPalette(palette);
        box->setFont(toQFont(s.value<ui::Font>(p::font)));
    }
};

} // namespace

std::unique_ptr<Control> makeGroupBox(const ControlContext& context, QWidget* parent)
{
    return std::make_unique<GroupBoxControl>(context, parent);
}

} // namespace platform::qt
