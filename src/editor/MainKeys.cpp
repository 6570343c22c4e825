// The main window's keys. The first matching row decides; the key is never
// swallowed (it is passed by reference only to match the window's handler).
#include "editor/Main.h"

#include "engine/DXClass.h"

namespace {

struct TStep {
    int Dx, Dy;
};

// Virtual-key codes 33..40 and their step in cells; the four keypad corners
// move diagonally.
bool DirectionStep(std::uint16_t key, TStep& step)
{
    switch (key) {
    case VK::Prior: step = {+1, -1}; return true;
    case VK::Next: step = {+1, +1}; return true;
    case VK::End: step = {-1, +1}; return true;
    case VK::Home: step = {-1, -1}; return true;
    case VK::Left: step = {-1, 0}; return true;
    case VK::Up: step = {0, -1}; return true;
    case VK::Right: step = {+1, 0}; return true;
    case VK::Down: step = {0, +1}; return true;
    default: return false;
    }
}

}  // namespace

void TMainForm::FormKeyDown(std::uint16_t& key, TShiftState shift)
{
    FKeyPressed = true;
    const bool alt = shift & ssAlt;
    const bool ctrl = shift & ssCtrl;
    const bool shiftHeld = shift & ssShift;
    const bool exactlyCtrl = ctrl && !shiftHeld && !alt;
    const bool exactlyCtrlShift = ctrl && shiftHeld && !alt;

    if (key == VK::Z && exactlyCtrl) {
        Undo();
        return;
    }
    if ((key == VK::Z && exactlyCtrlShift) || (key == VK::Y && exactlyCtrl)) {
        Redo();
        return;
    }
    // The zoom is the window's; Shift may be needed to type the plus.
    if (ctrl && !alt) {
        if (key == VK::OemPlus || key == VK::Add) {
            Host.ZoomDisplay(TZoomStep::In);
            return;
        }
        if (key == VK::OemMinus || key == VK::Subtract) {
            Host.ZoomDisplay(TZoomStep::Out);
            return;
        }
        if (key == VK::Digit0) {
            Host.ZoomDisplay(TZoomStep::Reset);
            return;
        }
    }
    // The function keys work whatever the tool and the modifiers.
    switch (key) {
    case VK::F2:
        ShowReadout = !ShowReadout;
        Host.SetReadoutVisible(ShowReadout);
        return;
    case VK::F4: Host.SetStagesWindowVisible(!Host.StagesWindowVisible()); return;
    case VK::F5: ShowStatus = !ShowStatus; return;
    case VK::F6: Host.SetToolWindowVisible(!Host.ToolWindowVisible()); return;
    case VK::F7:
        AllLayerDown = !AllLayerDown;
        Host.SetAllLayerDown(AllLayerDown);
        tbShowAllClick();
        return;
    case VK::F8:
        ShowGrid = !ShowGrid;
        Host.SetGridDown(ShowGrid);
        return;
    case VK::F9: SetTimeMode60(!TimeMode60); return;
    case VK::F11: ShowCompareOutline = !ShowCompareOutline; return;
    case VK::F3:
        // Another stage opened under a held button would take the rest of
        // the stroke.
        if (DownPos.X < 0 || DownPos.Y < 0)
            Document.OpenFound(!shiftHeld);
        return;
    default: break;
    }
    if (key == VK::F && exactlyCtrl) {
        Host.OpenFind();
        return;
    }
    // The selection commands belong to the select tool alone.
    if (ToolMode != TToolMode::Select)
        return;
    if (alt) {
        if (key == VK::Left || key == VK::Right)
            MirrorSelectionH();
        else if (key == VK::Up || key == VK::Down)
            MirrorSelectionV();
        return;
    }
    TStep step{};
    if (DirectionStep(key, step)) {
        // Ctrl carries the cells (Ctrl+Shift stamps a copy). The copy is taken
        // before the old place is cleared and pasted after the move, so an
        // overlapping move keeps every cell.
        if (ctrl) {
            PushHistory();
            CopySelection();
            if (!shiftHeld)
                ClearSelection();
        }
        MoveSelection(step.Dx, step.Dy);
        if (ctrl)
            PasteSelection();
        return;
    }
    if (key == VK::Insert || (key == VK::V && exactlyCtrl)) {
        PushHistory();
        PasteSelection();
    } else if (key == VK::Delete) {
        PushHistory();
        ClearSelection();
    } else if (key == VK::X && exactlyCtrl) {
        CopySelection();
        PushHistory();
        ClearSelection();
    } else if (key == VK::C && exactlyCtrl) {
        CopySelection();
    }
}

// The 60 FPS mode gives the frame timer an interval of 16 ms, and the timer
// then counts its lag in units of 16 ms. LagTime stays in milliseconds: while
// TimeMode60 is set, DXTimerTimer must scale the lag it receives by 16 before
// adding it, so animation speed is the same in both modes.
void TMainForm::SetTimeMode60(bool on)
{
    TimeMode60 = on;
    if (DXTimer)
        DXTimer->SetInterval(on ? 16 : 0);
}
