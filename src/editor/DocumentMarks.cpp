// The document's comparison and find: both follow the stage file as it is
// on disk, never the live stage's unsaved changes (the frame's outlines
// show those).
#include "editor/Document.h"

#include "storage/StageFile.h"

#include <utility>

unsigned TDocument::ReadMarkedStages()
{
    if (!FComparison.On() && !FSearch.On())
        return 0;
    // A file that cannot be read holds no stages: every compared one is removed.
    const std::vector<StageRecord> records = ReadFirstStageRecords(StageFile(), StageCount).Records;
    FComparison.Pair(records);
    FSearch.Count(records);
    return MarksChanged;
}

void TDocument::CompareWith(std::vector<StageRecord> compared, std::string source)
{
    FComparison.Start(std::move(compared), std::move(source));
    Notify(ReadMarkedStages());
}

void TDocument::StopComparing()
{
    FComparison.Stop();
    Notify(MarksChanged);
}

void TDocument::Find(TSought sought)
{
    FSearch.Start(std::move(sought));
    Notify(ReadMarkedStages());
}

void TDocument::StopFinding()
{
    FSearch.Stop();
    Notify(MarksChanged);
}

bool TDocument::OpenFound(bool forward)
{
    const int next = FSearch.On() ? FSearch.Next(FStageNum, forward) : -1;
    return next >= 0 && OpenStage(next);
}
