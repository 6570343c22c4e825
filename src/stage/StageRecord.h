#pragma once
// One stage as the game stores it: a fixed 6000-byte image that is both a
// record of the stage file and a snapshot of the undo history. All numbers are
// little-endian; the layout below is the file format and must not change.

#include "stage/TileCodes.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

static_assert(std::endian::native == std::endian::little, "the record layout assumes a little-endian machine");

constexpr int MaxShortString = 63;
// Stages are numbered 0..99; a stage file written by the editor holds at
// most 100 records.
constexpr int StageCount = 100;
constexpr int MaxStageNumber = StageCount - 1;
// The enemy types a stage counts; the record keeps 32 slots, of which only
// the first 16 mean anything.
constexpr int EnemyTypeCount = 16;
constexpr int EnemySlotCount = 32;

// A single-byte string of at most 63 characters in 64 bytes: a length byte and
// the characters. Bytes past the length are ignored on reading.
struct TShortString {
    std::uint8_t Length = 0;
    char Chars[MaxShortString] = {};

    std::string Str() const { return std::string(Chars, Length > MaxShortString ? MaxShortString : Length); }
    // Stores the text cut to its first 63 characters; the tail is zeroed.
    void Assign(const std::string& text);
    // The same for a run of bytes; never allocates.
    void Assign(const char* chars, std::size_t length);
    // Length byte and characters, byte for byte (so case-sensitive); a length
    // byte above 63 counts as 63.
    friend bool operator==(const TShortString& a, const TShortString& b);
};
static_assert(sizeof(TShortString) == 64);

// Appends single-byte text as UTF-8, reading each byte as Latin-1, so that
// any byte of a stored string gives valid UTF-8 (as titles and labels show
// captions). Never allocates when `out` has the room.
void AppendLatin1(std::string& out, const char* chars, std::size_t length);
// The other way: `utf8` as single bytes, each character its Latin-1 byte.
// False when `utf8` is no UTF-8 or holds a character beyond Latin-1, which
// no stored string can hold.
bool Latin1FromUtf8(std::string_view utf8, std::string& latin1);

// Packed so that no padding enters the file's layout, yet aligned to 4: every
// field lies on its natural boundary within the record, so a record held
// anywhere (after a bool in a struct, say) can hand out references to its
// counts and cells.
#pragma pack(push, 1)
struct alignas(4) StageRecord {
    // clang-format off
    TShortString Caption;            // 0
    TShortString BG_Bitmap;          // 64
    std::uint32_t BG_Color;          // 128
    std::uint8_t BG_H_Tile;          // 132
    std::uint8_t BG_V_Tile;          // 133
    std::uint8_t Reserved1[10];      // 134
    std::uint16_t EnemyCount[EnemySlotCount];  // 144; slots 16..31 are kept but carry no meaning
    std::uint16_t MaxCount;          // 208
    std::uint8_t Reserved2[14];      // 210
    TShortString SI_Bitmap;          // 224
    std::uint8_t Reserved3[912];     // 288
    std::int16_t BG[FieldColumns][FieldRows];  // 1200, column-major: BG[x][y]
    std::int16_t FG[FieldColumns][FieldRows];  // 3600
    // clang-format on
};
#pragma pack(pop)

static_assert(sizeof(StageRecord) == 6000);
static_assert(alignof(StageRecord) == 4);
static_assert(offsetof(StageRecord, BG_Bitmap) == 64);
static_assert(offsetof(StageRecord, BG_Color) == 128);
static_assert(offsetof(StageRecord, BG_H_Tile) == 132);
static_assert(offsetof(StageRecord, EnemyCount) == 144);
static_assert(offsetof(StageRecord, MaxCount) == 208);
static_assert(offsetof(StageRecord, SI_Bitmap) == 224);
static_assert(offsetof(StageRecord, BG) == 1200);
static_assert(offsetof(StageRecord, FG) == 3600);

constexpr std::size_t StageRecordSize = sizeof(StageRecord);

// The enemies of a stage in all: the counts of the 16 types (the slots past
// them stay out of it).
std::int32_t SumEnemyCounts(const std::uint16_t (&counts)[EnemySlotCount]);

// The stage a new or padded record holds: every cell empty, MaxCount 5, the
// default colour, tiled both ways, "Undefined Stage"; all else zero.
void EmptyStage(StageRecord& record);

// True when the two records hold the same 6000 bytes.
bool RecordsEqual(const StageRecord& a, const StageRecord& b);
// A hash of the 6000 bytes: equal records hash alike.
std::size_t RecordHash(const StageRecord& record);

// True when `record` is exactly the empty record (EmptyStage): the padding a
// new or grown stage file holds where no stage was saved yet.
bool IsEmptyRecord(const StageRecord& record);
