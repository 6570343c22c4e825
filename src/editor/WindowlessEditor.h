#pragma once
// The editor without windows, for what draws or makes a stage as the editor
// does (stagetool's render, sheet and random, the stage renderer, tests):
// a host holding what the windows would show as plain fields, and a form
// around it.

#include "editor/EditorHost.h"
#include "editor/Main.h"
#include "engine/DXDraws.h"

#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

class TWindowlessHost : public TEditorHost {
public:
    // The form whose display RestoreDisplay reloads; set it once the form exists.
    TMainForm* Form = nullptr;

    // What the "All layer" and "Gird" buttons would show.
    bool AllLayer = true;
    bool Grid = false;
    bool UndoEnabled = false;
    bool RedoEnabled = false;
    int RestoreCount = 0;
    bool ToolWindowShown = false;
    // Every error reported, in order; the caller shows them once it is done.
    std::vector<std::string> Errors;
    void SetAllLayerDown(bool down) override { AllLayer = down; }
    void SetGridDown(bool down) override { Grid = down; }
    void SetUndoEnabled(bool enabled) override { UndoEnabled = enabled; }
    void SetRedoEnabled(bool enabled) override { RedoEnabled = enabled; }

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
    // Kept until RunLater or RunDelayed, as an event loop keeps them until
    // the event being handled is done or the delay has passed. A recovery
    // writer's thread may hand work over too.
    void Later(std::function<void()> job, std::chrono::milliseconds delay) override
    {
        const std::lock_guard lock(FJobsMutex);
        (delay.count() > 0 ? DelayedJobs : Jobs).push_back(std::move(job));
    }
    // Runs the work handed over, and the work that hands over in turn.
    void RunLater()
    {
        for (;;) {
            std::vector<std::function<void()>> due;
            {
                const std::lock_guard lock(FJobsMutex);
                due.swap(Jobs);
            }
            if (due.empty())
                return;
            for (const std::function<void()>& job : due)
                job();
        }
    }
    // The delays have passed: runs what waited for them, then RunLater.
    void RunDelayed()
    {
        {
            const std::lock_guard lock(FJobsMutex);
            Jobs.insert(Jobs.end(), DelayedJobs.begin(), DelayedJobs.end());
            DelayedJobs.clear();
        }
        RunLater();
    }

private:
    std::mutex FJobsMutex;
    // The work handed over for later, in order: at once when the event is
    // done (RunLater runs it), or after a delay (RunDelayed).
    std::vector<std::function<void()>> Jobs;
    std::vector<std::function<void()>> DelayedJobs;
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
        Form.Document.SetStageNum(stageNumber);
        Form.ClearLayers();
    }
};
