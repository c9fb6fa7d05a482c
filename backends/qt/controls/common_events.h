#pragma once
// Turns the mouse, keyboard, focus and wheel events of a window's controls into the common
// events −1 … −12 of their components. One filter per window; it knows components by id only,
// so it never touches a control that an event handler has just destroyed. Keys go to the
// focused widget itself, which for a scrolling control is not its mouse surface: both are
// watched. A key is its focused component's event only, raised once; one a handler took goes
// no further.

#include "backends/qt/controls/control.h"

#include <QObject>
#include <QWidget>

#include <map>

namespace platform::qt {

class CommonEvents final : public QObject {
public:
    CommonEvents(ui::WindowSystem& core, ui::WindowId window, QObject* parent);

    void watch(const Control& control);
    void forget(const Control& control);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    [[nodiscard]] bool cameUpFromInside(QWidget* watched) const;

    struct Watched {
        ui::ComponentId component;
        unsigned ownEvents;
    };

    ui::WindowSystem& core_;
    const ui::WindowId window_;
    std::map<QObject*, Watched> watched_;
};

} // namespace platform::qt
