#include "cli/StageSave.h"

#include "cli/ToolArgs.h"
#include "storage/SafeWrite.h"
#include "storage/StageSetFile.h"

#include <ostream>
#include <system_error>

namespace {

// The file's records `current` (none when there is no file to read) with
// `records` put at their numbers, grown with empty records to reach them.
TStageFileContent WithRecords(const TStageRecords& current, const std::map<int, StageRecord>& records)
{
    if (current.Read && current.WholeRecords > MaxStageFileRecords)
        return TStageFileContent{{},
                                 "it holds " + std::to_string(current.WholeRecords)
                                     + " records, more than a stage file holds; nothing written"};
    std::vector<StageRecord> all = current.Read ? current.Records : std::vector<StageRecord>{};
    if (!records.empty() && all.size() <= static_cast<std::size_t>(records.rbegin()->first)) {
        StageRecord empty;
        EmptyStage(empty);
        all.resize(static_cast<std::size_t>(records.rbegin()->first) + 1, empty);
    }
    for (const auto& [number, record] : records)
        all[static_cast<std::size_t>(number)] = record;
    return TStageFileContent{StageFileBytes(all), {}};
}

}  // namespace

TStageRecords ReadAllRecords(const std::filesystem::path& file, std::int64_t maxRecords, const std::string& tooMany)
{
    TStageRecords records = ReadStageRecords(file, maxRecords);
    if (!records.Read)
        throw TToolError("cannot read " + file.string() + ": " + records.Error);
    if (records.TooMany)
        throw TToolError(file.string() + " holds " + std::to_string(records.WholeRecords) + " records; " + tooMany);
    return records;
}

void SaveStageRecord(const std::filesystem::path& file, int number, const StageRecord& record)
{
    StageRecord empty;
    EmptyStage(empty);
    std::error_code error;
    if (!std::filesystem::exists(std::filesystem::symlink_status(file, error))) {
        // A new file is made whole or not at all: a full disk leaves none.
        const TWriteResult created = CreateStageFileWith(file, number, record, empty);
        if (created)
            return;
        if (!created.AlreadyExists)
            throw TToolError("cannot create " + file.string() + ": " + created.Error);
        // Another program made it meanwhile: save into it as into any file.
    }
    // As the editor saves: into the file found ignoring case, padded with empty records.
    const TRecordResult written = WriteStageRecord(file, number, record, empty, TDamagedFile::Refuse);
    if (written.Piece)
        throw TToolError(StageFilePieceText(file, *written.Piece)
                         + " Nothing written: it may be a copy cut short, or no stage file at all.");
    if (!written)
        throw TToolError("cannot write stage " + std::to_string(number) + " to " + file.string() + ": "
                         + written.Error);
}

void NameDroppedPiece(const std::filesystem::path& file, const std::optional<TStageFilePiece>& piece,
                      const char* command, std::ostream& err)
{
    if (piece)
        err << "stagetool " << command << ": " << StageFilePieceText(file, *piece) << " That piece is dropped.\n";
}

void ReplaceStageRecords(const std::filesystem::path& file, const std::map<int, StageRecord>& records,
                         const char* command, std::ostream& err)
{
    std::optional<TStageFilePiece> dropped;
    // Under the file's lock from the read to the rename, so that no save or
    // import lands in between and is lost.
    const TWriteResult written = ReplaceStageFile(file, MaxStageFileRecords, [&](const TStageRecords& current) {
        dropped = StageFilePieceOf(current);
        return WithRecords(current, records);
    });
    if (!written)
        throw TToolError("cannot write " + file.string() + ": " + written.Error);
    NameDroppedPiece(file, dropped, command, err);
}
