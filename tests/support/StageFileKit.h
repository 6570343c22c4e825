#pragma once
// Test stage files built record by record.

#include "stage/StageRecord.h"
#include "storage/StageFile.h"
#include "support/ScratchDir.h"

#include <filesystem>
#include <fstream>
#include <string>

// Writes `record` as record `number` of `file`, making the file as needed;
// the records before `number` that the file lacks become empty padding.
inline bool PutStageRecord(const std::filesystem::path& file, int number, const StageRecord& record)
{
    std::ofstream(file, std::ios::app).close();
    StageRecord padding;
    EmptyStage(padding);
    return static_cast<bool>(WriteStageRecord(file, number, record, padding));
}

// A record's 6000 bytes as the file holds them.
inline std::string RecordBytes(const StageRecord& record)
{
    return std::string(reinterpret_cast<const char*>(&record), sizeof record);
}

inline std::string EmptyRecordBytes()
{
    StageRecord record;
    EmptyStage(record);
    return RecordBytes(record);
}

// A scratch folder whose "Stage.Dat" is File, read and written whole.
class TStageFileTest : public TScratchDirTest {
protected:
    explicit TStageFileTest(std::string prefix) : TScratchDirTest(std::move(prefix)) {}

    void SetUp() override
    {
        TScratchDirTest::SetUp();
        File = Dir / "Stage.Dat";
    }

    void WriteBytes(const std::string& bytes) const { WriteFile(File, bytes); }
    std::string ReadBytes() const { return ReadFile(File); }

    std::filesystem::path File;
};
