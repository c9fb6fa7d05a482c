#pragma once
// A loaded window on the desktop: a top-level widget with a fixed frame, the controls of its
// components, its pop-up menus and its notification-area icon. It shows the core's state and
// reports what the user does; closing, moving and activating go through ui::Input.

#include "backends/qt/controls/control.h"

#include "ui/view.h"

#include <QPointer>

#include <map>

class QSystemTrayIcon;

namespace platform::qt {

class CommonEvents;
class TopLevelWidget;

class WindowView final : public ui::WindowView {
public:
    WindowView(ui::WindowSystem& core, ui::WindowId window);
    ~WindowView() override;

    void show() override;
    void refresh(ui::ComponentId component, int property) override;
    void removeComponent(ui::ComponentId component) override;
    void setBlocked(bool blocked) override;
    void setFocus(ui::ComponentId component) override;
    void setZOrder(int mode) override;
    void popupMenu(
        const std::vector<ui::MenuEntry>& entries, std::optional<ui::Point> at, bool tray) override;
    void ensureVisible(ui::ComponentId tree, std::int32_t index) override;
    void setTrayIcon(const ui::Bytes& icon, const ui::Text& tip) override;

    // The top-level widget, for snapshots and tests.
    QWidget* widget() const;
    // The widget of a component, or nullptr when it has none.
    QWidget* controlWidget(ui::ComponentId component) const;

private:
    void renderWindow(const ui::ComponentState& own, int property);

    ui::WindowSystem& core_;
    const ui::WindowId window_;
    TopLevelWidget* top_;
    CommonEvents* commonEvents_;
    // Before the controls, which decode through it, so that it outlives them.
    PictureCache pictures_;
    std::map<ui::ComponentId, std::unique_ptr<Control>> controls_;
    QPointer<QSystemTrayIcon> tray_;
    // A modal window of the program is open over this one.
    bool blocked_ = false;
};

} // namespace platform::qt
