// TransLabel: a caption drawn straight onto whatever lies behind it.

#include "backends/qt/colours.h"
#include "backends/qt/controls/controls.h"
#include "backends/qt/controls/framed_widget.h"
#include "backends/qt/fonts.h"
#include "backends/qt/qt_text.h"

#include "ui/unit_properties.h"

#include <QLabel>

namespace platform::qt {

namespace {

namespace p = ui::prop::transLabel;

class TransLabelControl final : public Control {
public:
    TransLabelControl(const ControlContext& context, QWidget* parent)
        : Control(context, new QLabel(parent))
    {
        auto* label = static_cast<QLabel*>(widget());
        label->setAutoFillBackground(false);
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }

protected:
    void applyLook(const ui::ComponentState& s) override
    {
        auto* label = static_cast<QLabel*>(widget());
        label->setText(multiLine(fromGbk(s.value<ui::Text>(p::caption))));
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, toQColor(s.value<std::int32_t>(p::textColour)));
        label->setPalette(palette);
        label->setFont(toQFont(s.value<ui::Font>(p::font)));
    }
};

} // namespace

std::unique_ptr<Control> makeTransLabel(const ControlContext& context, QWidget* parent)
{
    return std::make_unique<TransLabelControl>(context, parent);
}

} // namespace platform::qt
