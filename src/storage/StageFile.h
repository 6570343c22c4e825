#pragma once
// The stage file: StageRecord N at byte 6000 * N, no header. A trailing piece
// shorter than a record is not a record. Each call opens and closes the file.
// Only a regular file is used: a FIFO, socket, device or folder of the name
// fails at once, as a file that cannot be opened does. Other programs may have
// the file open meanwhile: a save holds an exclusive advisory lock (flock)
// while it measures and writes, a load or count a shared one, so no load sees
// a record half-written and two saves never pad over each other's records. A
// replace of the whole file (ReplaceStageFile) holds the exclusive lock too.
// Whoever locked the file then checks that its name still leads to the file
// locked, and opens the new one when a replace put it in its place meanwhile;
// a save checks again after writing and writes into the new file as well
// when a program that takes no lock replaced it. A call that cannot get the
// lock within ten seconds fails.

#include "stage/StageRecord.h"
#include "storage/SafeWrite.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The most records anything reads of a stage file: a stage file holds 100;
// a file far larger is the wrong file and is left alone.
constexpr std::int64_t MaxStageFileRecords = 1000;

// A stage file that is not a whole number of records ends inside a stage:
// a copy cut short, or a file that is no stage file at all.
struct TStageFilePiece {
    std::int64_t Stage = 0;  // the stage it ends inside: the number of whole records before it
    std::int64_t Bytes = 0;  // how many of that stage's 6000 bytes are there, 1..5999

    bool operator==(const TStageFilePiece&) const = default;
};

// "Stage.Dat ends inside stage 04 (3000 of 6000 bytes).", with the name
// `file` has on disk ("STAGE.DAT" when it is so spelled).
std::string StageFilePieceText(const std::filesystem::path& file, const TStageFilePiece& piece);

// Whether saving record `number` writes into the piece or past it (the
// padding up to `number` then starts where the piece starts).
inline bool WritesOverPiece(const TStageFilePiece& piece, std::int64_t number)
{
    return number >= piece.Stage;
}

// The outcome of reading or writing a record: success, or why it failed in
// words for the user (the system's reason, such as "No space left on
// device", or "it holds 3 whole records" for a record past the end); the
// caller adds the file's name.
struct TRecordResult {
    std::string Error;
    // A write refused for the piece the file ends with (TDamagedFile::Refuse).
    std::optional<TStageFilePiece> Piece{};

    explicit operator bool() const { return Error.empty(); }
};

// What a record write does with a file that ends inside a stage.
enum class TDamagedFile {
    WriteOver,  // as any file: padding or the record overwrites the piece from its start
    Refuse,     // nothing is written, and the result names the piece
};

// Reads record `number`. Opens the file for reading only; fails when it
// cannot be opened or the record is not wholly in the file (record untouched
// then).
TRecordResult ReadStageRecord(const std::filesystem::path& file, int number, StageRecord& record);

// Writes `record` as record `number` of an existing file; the file is never
// created. While the file holds fewer than `number` whole records, `padding`
// is written at the end of the last whole record (so a trailing piece is
// overwritten from its start, unless `damaged` refuses such a file). Each
// record goes out in one positioned write of all its bytes, and the file's
// data is flushed to the disk (fdatasync) before success is reported: a
// failed flush is a failed write. Records already appended stay after a
// failure, and a write cut short (a full disk) leaves at most a trailing
// piece, which counts as no record.
TRecordResult WriteStageRecord(const std::filesystem::path& file, int number, const StageRecord& record,
                               const StageRecord& padding, TDamagedFile damaged = TDamagedFile::WriteOver);

// What SaveStageRecord does where no stage file stands.
enum class TNewStageFile {
    Never,      // fail, as WriteStageRecord does
    Create,     // make it; one another program made meanwhile is written into
    CreateNew,  // make it, and write into nothing that stands there (Exists)
};

// Saves `record` as record `number` of `file` as WriteStageRecord does,
// padded with empty records. Where nothing at all stands at `file`'s name,
// `create` says what happens: a new file is made whole or not at all (empty
// records up to `number`, then `record`; CreateStageFileWith).
struct TRecordSave : TRecordResult {
    bool Exists = false;  // CreateNew found a file made meanwhile: nothing written
};
TRecordSave SaveStageRecord(const std::filesystem::path& file, int number, const StageRecord& record,
                            TNewStageFile create, TDamagedFile damaged);

// The whole file as one snapshot (see ReadStageRecords).
struct TStageRecords {
    bool Read = false;  // false: the file could not be opened or read, for Error's reason
    std::string Error;
    std::int64_t WholeRecords = 0;   // in the file
    std::int64_t TrailingBytes = 0;  // past the last whole record: no record
    bool TooMany = false;            // more than the limit: Records is empty
    std::vector<StageRecord> Records;
};

// Every whole record of the file, read under one shared lock so that no
// save lands between two of them. With more than `maxRecords` whole records
// nothing is read (TooMany), so a huge file cannot exhaust the memory.
TStageRecords ReadStageRecords(const std::filesystem::path& file, std::int64_t maxRecords);

// The first `count` whole records (all when the file holds fewer), under one
// shared lock; WholeRecords and TrailingBytes still describe the whole file.
TStageRecords ReadFirstStageRecords(const std::filesystem::path& file, std::int64_t count);

// The records of a stage file's bytes that came through a pipe (standard
// input, a version git prints). A reader stops one byte past `maxRecords`
// records, so bytes beyond them are TooMany: nothing is kept then, unless
// `firstOnly` keeps the first `maxRecords`.
TStageRecords StageRecordsOfBytes(std::string_view bytes, std::int64_t maxRecords, bool firstOnly = false);

// Whole records in the file, or nothing when it cannot be opened for reading.
std::optional<std::int64_t> StageRecordCount(const std::filesystem::path& file);

// The piece a read file ends with; none when it is whole records.
std::optional<TStageFilePiece> StageFilePieceOf(const TStageRecords& records);
// The piece the file ends with now, measured under its shared lock; none
// when it is whole records or cannot be opened for reading.
std::optional<TStageFilePiece> FindStageFilePiece(const std::filesystem::path& file);

// Creates a new file of `count` copies of `record` through the safe write:
// fails (AlreadyExists, nothing touched) when something of that name exists,
// and leaves no file at all when it cannot be written whole.
TWriteResult CreateStageFile(const std::filesystem::path& file, int count, const StageRecord& record);

// Creates a new file as saving record `number` into an empty one would leave
// it: `number` copies of `padding`, then `record`. Fails as CreateStageFile.
TWriteResult CreateStageFileWith(const std::filesystem::path& file, int number, const StageRecord& record,
                                 const StageRecord& padding);

// What a replace puts in the stage file's place: its new bytes, or why not
// (Error, which leaves the file as it was and becomes the replace's error),
// or nothing at all (Keep: the file stays as it is, and the replace
// succeeds without writing).
struct TStageFileContent {
    std::string Bytes;
    std::string Error;
    bool Keep = false;
};

// Builds the new content from the current one (see ReplaceStageFile).
using TStageFileBuild = std::function<TStageFileContent(const TStageRecords& current)>;

// Replaces the whole stage file `file` through the safe write, all or
// nothing, while holding its exclusive lock from before it is read until the
// new file is in place, so that no save, import or other replace lands in
// between. Those waiting for the lock then find the new file and work on it.
// `build` runs under the lock with the file as it is then: up to
// `readRecords` whole records read as ReadFirstStageRecords reads them, or
// a snapshot with Read false when no file of that name exists yet (the new
// file is then created, never over one that appears meanwhile: that one is
// locked and read in turn). `build` may be called more than once, each time
// with the newest file. The new file takes the place of the one locked only
// (SafeReplaceFile): one that a program taking no lock put there meanwhile
// is not overwritten. The error says why nothing changed.
TWriteResult ReplaceStageFile(const std::filesystem::path& file, std::int64_t readRecords,
                              const TStageFileBuild& build);
