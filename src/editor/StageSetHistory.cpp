#include "editor/StageSetHistory.h"

#include <utility>

void TStageSetHistory::Push(TEntry entry)
{
    FRedo.clear();
    FUndo.push_back(std::move(entry));
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
