#pragma once
// The top-level widget of a loaded window. It turns the desktop's close requests, moves,
// activation, minimizing and the keys pressed while no control has the focus into ui::Input
// calls; the core decides what follows.

#include "ui/input.h"

#include <QWidget>

namespace platform::qt {

// What the window frame adds to the client area: the template sizes are outer sizes.
QSize frameExtra(std::int32_t borderStyle);

class TopLevelWidget final : public QWidget {
public:
    TopLevelWidget(ui::WindowSystem& core, ui::WindowId window);

    std::int32_t borderStyle = 2;

    // Asks the core to close the window once the event being delivered is over: the
    // may-close handler may destroy this widget.
    void requestClose();

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    void forwardKey(QKeyEvent* event, bool down);

    ui::WindowSystem& core_;
    const ui::WindowId window_;
};

} // namespace platform::qt
