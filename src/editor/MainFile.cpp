// Loading and saving the current stage in the stage file.
#include "editor/Main.h"

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
    if (!ReadStageRecord(StageFileName, StageNum, record))
        return false;
    ApplyStage(record);
    return true;
}

bool TMainForm::WriteStageFile()
{
    StageRecord padding;
    EmptyStage(padding);
    StageRecord record;
    CaptureStage(record);
    return WriteStageRecord(StageFileName, StageNum, record, padding);
}
