#pragma once
// A host for running the editor without windows: the tool window's state as
// plain fields. The stage number control behaves as the real one does: it
// keeps its position within 0..99 and reports a change to the form.

#include "editor/EditorHost.h"
#include "editor/Main.h"

#include <algorithm>
#include <string>

class TCliHost : public TEditorHost {
public:
    // The form whose edStageNumChange the stage number control calls; set it
    // once the form exists.
    TMainForm* Form = nullptr;

    int Tool = 0;
    int Tile = 0;
    bool AllLayer = true;
    bool Grid = false;
    bool UndoEnabled = false;
    bool RedoEnabled = false;
    std::string Caption;
    std::string OptionCaption;
    int StageNumPosition = 0;
    int RestoreCount = 0;
    bool ToolWindowShown = false;

    int ToolMode() const override { return Tool; }
    int CurTile() const override { return Tile; }
    bool AllLayerDown() const override { return AllLayer; }
    void SetAllLayerDown(bool down) override { AllLayer = down; }
    bool GridDown() const override { return Grid; }
    void SetGridDown(bool down) override { Grid = down; }
    void SetUndoEnabled(bool enabled) override { UndoEnabled = enabled; }
    void SetRedoEnabled(bool enabled) override { RedoEnabled = enabled; }
    void SetWindowCaption(const std::string& caption) override { Caption = caption; }
    void SetOptionCaption(const std::string& caption) override { OptionCaption = caption; }

    void SetStageNumControl(int value) override
    {
        const int position = std::clamp(value, 0, 99);
        if (position == StageNumPosition)
            return;
        StageNumPosition = position;
        if (Form)
            Form->edStageNumChange(position);
    }

    void RestoreDisplay() override { ++RestoreCount; }
    bool ToolWindowVisible() const override { return ToolWindowShown; }
    void SetToolWindowVisible(bool visible) override { ToolWindowShown = visible; }
};
