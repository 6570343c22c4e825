#pragma once
// Test stage files built record by record.

#include "stage/StageRecord.h"
#include "storage/StageFile.h"
#include "support/ScratchDir.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

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

inline std::string RecordBytes(const std::vector<StageRecord>& records)
{
    std::string bytes;
    for (const StageRecord& record : records)
        bytes += RecordBytes(record);
    return bytes;
}

inline std::string EmptyRecordBytes()
{
    StageRecord record;
    EmptyStage(record);
    return RecordBytes(record);
}

// Stages named by one letter each; '.' is the empty stage.
inline std::vector<StageRecord> LetterStages(std::string_view names)
{
    std::vector<StageRecord> records(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        EmptyStage(records[i]);
        if (names[i] != '.')
            records[i].Caption.Assign(std::string(1, names[i]));
    }
    return records;
}

// The letters of the stages in a file's `bytes`; '.' for an empty stage,
// '?' for any other.
inline std::string StageLetters(const std::string& bytes)
{
    std::string names;
    for (std::size_t at = 0; at + sizeof(StageRecord) <= bytes.size(); at += sizeof(StageRecord)) {
        StageRecord record;
        std::memcpy(static_cast<void*>(&record), bytes.data() + at, sizeof record);
        names += IsEmptyRecord(record) ? '.' : record.Caption.Length == 1 ? record.Caption.Chars[0] : '?';
    }
    return names;
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
