// Button: a plain push button.

#include "backends/qt/controls/controls.h"
#include "backends/qt/fonts.h"
#include "backends/qt/qt_text.h"

#include "ui/unit_properties.h"

#include <QPushButton>

namespace platform::qt {

namespace {

namespace p = ui::prop::button;

class ButtonControl final : public Control {
public:
    ButtonControl(const ControlContext& context, QWidget* parent)
        : Control(context, new QPushButton(parent))
    {
        auto* button = static_cast<QPushButton*>(widget());
        QObject::connect(button, &QPushButton::clicked, button,
            [context] { context.input().click(context.window, context.component); });
    }

    unsigned ownEvents() const override { return ownEvent::leftButton; }

protected:
    void applyLook(const ui::ComponentState& s) override
    {
        auto* button = static_cast<QPushButton*>(widget());
        button->setText(fromGbk(s.value<ui::Text>(p::caption)));
        button->setFont(toQFont(s.value<ui::Font>(p::font)));
    }
};

} // namespace

std::unique_ptr<Control> makeButton(const ControlContext& context, QWidget* parent)
{
    return std::make_unique<ButtonControl>(context, parent);
}

} // namespace platform::qt
