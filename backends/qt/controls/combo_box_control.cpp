// ComboBox: a drop-down list. The template height includes the dropped list, so the closed
// box is as high as its font needs.

#include "backends/qt/colours.h"
#include "backends/qt/controls/controls.h"
#include "backends/qt/fonts.h"
#include "backends/qt/qt_text.h"

#include "ui/unit_properties.h"

#include <QComboBox>

namespace platform::qt {

namespace {

namespace p = ui::prop::comboBox;

class ComboBoxControl final : public Control {
public:
    ComboBoxControl(const ControlContext& context, QWidget* parent)
        : Control(context, new QComboBox(parent))
    {
        auto* combo = static_cast<QComboBox*>(widget());
        // activated: the user's choice only, never the program's.
        QObject::connect(combo, &QComboBox::activated, combo, [context](int index) {
            context.input().select(context.window, context.component, index);
        });
    }

protected:
    int selectionProperty() const override { return p::selection; }

    QRect placement(const ui::Geometry& g) const override
    {
        return QRect(g.left, g.top, g.width, std::min(g.height, widget()->sizeHint().height()));
    }

    void applyLook(const ui::ComponentState& s) override
    {
        auto* combo = static_cast<QComboBox*>(widget());
        QPalette palette = combo->palette();
        palette.setColor(QPalette::Text, toQColor(s.value<std::int32_t>(p::textColour)));
        palette.setColor(QPalette::Base, toQColor(s.value<std::int32_t>(p::backColour)));
        combo->setPalette(palette);
        combo->setFont(toQFont(s.value<ui::Font>(p::font)));
        combo->setGeometry(placement(s.geometry));
    }

    void applyItems(const ui::ComponentState& s) override
    {
        auto* combo = static_cast<QComboBox*>(widget());
        combo->clear();
        for (const auto& entry : s.entries)
            combo->addItem(fromGbk(entry));
    }

    void applySelection(const ui::ComponentState& s) override
    {
        static_cast<QComboBox*>(widget())->setCurrentIndex(s.selection);
    }
};

} // namespace

std::unique_ptr<Control> makeComboBox(const ControlContext& context, QWidget* parent)
{
    return std::make_unique<ComboBoxControl>(context, parent);
}

} // namespace platform::qt
