#pragma once
// The template fonts on this desktop: the faces the windows were designed with are mapped to
// installed CJK fonts, heights are pixel heights.

#include "ui/value.h"

#include <QFont>

namespace platform::qt {

// The font of a control whose template gives none: the desktop's default GUI font.
QFont defaultFont();
QFont toQFont(const ui::Font& font);

} // namespace platform::qt
