#include "backends/qt/window_view.h"

#include "backends/qt/colours.h"
#include "backends/qt/controls/common_events.h"
#include "backends/qt/controls/controls.h"
#include "backends/qt/fonts.h"
#include "backends/qt/pictures.h"
#include "backends/qt/qt_text.h"
#include "backends/qt/top_level_widget.h"

#include "ui/unit_properties.h"
#include "ui/window_system.h"

#include <QCursor>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QWindow>

namespace platform::qt {

namespace {

namespace p = ui::prop::window;

Qt::WindowFlags windowFlags(const ui::ComponentState& own)
{
    if (own.value<std::int32_t>(p::borderStyle) == 0)
        return Qt::Window | Qt::FramelessWindowHint;
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (own.value<bool>(p::systemMenu))
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (own.value<bool>(p::minButton))
        flags |= Qt::WindowMinimizeButtonHint;
    if (own.value<bool>(p::maxButton))
        flags |= Qt::WindowMaximizeButtonHint;
    return flags;
}

// The notification-area events as the window's tray event kinds.
std::int32_t trayKind(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        return 1;
    case QSystemTrayIcon::DoubleClick:
        return 2;
    case QSystemTrayIcon::Context:
        return 3;
    default:
        return 0;
    }
}

// A shown window takes new frame buttons or stacking in place. Hiding and showing it again,
// as QWidget::setWindowFlags does, races with a window manager still taking over a window just
// shown: the window could stay unmapped while Qt counts it as shown, so that showing it again
// would never bring it back.
void changeFlagsInPlace(QWidget& top, Qt::WindowFlags flags)
{
    top.overrideWindowFlags(flags);
    if (QWindow* native = top.windowHandle())
        native->setFlags(flags);
}

} // namespace

WindowView::WindowView(ui::WindowSystem& core, ui::WindowId window)
    : core_(core)
    , window_(window)
    , top_(new TopLevelWidget(core, window))
    , commonEvents_(new CommonEvents(core, window, top_))
{
    top_->setFont(defaultFont());
    top_->setAutoFillBackground(true);
    const std::vector<ui::ComponentState> components = core.components(window);
    for (std::size_t i = 1; i < components.size(); ++i) {
        const ui::ComponentState& state = components[i];
        auto parent = controls_.find(state.parent);
        QWidget* parentWidget = parent == controls_.end() ? top_ : parent->second->widget();
        if (auto control
            = makeControl({ &core, window, state.id, &pictures_ }, state, parentWidget)) {
            commonEvents_->watch(*control);
            controls_.emplace(state.id, std::move(control));
        }
    }
    for (int property : { p::caption, ui::prop::left, ui::prop::disabled })
        renderWindow(components.front(), property);
}

WindowView::~WindowView()
{
    delete tray_;
    controls_.clear();
    // The window may be closing from inside one of its own events.
    top_->hide();
    top_->deleteLater();
}

QWidget* WindowView::widget() const
{
    return top_;
}

QWidget* WindowView::controlWidget(ui::ComponentId component) const
{
    auto it = controls_.find(component);
    return it == controls_.end() ? nullptr : it->second->widget();
}

void WindowView::show()
{
    auto own = core_.component(window_, 0);
    if (!own || !own->visible)
        return;
    renderWindow(*own, p::state);
    top_->show();
}

void WindowView::refresh(ui::ComponentId component, int property)
{
    constexpr int items = -1;
    auto state = property == items ? core_.component(window_, component)
                                   : core_.componentProperties(window_, component);
    if (!state)
        return; // a menu item: it has no widget
    if (state->unit == ui::unit::window) {
        renderWindow(*state, property);
        return;
    }
    if (auto it = controls_.find(state->id); it != controls_.end())
        it->second->refresh(*state, property);
}

void WindowView::renderWindow(const ui::ComponentState& own, int property)
{
    switch (property) {
    case ui::prop::left:
    case ui::prop::top:
    case ui::prop::width:
    case ui::prop::height: {
        const QSize extra = frameExtra(own.value<std::int32_t>(p::borderStyle));
        top_->move(own.geometry.left, own.geometry.top);
        top_->setFixedSize(
            own.geometry.width - extra.width(), own.geometry.height - extra.height());
        return;
    }
    case ui::prop::visible:
        top_->setVisible(own.visible);
        return;
    case ui::prop::disabled:
        top_->setEnabled(!own.disabled && !blocked_);
        return;
    case p::state:
        switch (own.value<std::int32_t>(p::state)) {
        case ui::windowState::minimized:
            top_->showMinimized();
            return;
        case ui::windowState::maximized:
            top_->showMaximized();
            return;
        default:
            if (top_->isMinimized() || top_->isMaximized())
                top_->showNormal();
            return;
        }
    default:
        break;
    }
    top_->setWindowTitle(fromGbk(own.value<ui::Text>(p::caption)));
    top_->setWindowIcon(decodeIcon(own.value<ui::Bytes>(p::icon)));
    QPalette palette = top_->palette();
    const QImage picture = pictures_.decode(own.value<ui::Bytes>(p::backPicture));
    if (picture.isNull())
        palette.setColor(QPalette::Window, toQColor(own.value<std::int32_t>(p::backColour)));
    else
        palette.setBrush(QPalette::Window, QBrush(picture));
    top_->setPalette(palette);
    top_->borderStyle = own.value<std::int32_t>(p::borderStyle);
    const Qt::WindowFlags flags = windowFlags(own);
    if (top_->windowFlags() != flags)
        changeFlagsInPlace(*top_, flags);
}

void WindowView::removeComponent(ui::ComponentId component)
{
    auto it = controls_.find(component);
    if (it == controls_.end())
        return;
    commonEvents_->forget(*it->second);
    controls_.erase(it);
}

void WindowView::setBlocked(bool blocked)
{
    blocked_ = blocked;
    auto own = core_.component(window_, 0);
    top_->setEnabled(!blocked_ && !(own && own->disabled));
}

void WindowView::setFocus(ui::ComponentId component)
{
    if (QWidget* target = controlWidget(component))
        target->setFocus(Qt::OtherFocusReason);
}

void WindowView::setZOrder(int mode)
{
    switch (mode) {
    case ui::zOrder::top:
        top_->raise();
        return;
    case ui::zOrder::bottom:
        top_->lower();
        return;
    default:
        changeFlagsInPlace(*top_,
            top_->windowFlags().setFlag(Qt::WindowStaysOnTopHint, mode == ui::zOrder::alwaysOnTop));
    }
}

void WindowView::popupMenu(
    const std::vector<ui::MenuEntry>& entries, std::optional<ui::Point> at, bool tray)
{
    QMenu menu(top_);
    for (const auto& entry : entries) {
        QAction* action = menu.addAction(fromGbk(entry.caption));
        action->setCheckable(entry.checked);
        action->setChecked(entry.checked);
        action->setEnabled(!entry.disabled);
        action->setData(entry.commandId);
    }
    QPoint where = at ? QPoint(at->x, at->y) : QCursor::pos() + QPoint(3, 3);
    if (tray) {
        // A minimised window stays minimised: activating it would have the window manager
        // restore it and take the focus from the menu about to open.
        if (top_->isVisible() && !top_->isMinimized()) {
            top_->raise();
            top_->activateWindow();
        }
        where = QCursor::pos() - QPoint(5 + menu.sizeHint().width(), 5);
    }
    const QAction* chosen = menu.exec(where);
    if (chosen)
        ui::Input(core_).menuCommand(window_, chosen->data().toInt());
}

void WindowView::ensureVisible(ui::ComponentId tree, std::int32_t index)
{
    if (auto it = controls_.find(tree); it != controls_.end())
        ensureTreeItemVisible(*it->second, index);
}

void WindowView::setTrayIcon(const ui::Bytes& icon, const ui::Text& tip)
{
    if (icon.empty()) {
        delete tray_;
        return;
    }
    // Where the desktop has no notification area, the program runs without an icon.
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return;
    if (!tray_) {
        tray_ = new QSystemTrayIcon(top_);
        QObject::connect(tray_, &QSystemTrayIcon::activated, tray_,
            [core = &core_, window = window_](QSystemTrayIcon::ActivationReason reason) {
                if (std::int32_t kind = trayKind(reason))
                    ui::Input(*core).trayEvent(window, kind);
            });
    }
    tray_->setIcon(decodeIcon(icon));
    tray_->setToolTip(fromGbk(tip));
    tray_->show();
}

} // namespace platform::qt
