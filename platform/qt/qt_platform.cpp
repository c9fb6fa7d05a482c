#include "platform/qt/qt_platform.h"

#include <QGuiApplication>

namespace platform::qt {

QtPlatform::QtPlatform()
{
    // A window hidden to the notification area is still running; the program decides
    // when it ends, not the last visible window.
    QGuiApplication::setQuitOnLastWindowClosed(false);
}

} // namespace platform::qt
