#include "editor/StageSetHistory.h"

#include <utility>

void TStageSetHistory::Push(TStageSetStep step, std::string label)
{
    FRedo.clear();
    FUndo.push_back({std::move(step), std::move(label)});
    if (FUndo.size() > Capacity)
        FUndo.pop_front();
}

void TStageSetHistory::Clear()
{
    FUndo.clear();
    FRedo.clear();
}

void TStageSetHistory::Undone()
{
    if (FUndo.empty())
        return;
    FRedo.push_back(std::move(FUndo.back()));
    FUndo.pop_back();
}

void TStageSetHistory::Redone()
{
    if (FRedo.empty())
        return;
    FUndo.push_back(std::move(FRedo.back()));
    FRedo.pop_back();
}
