// Loading and saving the current stage in the stage file. The document names
// the file and the stage number; the file is looked up ignoring letter case
// at each load and save, and a save writes into the file found, under its own
// name. Each load and each successful save sets what the live stage counts
// as saved against (TDocument::TakeAsSaved).
#include "editor/Main.h"

#include "storage/StageFile.h"

void TMainForm::LoadStage()
{
    ShadowLayer->Visible = true;
    BGLayer->Visible = true;
    FGLayer->Visible = true;
    if (!ReadStageFile()) {
        GenerateRandomStage();
        Document.TakeAsSaved(nullptr);
    }
}

// A failed read leaves the live stage untouched.
bool TMainForm::ReadStageFile()
{
    StageRecord record;
    if (!ReadStageRecord(Document.StageFile(), Document.StageNum(), record))
        return false;
    ApplyStage(record);
    Document.TakeAsSaved(&record);
    return true;
}

bool TMainForm::WriteStageFile(std::string* why, TNewStageFile create)
{
    StageRecord record;
    CaptureStage(record);
    const std::filesystem::path file = Document.StageFile();
    const TRecordSave written = SaveStageRecord(file, Document.StageNum(), record, create, TDamagedFile::WriteOver);
    if (!written) {
        if (why)
            *why = file.filename().string() + ": " + written.Error;
        return false;
    }
    Document.TakeAsSaved(&record);
    return true;
}
