#pragma once
// The example game folder of the checkout (examples/) and its stages, for
// tests built with STAGE_TEST_DATA.

#include "stage/StageRecord.h"
#include "storage/StageFile.h"

#include <filesystem>
#include <vector>

inline std::filesystem::path ExamplesFolder()
{
    return std::filesystem::path(STAGE_TEST_DATA) / ".." / ".." / "examples";
}

inline std::vector<StageRecord> ExampleRecords()
{
    std::vector<StageRecord> records;
    StageRecord record;
    for (int n = 0; ReadStageRecord(ExamplesFolder() / "Stage.Dat", n, record); ++n)
        records.push_back(record);
    return records;
}
