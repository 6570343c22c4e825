#pragma once
// The stage file as stagetool's commands read and write it. Failures raise
// TToolError naming the file.

#include "stage/StageRecord.h"
#include "storage/StageFile.h"

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <map>
#include <optional>
#include <string>
#include <vector>

// Every whole record of the stage file; more than `maxRecords` is an error
// that `tooMany` words.
TStageRecords ReadAllRecords(const std::filesystem::path& file, std::int64_t maxRecords, const std::string& tooMany);

// Saves `record` as stage `number` as the editor saves, under the file's
// lock: into the file (found as the editor finds it), padded with empty
// records up to `number`. A missing file is made whole or not at all. A file
// that ends inside a stage is refused, naming the piece: it may be a copy
// cut short, or no stage file at all.
void SaveStageRecord(const std::filesystem::path& file, int number, const StageRecord& record);

// Names on `err` the piece the stage file ended with, which `command`
// dropped by replacing the whole file; nothing when there was none.
void NameDroppedPiece(const std::filesystem::path& file, const std::optional<TStageFilePiece>& piece,
                      const char* command, std::ostream& err);

// Puts `records` (by stage number) into the stage file with one safe
// replace, under the file's lock from reading it to replacing it: the file's
// other whole records stay as they are, empty records
// pad up to the highest number, and a missing file is made. A trailing piece
// that is no record is dropped (NameDroppedPiece). Nothing is
// written when the file cannot be read whole.
void ReplaceStageRecords(const std::filesystem::path& file, const std::map<int, StageRecord>& records,
                         const char* command, std::ostream& err);
