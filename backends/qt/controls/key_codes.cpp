#include "backends/qt/controls/key_codes.h"

#include "ui/input.h"

#include <map>

namespace platform::qt {

std::int32_t virtualKeyCode(const QKeyEvent& event)
{
    const int key = event.key();
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return key; // Qt uses the ASCII codes too
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return 0x70 + (key - Qt::Key_F1);
    static const std::map<int, std::int32_t> named {
        { Qt::Key_Backspace, 0x08 },
        { Qt::Key_Tab, 0x09 },
        { Qt::Key_Return, 0x0d },
        { Qt::Key_Enter, 0x0d },
        { Qt::Key_Shift, 0x10 },
        { Qt::Key_Control, 0x11 },
        { Qt::Key_Alt, 0x12 },
        { Qt::Key_Pause, 0x13 },
        { Qt::Key_CapsLock, 0x14 },
        { Qt::Key_Escape, 0x1b },
        { Qt::Key_Space, 0x20 },
        { Qt::Key_PageUp, 0x21 },
        { Qt::Key_PageDown, 0x22 },
        { Qt::Key_End, 0x23 },
        { Qt::Key_Home, 0x24 },
        { Qt::Key_Left, 0x25 },
        { Qt::Key_Up, 0x26 },
        { Qt::Key_Right, 0x27 },
        { Qt::Key_Down, 0x28 },
        { Qt::Key_Insert, 0x2d },
        { Qt::Key_Delete, 0x2e },
    };
    auto it = named.find(key);
    return it == named.end() ? 0 : it->second;
}

std::int32_t keyState(Qt::KeyboardModifiers modifiers)
{
    std::int32_t state = 0;
    if (modifiers & Qt::ControlModifier)
        state |= ui::keys::ctrl;
    if (modifiers & Qt::ShiftModifier)
        state |= ui::keys::shift;
    if (modifiers & Qt::AltModifier)
        state |= ui::keys::alt;
    return state;
}

} // namespace platform::qt
