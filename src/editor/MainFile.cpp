// Loading and saving the current stage in the stage file. The file is looked
// up ignoring letter case at each load and save; a save writes into the file
// found, under its own name. Each load and each successful save sets what the
// live stage counts as saved against (MainSaved.cpp).
#include "editor/Main.h"

#include "storage/FileLookup.h"
#include "storage/SafeWrite.h"
#include "storage/StageFile.h"

#include <system_error>

void TMainForm::LoadStage()
{
    ShadowLayer->Visible = true;
    BGLayer->Visible = true;
    FGLayer->Visible = true;
    if (!ReadStageFile()) {
        GenerateRandomStage();
        TakeAsSaved(nullptr);
    }
}

// A failed read leaves the live stage untouched.
bool TMainForm::ReadStageFile()
{
    StageRecord record;
    if (!ReadStageRecord(FindStageFile(StageFileName), StageNum, record))
        return false;
    ApplyStage(record);
    TakeAsSaved(&record);
    return true;
}

bool TMainForm::WriteStageFile()
{
    StageRecord padding;
    ::EmptyStage(padding);
    StageRecord record;
    CaptureStage(record);
    if (!WriteStageRecord(FindStageFile(StageFileName), StageNum, record, padding))
        return false;
    TakeAsSaved(&record);
    return true;
}

TWriteResult TMainForm::WriteNewStageFile()
{
    StageRecord padding;
    ::EmptyStage(padding);
    StageRecord record;
    CaptureStage(record);
    TWriteResult written = CreateStageFileWith(FindStageFile(StageFileName), StageNum, record, padding);
    if (written)
        TakeAsSaved(&record);
    return written;
}

std::filesystem::path TMainForm::GameFolder() const
{
    std::error_code error;
    const std::filesystem::path file = std::filesystem::absolute(StageFileName, error);
    return (error ? StageFileName : file).lexically_normal().parent_path();
}

void TMainForm::EnterGameFolder(const std::filesystem::path& folder)
{
    StageFileName = folder / DefaultStageFileName;
    PictureFolder = folder;
    History = THistory();
    UpdateUndoButtons();
    StageSetHistory.Clear();
    Saved = TSaveState();
    // The control reports its new position back through edStageNumChange.
    Host.SetStageNumControl(0);
    StageNum = 0;
}
