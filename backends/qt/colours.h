#pragma once
// Template colours (red in the low byte; 0xFF000000 the button-face colour) as Qt colours.

#include "ui/value.h"

#include <QApplication>
#include <QColor>
#include <QPalette>

namespace platform::qt {

inline QColor toQColor(std::int32_t colour)
{
    if (colour == ui::buttonFaceColour)
        return QApplication::palette().color(QPalette::Button);
    const auto bits = static_cast<std::uint32_t>(colour);
    return QColor(bits & 0xff, (bits >> 8) & 0xff, (bits >> 16) & 0xff);
}

// How a disabled input box looks: the window's grey face behind grey text.
inline QColor disabledBoxBack()
{
    return QApplication::palette().color(QPalette::Button);
}
inline QColor disabledBoxText()
{
    return QColor(128, 128, 128);
}

} // namespace platform::qt
