#include "ui/input.h"

#include "ui/item_models.h"
#include "ui/unit_properties.h"

#include <algorithm>

namespace ui {

void Input::raise(WindowId w, ComponentId c, int event, std::vector<std::int32_t> args)
{
    EventRecord record { w, c, event, std::move(args) };
    core_.raise(record);
}

UnitType Input::unitOf(WindowId w, ComponentId c) const
{
    auto state = core_.component(w, c);
    return state ? state->unit : 0;
}

void Input::mouse(WindowId w, ComponentId c, int event, Point at, std::int32_t keyState)
{
    if (admits(w, c))
        raise(w, c, event, { at.x, at.y, keyState });
}

void Input::click(WindowId w, ComponentId c, Point at)
{
    if (!admits(w, c))
        return;
    raise(w, c, commonEvent::leftDown, { at.x, at.y, 0 });
    raise(w, c, commonEvent::leftUp, { at.x, at.y, 0 });
    UnitType unit = unitOf(w, c);
    // A handler of the release may have disabled or closed the button.
    if ((unit == unit::button || unit == unit::superBtn) && admits(w, c))
        raise(w, c, 0);
}

void Input::doubleClick(WindowId w, ComponentId c, Point at)
{
    if (!admits(w, c))
        return;
    raise(w, c, commonEvent::doubleClick, { at.x, at.y, 0 });
    UnitType unit = unitOf(w, c);
    if ((unit == unit::listBox || unit == unit::treeBox) && admits(w, c))
        raise(w, c, 1);
}

void Input::rightClick(WindowId w, ComponentId c, Point at)
{
    if (!admits(w, c))
        return;
    raise(w, c, commonEvent::rightDown, { at.x, at.y, 0 });
    raise(w, c, commonEvent::rightUp, { at.x, at.y, 0 });
    if (unitOf(w, c) == unit::listView && admits(w, c))
        raise(w, c, 5);
}

void Input::rightClickTreeItem(WindowId w, ComponentId tree, std::int32_t index)
{
    if (!admits(w, tree) || unitOf(w, tree) != unit::treeBox)
        return;
    select(w, tree, index, 1);
    if (admits(w, tree))
        raise(w, tree, treeEvent::rightButton);
}

void Input::select(WindowId w, ComponentId c, std::int32_t index, std::int32_t how)
{
    if (!admits(w, c))
        return;
    UnitType unit = unitOf(w, c);
    int property = unit == unit::listBox ? prop::listBox::selection
        : unit == unit::comboBox         ? prop::comboBox::selection
        : unit == unit::treeBox          ? prop::treeBox::selection
        : unit == unit::listView         ? prop::listView::currentRow
                                         : -1;
    if (property < 0)
        return;
    bool changed = false;
    core_.update(w, c, { unit }, property, [&](ComponentState& s) {
        std::int32_t before = s.selection;
        selectIndex(s, index);
        changed = s.selection != before;
    });
    if (!changed)
        return;
    if (unit == unit::treeBox)
        raise(w, c, 0, { how });
    else if (unit != unit::comboBox)
        raise(w, c, 0);
}

void Input::typeText(WindowId w, ComponentId c, const Text& text, std::optional<TextRange> at)
{
    if (unitOf(w, c) != unit::editBox)
        return;
    for (std::size_t i = 0; i < text.size();) {
        // A handler of the previous character may have disabled the box or closed the window.
        if (!admits(w, c))
            return;
        // A GBK character is one byte below 0x81, else a lead and a trail byte.
        std::size_t width
            = static_cast<unsigned char>(text[i]) >= 0x81 && i + 1 < text.size() ? 2 : 1;
        std::int32_t code = static_cast<unsigned char>(text[i]);
        if (width == 2)
            code = (code << 8) | static_cast<unsigned char>(text[i + 1]);
        i += width;
        EventRecord record { w, c, commonEvent::character, { code } };
        core_.raise(record);
        if ((record.hasResult && record.result == 0) || !core_.component(w, c))
            continue;
        if (record.hasResult)
            code = record.result;
        Text typed
            = code > 0xff ? Text { char(code >> 8), char(code & 0xff) } : Text(1, char(code));
        core_.update(w, c, { unit::editBox }, prop::editBox::content, [&](ComponentState& s) {
            Text content = s.value<Text>(prop::editBox::content);
            // The handler may have rewritten the content: the place is kept inside it.
            std::size_t start = at ? std::min(at->start, content.size()) : content.size();
            std::size_t length = at ? std::min(at->length, content.size() - start) : 0;
            content.replace(start, length, typed);
            s.values[prop::editBox::content] = std::move(content);
            if (at)
                *at = { start + typed.size(), 0 };
        });
    }
}

bool Input::editText(WindowId w, ComponentId c, const Text& content)
{
    if (unitOf(w, c) != unit::editBox || !admits(w, c))
        return false;
    core_.update(w, c, { unit::editBox }, prop::editBox::content,
        [&](ComponentState& s) { s.values[prop::editBox::content] = content; });
    return true;
}

bool Input::key(WindowId w, ComponentId c, bool down, std::int32_t code, std::int32_t keyState)
{
    if (!admits(w, c))
        return false;
    const int event = down ? commonEvent::keyDown : commonEvent::keyUp;
    EventRecord record { w, c, event, { code, keyState } };
    core_.raise(record);
    if (!record.hasResult && c != 0 && admits(w, 0)) {
        record = { w, 0, event, { code, keyState } };
        core_.raise(record);
    }
    return record.hasResult;
}

void Input::focus(WindowId w, ComponentId c, bool gained)
{
    if (admits(w, c))
        raise(w, c, gained ? commonEvent::focusIn : commonEvent::focusOut);
}

void Input::wheel(WindowId w, ComponentId c, std::int32_t steps, std::int32_t keyState)
{
    if (admits(w, c))
        raise(w, c, commonEvent::wheel, { steps, keyState });
}

// Even while a modal window of the program blocks it: the operator closing the main window
// from its frame must end the program whatever dialog is open.
bool Input::requestClose(WindowId w)
{
    return core_.requestClose(w);
}

void Input::menuCommand(WindowId w, int commandId)
{
    auto menus = core_.menuItems(w);
    std::size_t position = static_cast<std::size_t>(commandId - firstMenuCommand);
    if (commandId < firstMenuCommand || position >= menus.size() || menus[position].disabled
        || !admits(w, 0))
        return;
    raise(w, menus[position].id, 0);
}

void Input::trayEvent(WindowId w, std::int32_t kind)
{
    if (admits(w, 0))
        raise(w, 0, windowEvent::tray, { kind });
}

void Input::windowGeometry(WindowId w, Geometry geometry)
{
    std::optional<Geometry> before;
    if (auto own = core_.component(w, 0))
        before = own->geometry;
    if (!before)
        return;
    core_.update(
        w, 0, { unit::window }, std::nullopt, [&](ComponentState& s) { s.geometry = geometry; });
    if (geometry.left != before->left || geometry.top != before->top)
        raise(w, 0, windowEvent::moved);
    if (geometry.width != before->width || geometry.height != before->height)
        raise(w, 0, windowEvent::resized);
}

void Input::windowState(WindowId w, std::int32_t state)
{
    if (!core_.isLoaded(w))
        return;
    // Only minimized and maximized are states the window is in; anything else is normal.
    const std::int32_t now = state == windowState::minimized || state == windowState::maximized
        ? state
        : windowState::normal;
    bool changed = false;
    // The view already shows the state it reports: no refresh.
    core_.update(w, 0, { unit::window }, std::nullopt, [&](ComponentState& s) {
        std::int32_t before = s.value<std::int32_t>(prop::window::state);
        changed = now
            != (before == windowState::minimized || before == windowState::maximized
                    ? before
                    : windowState::normal);
        if (changed)
            s.values[prop::window::state] = now;
    });
    if (changed && admits(w, 0))
        raise(w, 0, windowEvent::resized);
}

void Input::activation(WindowId w, bool active)
{
    core_.setActive(w, active);
}

bool Input::expandTreeItem(WindowId w, ComponentId tree, std::int32_t index, bool expanded)
{
    constexpr int itemsChanged = -1;
    auto before = core_.component(w, tree);
    if (!before || before->unit != unit::treeBox)
        return false;
    const bool valid = index >= 0 && index < static_cast<std::int32_t>(before->tree.size());
    bool applied = false;
    if (valid && before->tree[index].expanded != expanded && admits(w, tree)) {
        EventRecord record { w, tree, expanded ? treeEvent::expanding : treeEvent::collapsing,
            { index } };
        core_.raise(record);
        const bool cancelled = record.hasResult && record.result == 0;
        if (!core_.component(w, tree))
            return false;
        core_.update(w, tree, { unit::treeBox }, std::nullopt, [&](ComponentState& s) {
            // A handler that changed the items has left nothing for the user's action.
            if (!cancelled && s.tree == before->tree)
                applied = ui::expandTreeItem(s, index, expanded);
        });
    }
    // Whatever the view did on its own, it shows the core's items again.
    core_.update(w, tree, { unit::treeBox }, itemsChanged, [](ComponentState&) {});
    return applied;
}

void Input::dropTreeItem(WindowId w, ComponentId tree, std::int32_t dragged, std::int32_t target)
{
    auto state = core_.component(w, tree);
    if (!state || state->unit != unit::treeBox || !admits(w, tree))
        return;
    const auto count = static_cast<std::int32_t>(state->tree.size());
    if (dragged < 0 || dragged >= count || target < 0 || target >= count || dragged == target)
        return;
    raise(w, tree, treeEvent::dropped, { dragged, target });
}

} // namespace ui
