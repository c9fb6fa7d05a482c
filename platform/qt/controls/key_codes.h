#pragma once
// Keys and modifiers as the program's key events carry them: virtual-key codes of the
// original desktop and the key state 1 Ctrl, 2 Shift, 4 Alt.

#include <QKeyEvent>

#include <cstdint>

namespace platform::qt {

// 0 for a key without a virtual-key code.
std::int32_t virtualKeyCode(const QKeyEvent& event);
std::int32_t keyState(Qt::KeyboardModifiers modifiers);

} // namespace platform::qt
