#include "ui/KeyMap.h"

bool QtKeyToVirtualKey(int qtKey, std::uint16_t& key)
{
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) {
        key = static_cast<std::uint16_t>('A' + (qtKey - Qt::Key_A));
        return true;
    }
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) {
        key = static_cast<std::uint16_t>('0' + (qtKey - Qt::Key_0));
        return true;
    }
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) {
        key = static_cast<std::uint16_t>(0x70 + (qtKey - Qt::Key_F1));
        return true;
    }
    switch (qtKey) {
    case Qt::Key_PageUp: key = VK::Prior; return true;
    case Qt::Key_PageDown: key = VK::Next; return true;
    case Qt::Key_End: key = VK::End; return true;
    case Qt::Key_Home: key = VK::Home; return true;
    case Qt::Key_Left: key = VK::Left; return true;
    case Qt::Key_Up: key = VK::Up; return true;
    case Qt::Key_Right: key = VK::Right; return true;
    case Qt::Key_Down: key = VK::Down; return true;
    case Qt::Key_Insert: key = VK::Insert; return true;
    case Qt::Key_Delete: key = VK::Delete; return true;
    // Ctrl with the plus key comes as plus or as equals, with Shift or without.
    case Qt::Key_Plus:
    case Qt::Key_Equal: key = VK::OemPlus; return true;
    case Qt::Key_Minus: key = VK::OemMinus; return true;
    case Qt::Key_Space: key = 32; return true;
    case Qt::Key_Return:
    case Qt::Key_Enter: key = 13; return true;
    case Qt::Key_Escape: key = 27; return true;
    case Qt::Key_Tab: key = 9; return true;
    case Qt::Key_Backspace: key = 8; return true;
    default: return false;
    }
}

TShiftState ShiftFromQt(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons)
{
    TShiftState shift = 0;
    if (modifiers & Qt::ShiftModifier)
        shift |= ssShift;
    if (modifiers & Qt::ControlModifier)
        shift |= ssCtrl;
    if (modifiers & Qt::AltModifier)
        shift |= ssAlt;
    if (buttons & Qt::LeftButton)
        shift |= ssLeft;
    if (buttons & Qt::RightButton)
        shift |= ssRight;
    if (buttons & Qt::MiddleButton)
        shift |= ssMiddle;
    return shift;
}

bool MouseButtonFromQt(Qt::MouseButton button, TMouseButton& result)
{
    switch (button) {
    case Qt::LeftButton: result = TMouseButton::mbLeft; return true;
    case Qt::RightButton: result = TMouseButton::mbRight; return true;
    case Qt::MiddleButton: result = TMouseButton::mbMiddle; return true;
    default: return false;
    }
}

bool IsEditorKey(int qtKey, Qt::KeyboardModifiers modifiers)
{
    const bool ctrl = (modifiers & Qt::ControlModifier) && !(modifiers & Qt::AltModifier);
    switch (qtKey) {
    case Qt::Key_F2:   // the cursor readout
    case Qt::Key_F3:   // the next (Shift: previous) stage holding what Find seeks
    case Qt::Key_F4:   // the Stages window
    case Qt::Key_F5:   // the status lines
    case Qt::Key_F6:   // the tool window
    case Qt::Key_F7:   // all layers
    case Qt::Key_F8:   // the grid
    case Qt::Key_F9:   // the time mode
    case Qt::Key_F11:  // the compare outline
        return true;
    case Qt::Key_F:  // Find
        return modifiers == Qt::ControlModifier;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
    case Qt::Key_Minus:
    case Qt::Key_0:  // the zoom
        return ctrl;
    default: return false;
    }
}
