#pragma once
// Translation of the window system's keys, buttons and modifiers into the
// editor's virtual-key codes and shift states.

#include "editor/Keys.h"

#include <Qt>

#include <cstdint>

// False for keys the editor has no code for.
bool QtKeyToVirtualKey(int qtKey, std::uint16_t& key);
TShiftState ShiftFromQt(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons = Qt::NoButton);
// False for buttons other than left, right and middle.
bool MouseButtonFromQt(Qt::MouseButton button, TMouseButton& result);

// The keys the editor's other windows pass to the main window's key handler
// (FormKeyDown), so they act wherever the focus is: the view switches, the
// zoom, Find and the compare outline. A window's own keys (the Stages window's Ctrl+Z, Ctrl+Y) are not
// among them.
bool IsEditorKey(int qtKey, Qt::KeyboardModifiers modifiers);
