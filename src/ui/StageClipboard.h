#pragma once
// Stages on the clipboard and in a drag: their text maps one after another
// (so they paste into a text editor, or into another editor working on
// another folder), their records byte for byte, and which stages of which
// stage file they are (so a drag within the window moves them).

#include "stage/StageRecord.h"

#include <filesystem>
#include <string>
#include <vector>

class QMimeData;

struct TCopiedStage {
    int Number = 0;
    StageRecord Record{};
};

// The mime data of `stages` (in their order), copied from `stageFile`.
QMimeData* StagesMimeData(const std::vector<TCopiedStage>& stages, const std::filesystem::path& stageFile);

struct TStagesOnClipboard {
    std::vector<StageRecord> Records;  // none: no stage
    // The numbers they had in the stage file, when this process copied
    // them from the stage file it works on now; empty otherwise.
    std::vector<int> Numbers;
    std::string Error;  // why its stages cannot be taken
};

// The stages in `mime`: its records when it carries them, else every text
// map of its text, read as a text map file is read and built as an import
// builds it.
TStagesOnClipboard StagesFromMimeData(const QMimeData& mime, const std::filesystem::path& stageFile);

// Whether `mime` may hold stages (records, or any text), without reading them.
bool MayHoldStages(const QMimeData* mime);
