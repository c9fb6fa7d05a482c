#pragma once
// The component commands the application calls: focus, z-order, pop-up and tray menus, the
// tray icon, the file dialog, and the item commands of combo boxes, list boxes, tree boxes
// and list views. Each checks its target like the window system's other commands do: a window
// that is not loaded or a component that is missing or of another unit raises
// "指定窗口或窗口组件不存在或尚未载入". Interface thread only.

#include "ui/window_system.h"

namespace ui {

class Commands {
public:
    explicit Commands(WindowSystem& core)
        : core_(core)
    {
    }

    bool loadWindow(WindowId window, bool modal) { return core_.loadWindow(window, modal); }
    void close(WindowId window, ComponentId component) { core_.close(window, component); }
    void setFocus(WindowId window, ComponentId component);
    bool setZOrder(WindowId window, std::optional<int> mode);
    // The entries under a top-level menu item, tracked at the pointer or at (x, y).
    void popupMenu(WindowId window, ComponentId topItem, std::optional<Point> at = {});
    void trayPopupMenu(WindowId window, ComponentId topItem);
    // icon: the contents of an icon file; empty removes the tray icon. The tip is cut to 62
    // bytes, never inside a double-byte character.
    void setTrayIcon(WindowId window, const Bytes& icon, const Text& tip);
    // Shows the file dialog configured by the CommonDlg's properties; on confirmation its file
    // name property holds the chosen path.
    [[nodiscard]] bool openDialog(WindowId window, ComponentId dialog);
    // The same dialog taking several files or a folder: every chosen path (the file name
    // property holds the first), none when the operator cancelled.
    [[nodiscard]] std::vector<Text> openDialogForMany(WindowId window, ComponentId dialog);

    std::int32_t comboAddItem(WindowId w, ComponentId c, const Text& text, std::int32_t data = 0);
    [[nodiscard]] Text comboItemText(WindowId w, ComponentId c, std::int32_t index);
    std::int32_t comboSelectText(WindowId w, ComponentId c, const Text& prefix);
    std::int32_t listAddItem(WindowId w, ComponentId c, const Text& text, std::int32_t data = 0);
    [[nodiscard]] Text listItemText(WindowId w, ComponentId c, std::int32_t index);
    void listClear(WindowId w, ComponentId c);

    [[nodiscard]] std::int32_t treeCount(WindowId w, ComponentId c);
    [[nodiscard]] std::int32_t treeDepth(WindowId w, ComponentId c, std::int32_t index);
    [[nodiscard]] Text treeItemText(WindowId w, ComponentId c, std::int32_t index);
    [[nodiscard]] std::int32_t treeParent(WindowId w, ComponentId c, std::int32_t index);
    std::int32_t treeAddItem(
        WindowId w, ComponentId c, std::optional<std::int32_t> parent, const Text& text);
    bool treeExpand(WindowId w, ComponentId c, std::int32_t index);
    bool treeEnsureVisible(WindowId w, ComponentId c, std::int32_t index);
    void treeClear(WindowId w, ComponentId c);
    // All the items at once, in display order, with one refresh of the view: a tree of
    // thousands of items is filled in one go, not an item and a redraw at a time.
    void treeSetItems(WindowId w, ComponentId c, std::vector<TreeItem> items);

    [[nodiscard]] std::int32_t listViewCount(WindowId w, ComponentId c);
    std::int32_t listViewInsert(
        WindowId w, ComponentId c, std::optional<std::int32_t> index, const Text& text);
    void listViewClear(WindowId w, ComponentId c);
    // All the rows at once, with one refresh of the view.
    void listViewSetRows(WindowId w, ComponentId c, std::vector<Text> rows);

private:
    platform::OpenFileRequest dialogRequest(WindowId window, ComponentId dialog);
    void showMenu(WindowId window, ComponentId topItem, std::optional<Point> at, bool tray);

    WindowSystem& core_;
};

} // namespace ui
