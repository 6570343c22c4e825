// Loading and saving the current stage in the stage file. The file is looked
// up ignoring letter case at each load and save; a save writes into the file
// found, under its own name.
#include "editor/Main.h"

#include "storage/FileLookup.h"
#include "storage/StageFile.h"

void TMainForm::LoadStage()
{
    ShadowLayer->Visible = true;
    BGLayer->Visible = true;
    FGLayer->Visible = true;
    if (!ReadStageFile())
        GenerateRandomStage();
}

// A failed read leaves the live stage untouched.
bool TMainForm::ReadStageFile()
{
    StageRecord record;
    if (!ReadStageRecord(FindStageFile(StageFileName), StageNum, record))
        return false;
    ApplyStage(record);
    return true;
}

bool TMainForm::WriteStageFile()
{
    StageRecord padding;
    ::EmptyStage(padding);
    StageRecord record;
    CaptureStage(record);
    return WriteStageRecord(FindStageFile(StageFileName), StageNum, record, padding);
}
