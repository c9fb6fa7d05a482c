#include "backends/qt/controls/controls.h"

#include <map>

namespace platform::qt {

std::unique_ptr<Control> makeControl(
    const ControlContext& context, const ui::ComponentState& state, QWidget* parent)
{
    using Maker = std::unique_ptr<Control> (*)(const ControlContext&, QWidget*);
    static const std::map<ui::UnitType, Maker> makers {
        { ui::unit::label, makeLabel },
        { ui::unit::transLabel, makeTransLabel },
        { ui::unit::groupBox, makeGroupBox },
        { ui::unit::button, makeButton },
        { ui::unit::superBtn, makeSuperButton },
        { ui::unit::editBox, makeEditBox },
        { ui::unit::comboBox, makeComboBox },
        { ui::unit::listBox, makeListBox },
        { ui::unit::listView, makeListView },
        { ui::unit::treeBox, makeTreeBox },
        { ui::unit::hyperLinker, makeHyperLinker },
        { ui::unit::monthCalendar, makeMonthCalendar },
        { ui::unit::picBox, makePictureBox },
        { ui::unit::picBtn, makePictureButton },
        { ui::unit::superBar, makeSuperBar },
    };
    auto it = makers.find(state.unit);
    if (it == makers.end())
        return nullptr;
    auto control = it->second(context, parent);
    control->render(state);
    return control;
}

} // namespace platform::qt
