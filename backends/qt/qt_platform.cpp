#include "backends/qt/qt_platform.h"

#include <QGuiApplication>

#include <iostream>

namespace platform::qt {

QtPlatform::QtPlatform()
{
    // A window hidden to the notification area is still running; the program decides
    // when it ends, not the last visible window.
    QGuiApplication::setQuitOnLastWindowClosed(false);
    if (!texts_.loaded())
        std::cerr << "dancehall: Qt's Chinese translations are not installed; the file dialog "
                     "and standard buttons stay in English.\n";
}

} // namespace platform::qt
