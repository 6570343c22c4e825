#pragma once
// What the editor core needs from the windows around it. The main window
// implements it; tests implement it with plain fields. Every call comes from
// the user-interface thread.

#include "editor/ToolMode.h"

#include <string>

class TEditorHost {
public:
    virtual ~TEditorHost() = default;

    // The tool window's pressed tool.
    virtual TToolMode ToolMode() const = 0;
    // The pressed palette button, 0..19.
    virtual int CurTile() const = 0;
    // The down state of the "All layer" and "Gird" buttons; setting it only
    // changes the button, the core performs the click action itself.
    virtual bool AllLayerDown() const = 0;
    virtual void SetAllLayerDown(bool down) = 0;
    virtual bool GridDown() const = 0;
    virtual void SetGridDown(bool down) = 0;

    virtual void SetUndoEnabled(bool enabled) = 0;
    virtual void SetRedoEnabled(bool enabled) = 0;

    // UTF-8 texts written by UpdateTitle.
    virtual void SetWindowCaption(const std::string& caption) = 0;
    virtual void SetOptionCaption(const std::string& caption) = 0;

    // Sets the stage number control; the control keeps it within 0..99 and, when
    // its position changes, calls the core's edStageNumChange.
    virtual void SetStageNumControl(int value) = 0;

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
};
