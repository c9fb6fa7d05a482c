#include "ui/commands.h"

#include "ui/item_models.h"
#include "ui/unit_properties.h"

namespace ui {
namespace {

constexpr int itemsChanged = -1;

// At most max bytes of GBK text, not ending in half a double-byte character.
Text cutText(const Text& text, std::size_t max)
{
    std::size_t end = 0;
    while (end < text.size()) {
        std::size_t width = static_cast<unsigned char>(text[end]) >= 0x81 ? 2 : 1;
        if (end + width > max)
            break;
        end += width;
    }
    return text.substr(0, std::min(end, text.size()));
}

} // namespace

void Commands::setFocus(WindowId window, ComponentId component)
{
    ComponentId id = 0;
    core_.inspect(window, component, {}, [&](const ComponentState& c) { id = c.id; });
    if (WindowView* view = core_.view(window))
        view->setFocus(id);
}

bool Commands::setZOrder(WindowId window, std::optional<int> mode)
{
    int chosen = mode.value_or(zOrder::top);
    if (chosen < zOrder::top || chosen > zOrder::notAlwaysOnTop)
        return false;
    core_.requireLoaded(window);
    if (WindowView* view = core_.view(window))
        view->setZOrder(chosen);
    return true;
}

void Commands::popupMenu(WindowId window, ComponentId topItem, std::optional<Point> at)
{
    showMenu(window, topItem, at, false);
}

void Commands::trayPopupMenu(WindowId window, ComponentId topItem)
{
    showMenu(window, topItem, std::nullopt, true);
}

void Commands::showMenu(WindowId window, ComponentId topItem, std::optional<Point> at, bool tray)
{
    std::vector<MenuEntry> entries;
    bool found = false;
    core_.inspectWindow(window, [&](const LoadedWindow& w) {
        // The entries under the top item run until the next top-level item.
        for (std::size_t i = 0; i < w.menuItems.size(); ++i) {
            const MenuItemState& item = w.menuItems[i];
            if (item.level == 0) {
                if (found)
                    break;
                found = item.id == topItem;
            } else if (found && !item.hidden) {
                entries.push_back({ firstMenuCommand + static_cast<int>(i), item.caption,
                    item.checked, item.disabled });
            }
        }
    });
    if (!found)
        core_.runtime().raiseError({}, errorText::noSuchWindowOrComponent);
    if (entries.empty())
        return;
    if (WindowView* view = core_.view(window))
        view->popupMenu(entries, at, tray);
}

void Commands::setTrayIcon(WindowId window, const Bytes& icon, const Text& tip)
{
    core_.requireLoaded(window);
    if (WindowView* view = core_.view(window))
        view->setTrayIcon(icon, cutText(tip, 62));
}

platform::OpenFileRequest Commands::dialogRequest(WindowId window, ComponentId dialog)
{
    namespace p = prop::commonDlg;
    platform::OpenFileRequest request;
    core_.inspect(window, dialog, { unit::commonDlg }, [&](const ComponentState& c) {
        request.title = c.value<Text>(p::title);
        request.filter = c.value<Text>(p::filter);
        request.filterIndex = c.value<std::int32_t>(p::filterIndex);
        request.initialDir = c.value<Text>(p::initialDir);
        request.fileName = c.value<Text>(p::fileName);
        request.keepCurrentDir = c.value<bool>(p::keepDirectory);
    });
    return request;
}

bool Commands::openDialog(WindowId window, ComponentId dialog)
{
    auto chosen = core_.runtime().platform().dialogs.openFile(dialogRequest(window, dialog));
    if (!chosen)
        return false;
    core_.setProperty(window, dialog, prop::commonDlg::fileName, Text(*chosen));
    return true;
}

std::vector<Text> Commands::openDialogForMany(WindowId window, ComponentId dialog)
{
    std::vector<std::string> chosen
        = core_.runtime().platform().dialogs.openFiles(dialogRequest(window, dialog));
    if (!chosen.empty())
        core_.setProperty(window, dialog, prop::commonDlg::fileName, Text(chosen.front()));
    return { chosen.begin(), chosen.end() };
}

std::int32_t Commands::comboAddItem(WindowId w, ComponentId c, const Text& text, std::int32_t data)
{
    std::int32_t index = -1;
    core_.update(w, c, { unit::comboBox }, itemsChanged,
        [&](ComponentState& s) { index = addEntry(s, text, data); });
    return index;
}

Text Commands::comboItemText(WindowId w, ComponentId c, std::int32_t index)
{
    Text text;
    core_.inspect(
        w, c, { unit::comboBox }, [&](const ComponentState& s) { text = entryText(s, index); });
    return text;
}

std::int32_t Commands::comboSelectText(WindowId w, ComponentId c, const Text& prefix)
{
    std::int32_t index = -1;
    core_.update(w, c, { unit::comboBox }, prop::comboBox::selection, [&](ComponentState& s) {
        index = findEntryByPrefix(s, prefix);
        if (index >= 0)
            selectIndex(s, index);
    });
    return index;
}

std::int32_t Commands::listAddItem(WindowId w, ComponentId c, const Text& text, std::int32_t data)
{
    std::int32_t index = -1;
    core_.update(w, c, { unit::listBox }, itemsChanged,
        [&](ComponentState& s) { index = addEntry(s, text, data); });
    return index;
}

Text Commands::listItemText(WindowId w, ComponentId c, std::int32_t index)
{
    Text text;
    core_.inspect(
        w, c, { unit::listBox }, [&](const ComponentState& s) { text = entryText(s, index); });
    return text;
}

void Commands::listClear(WindowId w, ComponentId c)
{
    core_.update(w, c, { unit::listBox }, itemsChanged, clearEntries);
}

std::int32_t Commands::treeCount(WindowId w, ComponentId c)
{
    std::int32_t count = 0;
    core_.inspect(w, c, { unit::treeBox },
        [&](const ComponentState& s) { count = static_cast<std::int32_t>(s.tree.size()); });
    return count;
}

std::int32_t Commands::treeDepth(WindowId w, ComponentId c, std::int32_t index)
{
    std::int32_t depth = 0;
    core_.inspect(
        w, c, { unit::treeBox }, [&](const ComponentState& s) { depth = ui::treeDepth(s, index); });
    return depth;
}

Text Commands::treeItemText(WindowId w, ComponentId c, std::int32_t index)
{
    Text text;
    core_.inspect(
        w, c, { unit::treeBox }, [&](const ComponentState& s) { text = treeText(s, index); });
    return text;
}

std::int32_t Commands::treeParent(WindowId w, ComponentId c, std::int32_t index)
{
    std::int32_t parent = -1;
    core_.inspect(w, c, { unit::treeBox },
        [&](const ComponentState& s) { parent = ui::treeParent(s, index); });
    return parent;
}

std::int32_t Commands::treeAddItem(
    WindowId w, ComponentId c, std::optional<std::int32_t> parent, const Text& text)
{
    std::int32_t index = -1;
    core_.update(w, c, { unit::treeBox }, itemsChanged,
        [&](ComponentState& s) { index = addTreeItem(s, parent, text); });
    return index;
}

bool Commands::treeExpand(WindowId w, ComponentId c, std::int32_t index)
{
    bool done = false;
    core_.update(w, c, { unit::treeBox }, itemsChanged,
        [&](ComponentState& s) { done = expandTreeItem(s, index); });
    return done;
}

bool Commands::treeEnsureVisible(WindowId w, ComponentId c, std::int32_t index)
{
    bool done = false;
    core_.update(w, c, { unit::treeBox }, itemsChanged,
        [&](ComponentState& s) { done = revealTreeItem(s, index); });
    if (done)
        if (WindowView* view = core_.view(w))
            view->ensureVisible(c, index);
    return done;
}

void Commands::treeClear(WindowId w, ComponentId c)
{
    core_.update(w, c, { unit::treeBox }, itemsChanged, clearTree);
}

std::int32_t Commands::listViewCount(WindowId w, ComponentId c)
{
    std::int32_t count = 0;
    core_.inspect(w, c, { unit::listView },
        [&](const ComponentState& s) { count = static_cast<std::int32_t>(s.rows.size()); });
    return count;
}

std::int32_t Commands::listViewInsert(
    WindowId w, ComponentId c, std::optional<std::int32_t> index, const Text& text)
{
    std::int32_t at = -1;
    core_.update(w, c, { unit::listView }, itemsChanged,
        [&](ComponentState& s) { at = insertRow(s, index.value_or(-1), text); });
    return at;
}

void Commands::listViewClear(WindowId w, ComponentId c)
{
    core_.update(w, c, { unit::listView }, itemsChanged, clearRows);
}

} // namespace ui
