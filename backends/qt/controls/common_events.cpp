#include "backends/qt/controls/common_events.h"

#include "backends/qt/controls/key_codes.h"

#include <QMouseEvent>
#include <QWheelEvent>

namespace platform::qt {

namespace {

ui::Point clientPoint(const QMouseEvent& event)
{
    const QPoint at = event.position().toPoint();
    return { at.x(), at.y() };
}

// The common event of a mouse button event, or 0 when the control reports it itself.
int buttonEvent(const QMouseEvent& event, unsigned own)
{
    const bool left = event.button() == Qt::LeftButton;
    const bool right = event.button() == Qt::RightButton;
    switch (event.type()) {
    case QEvent::MouseButtonPress:
        return left && !(own & ownEvent::leftButton)  ? ui::commonEvent::leftDown
            : right && !(own & ownEvent::rightButton) ? ui::commonEvent::rightDown
                                                      : 0;
    case QEvent::MouseButtonRelease:
        return left && !(own & ownEvent::leftButton)  ? ui::commonEvent::leftUp
            : right && !(own & ownEvent::rightButton) ? ui::commonEvent::rightUp
                                                      : 0;
    case QEvent::MouseButtonDblClick:
        return left && !(own & ownEvent::doubleClick) ? ui::commonEvent::doubleClick : 0;
    default:
        return ui::commonEvent::mouseMove;
    }
}

} // namespace

CommonEvents::CommonEvents(ui::WindowSystem& core, ui::WindowId window, QObject* parent)
    : QObject(parent)
    , core_(core)
    , window_(window)
{
}

void CommonEvents::watch(const Control& control)
{
    QWidget* surface = control.inputSurface();
    surface->setMouseTracking(true);
    surface->installEventFilter(this);
    watched_[surface] = { control.id(), control.ownEvents() };
    if (control.widget() != surface) {
        control.widget()->installEventFilter(this);
        watched_[control.widget()] = { control.id(), control.ownEvents() | ownEvent::keysOnly };
    }
}

void CommonEvents::forget(const Control& control)
{
    for (QWidget* widget : { control.inputSurface(), control.widget() }) {
        widget->removeEventFilter(this);
        watched_.erase(widget);
    }
}

// Qt hands a key that the focused control leaves to each of its parents in turn; the key
// belongs to the watched control nearest the focus alone.
bool CommonEvents::cameUpFromInside(QWidget* watched) const
{
    for (QWidget* widget = watched->window()->focusWidget(); widget && widget != watched;
         widget = widget->parentWidget())
        if (watched_.count(widget) && watched->isAncestorOf(widget))
            return true;
    return false;
}

bool CommonEvents::eventFilter(QObject* watched, QEvent* event)
{
    auto it = watched_.find(watched);
    if (it == watched_.end())
        return false;
    const auto [component, own] = it->second;
    const bool isKey = event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease;
    if ((own & ownEvent::keysOnly) && !isKey)
        return false;
    ui::Input input(core_);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: {
        const auto& mouse = static_cast<const QMouseEvent&>(*event);
        if (int number = buttonEvent(mouse, own))
            input.mouse(
                window_, component, number, clientPoint(mouse), keyState(mouse.modifiers()));
        break;
    }
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        const auto& key = static_cast<const QKeyEvent&>(*event);
        const std::int32_t code = virtualKeyCode(key);
        // A key a handler took is not the control's to act on as well, nor its parents'.
        return code != 0 && !cameUpFromInside(static_cast<QWidget*>(watched))
            && input.key(window_, component, event->type() == QEvent::KeyPress, code,
                keyState(key.modifiers()));
    }
    case QEvent::FocusIn:
    case QEvent::FocusOut:
        input.focus(window_, component, event->type() == QEvent::FocusIn);
        break;
    case QEvent::Wheel: {
        const auto& wheel = static_cast<const QWheelEvent&>(*event);
        input.wheel(window_, component, wheel.angleDelta().y() / 120, keyState(wheel.modifiers()));
        break;
    }
    default:
        break;
    }
    return false;
}

} // namespace platform::qt
