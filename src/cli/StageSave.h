#pragma once
// The stage file as stagetool's commands read and write it. Failures raise
// TToolError naming the file.

#include "stage/StageRecord.h"
#include "storage/StageFile.h"

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <map>
#include <string>
#include <vector>

// Every whole record of the stage file; more than `maxRecords` is an error
// that `tooMany` words.
TStageRecords ReadAllRecords(const std::filesystem::path& file, std::int64_t maxRecords, const std::string& tooMany);

// Saves `record` as stage `number` as the editor saves, under the file's
// lock: into the file (found as the editor finds it), padded with empty
// records up to `number`. A missing file is made whole or not at all.
void SaveStageRecord(const std::filesystem::path& file, int number, const StageRecord& record);

// Writes `records` as the whole stage file with one safe replace, under the
// file's lock.
void WriteWholeStageFile(const std::filesystem::path& file, const std::vector<StageRecord>& records);

// Puts `records` (by stage number) into the stage file with one safe
// replace, under the file's lock from reading it to replacing it: the file's
// other whole records stay as they are, empty records
// pad up to the highest number, and a missing file is made. A trailing piece
// that is no record is dropped (named on `err` by `command`). Nothing is
// written when the file cannot be read whole.
void ReplaceStageRecords(const std::filesystem::path& file, const std::map<int, StageRecord>& records,
                         const char* command, std::ostream& err);
