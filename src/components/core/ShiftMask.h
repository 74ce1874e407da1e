#pragma once

#include <Qt>

// The state of the shift keys as a mask: 1 Shift, 2 Ctrl, 4 Alt.
inline int ShiftMask(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0)
           | (modifiers & Qt::AltModifier ? 4 : 0);
}
