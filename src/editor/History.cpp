#include "editor/History.h"

void THistory::Add(std::unique_ptr<StageRecord> snapshot, int origin)
{
    // Room for the depth limit plus the one that is about to be dropped, so the
    // list itself never grows after the first push.
    if (FItems.capacity() < MaxDepth + 1)
        FItems.reserve(MaxDepth + 1);
    while (Count() > FPosition + 1)
        FItems.pop_back();  // the redo tail, last first
    FItems.push_back(TEntry{std::move(snapshot), origin});
    if (Count() > MaxDepth) {
        FItems.erase(FItems.begin());
        Back();
    }
    ++FPosition;
}

bool THistory::Back()
{
    if (FPosition < 0)
        return false;
    --FPosition;
    return true;
}

bool THistory::Forward()
{
    if (FPosition >= Count() - 1)
        return false;
    ++FPosition;
    return true;
}
