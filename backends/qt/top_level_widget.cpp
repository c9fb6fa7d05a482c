#include "backends/qt/top_level_widget.h"

#include "backends/qt/controls/key_codes.h"

#include <QCloseEvent>
#include <QTimer>

namespace platform::qt {

namespace {

// The classic fixed dialog frame: 3 pixels each side, a 19-pixel caption.
constexpr int frameSide = 3, captionHeight = 19;

} // namespace

QSize frameExtra(std::int32_t borderStyle)
{
    if (borderStyle == 0)
        return { 0, 0 };
    return { 2 * frameSide, 2 * frameSide + captionHeight };
}

TopLevelWidget::TopLevelWidget(ui::WindowSystem& core, ui::WindowId window)
    : core_(core)
    , window_(window)
{
}

void TopLevelWidget::closeEvent(QCloseEvent* event)
{
    // The may-close handler decides.
    event->ignore();
    requestClose();
}

void TopLevelWidget::requestClose()
{
    QTimer::singleShot(
        0, this, [core = &core_, window = window_] { ui::Input(*core).requestClose(window); });
}

void TopLevelWidget::moveEvent(QMoveEvent*)
{
    if (!isVisible())
        return;
    const QSize extra = frameExtra(borderStyle);
    ui::Input(core_).windowGeometry(
        window_, { x(), y(), width() + extra.width(), height() + extra.height() });
}

void TopLevelWidget::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    // Last: a handler of what follows may close the window.
    if (event->type() == QEvent::WindowStateChange)
        ui::Input(core_).windowState(window_, isMinimized() ? 2 : isMaximized() ? 3 : 0);
    else if (event->type() == QEvent::ActivationChange)
        ui::Input(core_).activation(window_, isActiveWindow());
}

void TopLevelWidget::keyPressEvent(QKeyEvent* event)
{
    forwardKey(event, true);
}

void TopLevelWidget::keyReleaseEvent(QKeyEvent* event)
{
    forwardKey(event, false);
}

// A key a focused control did not take arrives here too; the control has reported it
// already, and the core passes it on to the window itself.
void TopLevelWidget::forwardKey(QKeyEvent* event, bool down)
{
    QWidget* focused = focusWidget();
    const std::int32_t code = virtualKeyCode(*event);
    if ((focused && focused != this) || code == 0) {
        event->ignore();
        return;
    }
    ui::Input(core_).key(window_, 0, down, code, keyState(event->modifiers()));
}

} // namespace platform::qt
