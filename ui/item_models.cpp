#include "ui/item_models.h"

#include <algorithm>

namespace ui {
namespace {

std::int32_t itemCount(const ComponentState& state)
{
    switch (state.unit) {
    case unit::treeBox:
        return static_cast<std::int32_t>(state.tree.size());
    case unit::listView:
        return static_cast<std::int32_t>(state.rows.size());
    default:
        return static_cast<std::int32_t>(state.entries.size());
    }
}

bool validTreeIndex(const ComponentState& state, std::int32_t index)
{
    return index >= 0 && index < static_cast<std::int32_t>(state.tree.size());
}

// One past the last descendant of the item at index.
std::size_t subtreeEnd(const ComponentState& state, std::size_t index)
{
    std::size_t end = index + 1;
    while (end < state.tree.size() && state.tree[end].depth > state.tree[index].depth)
        ++end;
    return end;
}

char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

} // namespace

void selectIndex(ComponentState& state, std::int32_t index)
{
    state.selection = index >= 0 && index < itemCount(state) ? index : -1;
}

std::int32_t addEntry(ComponentState& state, const Text& text, std::int32_t data)
{
    ++state.itemsRevision;
    state.entries.push_back(text);
    state.entryData.push_back(data);
    return static_cast<std::int32_t>(state.entries.size()) - 1;
}

Text entryText(const ComponentState& state, std::int32_t index)
{
    if (index < 0 || index >= static_cast<std::int32_t>(state.entries.size()))
        return {};
    return state.entries[index];
}

std::int32_t findEntryByPrefix(const ComponentState& state, const Text& prefix)
{
    for (std::size_t i = 0; i < state.entries.size(); ++i) {
        const Text& entry = state.entries[i];
        if (entry.size() >= prefix.size()
            && std::equal(prefix.begin(), prefix.end(), entry.begin(),
                [](char a, char b) { return lowerAscii(a) == lowerAscii(b); }))
            return static_cast<std::int32_t>(i);
    }
    return -1;
}

void clearEntries(ComponentState& state)
{
    ++state.itemsRevision;
    state.entries.clear();
    state.entryData.clear();
    state.selection = -1;
}

std::int32_t treeDepth(const ComponentState& state, std::int32_t index)
{
    return validTreeIndex(state, index) ? state.tree[index].depth : 0;
}

std::int32_t treeParent(const ComponentState& state, std::int32_t index)
{
    if (!validTreeIndex(state, index))
        return -1;
    for (std::int32_t i = index - 1; i >= 0; --i)
        if (state.tree[i].depth < state.tree[index].depth)
            return i;
    return -1;
}

Text treeText(const ComponentState& state, std::int32_t index)
{
    return validTreeIndex(state, index) ? state.tree[index].text : Text {};
}

std::int32_t addTreeItem(
    ComponentState& state, std::optional<std::int32_t> parent, const Text& text)
{
    std::size_t at = state.tree.size();
    int depth = 1;
    if (parent) {
        if (!validTreeIndex(state, *parent))
            return -1;
        at = subtreeEnd(state, *parent);
        depth = state.tree[*parent].depth + 1;
    }
    state.tree.insert(state.tree.begin() + at, TreeItem { text, depth, false, {} });
    ++state.itemsRevision;
    // Items after the new one moved down; so does the selection if it was among them.
    if (state.selection >= static_cast<std::int32_t>(at))
        ++state.selection;
    return static_cast<std::int32_t>(at);
}

bool expandTreeItem(ComponentState& state, std::int32_t index, bool expanded)
{
    if (!validTreeIndex(state, index))
        return false;
    state.tree[index].expanded = expanded;
    return true;
}

bool revealTreeItem(ComponentState& state, std::int32_t index)
{
    if (!validTreeIndex(state, index))
        return false;
    for (std::int32_t up = treeParent(state, index); up >= 0; up = treeParent(state, up))
        state.tree[up].expanded = true;
    return true;
}

void clearTree(ComponentState& state)
{
    ++state.itemsRevision;
    state.tree.clear();
    state.selection = -1;
}

void setTreeItems(ComponentState& state, std::vector<TreeItem> items)
{
    ++state.itemsRevision;
    int deepest = 1;
    for (TreeItem& item : items) {
        item.depth = std::clamp(item.depth, 1, deepest);
        deepest = item.depth + 1;
    }
    state.tree = std::move(items);
    state.selection = -1;
}

std::int32_t insertRow(ComponentState& state, std::int32_t index, const Text& text)
{
    auto count = static_cast<std::int32_t>(state.rows.size());
    if (index < 0 || index > count)
        index = count;
    state.rows.insert(state.rows.begin() + index, text);
    ++state.itemsRevision;
    if (state.selection >= index)
        ++state.selection;
    return index;
}

void clearRows(ComponentState& state)
{
    ++state.itemsRevision;
    state.rows.clear();
    state.selection = -1;
}

void setRows(ComponentState& state, std::vector<Text> rows)
{
    ++state.itemsRevision;
    state.rows = std::move(rows);
    state.selection = -1;
}

} // namespace ui
