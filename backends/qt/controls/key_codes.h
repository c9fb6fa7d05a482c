#pragma once
// Keys and modifiers as the program's key events carry them: letters and digits as ASCII,
// F1 as 0x70, the arrows 0x25 to 0x28 and so on, and the key state 1 Ctrl, 2 Shift, 4 Alt.

#include <QKeyEvent>

#include <cstdint>

namespace platform::qt {

// 0 for a key the program has no code for.
std::int32_t virtualKeyCode(const QKeyEvent& event);
std::int32_t keyState(Qt::KeyboardModifiers modifiers);

} // namespace platform::qt
