#include "platform/qt/top_level_widget.h"

#include "ui/unit_properties.h"

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
    // The may-close handler decides. It may destroy this widget, which must not happen
    // inside one of its own events: ask once this event is over.
    event->ignore();
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
    if (event->type() == QEvent::WindowStateChange && core_.isLoaded(window_)) {
        const std::int32_t state = isMinimized() ? 2 : isMaximized() ? 3 : 0;
        // Keeps the core's window state true to what the user did; reading it reports this.
        if (std::get<std::int32_t>(core_.property(window_, 0, ui::prop::window::state)) != state)
            core_.setProperty(window_, 0, ui::prop::window::state, state);
    } else if (event->type() == QEvent::ActivationChange) {
        ui::Input(core_).activation(window_, isActiveWindow());
    }
    QWidget::changeEvent(event);
}

} // namespace platform::qt
