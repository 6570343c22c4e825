#pragma once
// What the editor core needs from the windows around it: it tells them what
// to show, and hands them work for later. It never reads its own state back
// from them (the tool, the brush, "All layer" and the grid are the core's).
// The main window implements it; tests implement it with plain fields. Every
// call but Later comes from the window thread.

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

// What a zoom key asks of the display: one step larger or smaller, or back to 1x.
enum class TZoomStep { In, Out, Reset };

class TEditorHost {
public:
    virtual ~TEditorHost() = default;

    // The "All layer" and "Gird" buttons show `down`; the core performs the
    // click action itself.
    virtual void SetAllLayerDown(bool down) = 0;
    virtual void SetGridDown(bool down) = 0;

    virtual void SetUndoEnabled(bool enabled) = 0;
    virtual void SetRedoEnabled(bool enabled) = 0;

    // The display must reload its surfaces (the background picture changed).
    virtual void RestoreDisplay() = 0;

    // An error the user must see (a background picture that cannot be read).
    // Called in the middle of an operation, it is shown only after the
    // current event handler has finished, so the operation always runs to
    // its end first; the same text reported twice before it is shown is
    // shown once.
    virtual void ReportError(const std::string& text) = 0;

    virtual bool ToolWindowVisible() const = 0;
    virtual void SetToolWindowVisible(bool visible) = 0;

    // The "Stages" window (F4). A host without one never shows it.
    virtual bool StagesWindowVisible() const { return false; }
    virtual void SetStagesWindowVisible(bool /*visible*/) {}

    // The cursor readout (F2): its strip shows or hides, and the text it
    // shows (UTF-8; empty while the pointer is off the field). A host without
    // one shows nothing.
    virtual void SetReadoutVisible(bool /*visible*/) {}
    virtual void SetReadoutText(std::string_view /*text*/) {}

    // False while nobody can see the display (its window minimised, or not
    // on the screen): frames are then not drawn. A host without a window
    // counts as seen, so its frames are drawn as ever.
    virtual bool DisplaySeen() const { return true; }

    // The display's zoom is the window's; the keys only ask for a step.
    virtual void ZoomDisplay(TZoomStep /*step*/) {}

    // Find (Ctrl+F): asks what to seek and gives it to the document. A host
    // without windows has nothing to ask with.
    virtual void OpenFind() {}

    // Runs `job` on the window thread once the event being handled is done,
    // or `delay` later. Callable from any thread. A host without an event
    // loop (the command-line tool, the stage renderer) never runs it.
    virtual void Later(std::function<void()> /*job*/, std::chrono::milliseconds /*delay*/ = {}) {}
};
