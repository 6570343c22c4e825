#pragma once
// Test stage files built record by record.

#include "stage/StageRecord.h"
#include "storage/StageFile.h"

#include <filesystem>
#include <fstream>

// Writes `record` as record `number` of `file`, making the file as needed;
// the records before `number` that the file lacks become empty padding.
inline bool PutStageRecord(const std::filesystem::path& file, int number, const StageRecord& record)
{
    std::ofstream(file, std::ios::app).close();
    StageRecord padding;
    EmptyStage(padding);
    return static_cast<bool>(WriteStageRecord(file, number, record, padding));
}
