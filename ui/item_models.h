#pragma once
// The item models of the list-like units, as operations on a component's state: entries of
// combo and list boxes, the tree box's items by display index, the list view's rows. These are
// the commands' and the input's effects; drawing the items is the views' business.

#include "ui/component_state.h"

#include <optional>

namespace ui {

// Selection of any list-like unit: an index outside the items selects nothing (-1).
void selectIndex(ComponentState& state, std::int32_t index);

// Combo and list boxes.
std::int32_t addEntry(ComponentState& state, const Text& text, std::int32_t data = 0);
[[nodiscard]] Text entryText(
    const ComponentState& state, std::int32_t index); // empty when out of range
// The first entry that begins with prefix, ASCII letters compared case-insensitively; -1 if none.
[[nodiscard]] std::int32_t findEntryByPrefix(const ComponentState& state, const Text& prefix);
void clearEntries(ComponentState& state);

// Tree box. Display order is the depth-first order of all items.
[[nodiscard]] std::int32_t treeDepth(
    const ComponentState& state, std::int32_t index); // 0 when invalid
[[nodiscard]] std::int32_t treeParent(
    const ComponentState& state, std::int32_t index); // -1 for a root
[[nodiscard]] Text treeText(const ComponentState& state, std::int32_t index);
// Adds a last child of parent, or a last root item without one; -1 when parent is invalid.
std::int32_t addTreeItem(
    ComponentState& state, std::optional<std::int32_t> parent, const Text& text);
// Expands (or collapses) the item; false when the index is invalid.
bool expandTreeItem(ComponentState& state, std::int32_t index, bool expanded = true);
// Expands the item's ancestors so that it can be seen; false when the index is invalid.
bool revealTreeItem(ComponentState& state, std::int32_t index);
void clearTree(ComponentState& state);
// Puts items in place of all the tree's items, nothing selected: what clearing the tree and
// adding them one by one leaves. Depths run as in display order: an item is at most one level
// deeper than the item before it (a deeper one is taken as exactly one deeper, the first
// item as a root).
void setTreeItems(ComponentState& state, std::vector<TreeItem> items);

// List view: index below 0 or past the end appends. Returns the row's index.
std::int32_t insertRow(ComponentState& state, std::int32_t index, const Text& text);
void clearRows(ComponentState& state);
// Puts rows in place of all the rows, nothing selected.
void setRows(ComponentState& state, std::vector<Text> rows);

} // namespace ui
