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

inline std::filesystem::path ExampleStageFile()
{
    return ExamplesFolder() / "Stage.Dat";
}

inline std::vector<StageRecord> ExampleRecords()
{
    return ReadStageRecords(ExampleStageFile(), StageCount).Records;
}
