#include "backends/qt/qt_view_factory.h"

#include "backends/qt/window_view.h"

#include <QGuiApplication>
#include <QScreen>

namespace platform::qt {

std::unique_ptr<ui::WindowView> QtViewFactory::createView(
    ui::WindowSystem& core, ui::WindowId window)
{
    auto view = std::make_unique<WindowView>(core, window);
    QWidget* top = view->widget();
    top->createWinId();
    if (owner_)
        top->windowHandle()->setTransientParent(owner_);
    else
        owner_ = top->windowHandle();
    return view;
}

ui::Point QtViewFactory::screenSize() const
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize size = screen ? screen->geometry().size() : QSize(1024, 768);
    return { size.width(), size.height() };
}

} // namespace platform::qt
