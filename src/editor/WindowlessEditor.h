#pragma once
// The editor without windows, for what draws or makes a stage as the editor
// does (stagetool's render, sheet and random, the stage renderer, tests):
// a host holding the tool window's state as plain fields, and a form around
// it. The stage number control behaves as the real one does: it keeps its
// position within 0..MaxStageNumber and reports a change to the form.

#include "editor/EditorHost.h"
#include "editor/Main.h"
#include "engine/DXDraws.h"

#include <algorithm>
#include <string>
#include <vector>

class TWindowlessHost : public TEditorHost {
public:
    // The form whose edStageNumChange the stage number control calls; set it
    // once the form exists.
    TMainForm* Form = nullptr;

    TToolMode Tool = TToolMode::Select;
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
    // Every error reported, in order; the caller shows them once it is done.
    std::vector<std::string> Errors;

    TToolMode ToolMode() const override { return Tool; }
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
        const int position = std::clamp(value, 0, MaxStageNumber);
        if (position == StageNumPosition)
            return;
        StageNumPosition = position;
        if (Form)
            Form->edStageNumChange(position);
    }

    // As the main window does: the form's display reloads its surfaces, which
    // it does only while it is initialised.
    void RestoreDisplay() override
    {
        ++RestoreCount;
        if (Form && Form->DXDraw)
            Form->DXDraw->Restore();
    }
    void ReportError(const std::string& text) override { Errors.push_back(text); }
    bool ToolWindowVisible() const override { return ToolWindowShown; }
    void SetToolWindowVisible(bool visible) override { ToolWindowShown = visible; }
};

// A freshly started editor around a windowless host, at stage `stageNumber`
// with empty layers. An offscreen form (the default) leaves the program's
// random generator alone; the editor's own seeds it, as the editor does.
struct TWindowlessEditor {
    TWindowlessHost Host;
    TMainForm Form;

    explicit TWindowlessEditor(int stageNumber = 0, TFormUse use = TFormUse::Offscreen) : Form(Host, use)
    {
        Host.Form = &Form;
        Host.StageNumPosition = stageNumber;
        Form.StageNum = static_cast<std::uint16_t>(stageNumber);
        Form.ClearLayers();
    }
};
