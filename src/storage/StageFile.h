#pragma once
// The stage file: StageRecord N at byte 6000 * N, no header. A trailing piece
// shorter than a record is not a record. Each call opens and closes the file.

#include "editor/StageRecord.h"

#include <cstdint>
#include <filesystem>
#include <optional>

// Reads record `number`. Opens the file for reading only; false when it
// cannot be opened or the record is not wholly in the file (record untouched
// then).
bool ReadStageRecord(const std::filesystem::path& file, int number, StageRecord& record);

// Writes `record` as record `number` of an existing file; the file is never
// created. While the file holds fewer than `number` whole records, `padding`
// is written at the end of the last whole record (so a trailing piece is
// overwritten from its start). True when every positioning and write
// succeeded; records already appended stay after a failure.
bool WriteStageRecord(const std::filesystem::path& file, int number, const StageRecord& record,
                      const StageRecord& padding);

// Whole records in the file, or nothing when it cannot be opened for reading.
std::optional<std::int64_t> StageRecordCount(const std::filesystem::path& file);

// Creates a new file of `count` copies of `record`; false (and nothing
// touched) when the file already exists or cannot be made.
bool CreateStageFile(const std::filesystem::path& file, int count, const StageRecord& record);
