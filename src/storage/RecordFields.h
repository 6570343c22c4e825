#pragma once
// A record's settings as runs of its bytes: the units in which two records
// are compared and three are merged. Together with the two cell layers
// (bytes 1200..5999) they cover every byte of the record once, so no
// difference goes unnamed.

#include "stage/StageRecord.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

enum class TFieldKind {
    Text,    // a length-prefixed string: its 64 bytes, length, characters and tail
    Number,  // an unsigned little-endian number of Size bytes
    Color,   // BG_Color
    Block,   // reserved bytes
};

struct TRecordField {
    std::string Name;  // "Caption", "BG_H_Tile", "EnemyCount[3]", "Reserved3"
    std::size_t Offset = 0;
    std::size_t Size = 0;
    TFieldKind Kind = TFieldKind::Block;
    // Bytes the game and the editor give no meaning (reserved blocks, slots
    // 16..31 of EnemyCount): shown apart, never left out.
    bool Reserved = false;
};

// Bytes 0..1199 in record order: Caption, BG_Bitmap, BG_Color, BG_H_Tile,
// BG_V_Tile, Reserved1, EnemyCount[0]..[31], MaxCount, Reserved2,
// SI_Bitmap, Reserved3.
const std::vector<TRecordField>& RecordFields();

// The field's bytes in `record`.
std::string_view FieldBytes(const StageRecord& record, const TRecordField& field);

// A Number or Color field's value.
unsigned FieldNumber(const StageRecord& record, const TRecordField& field);

// A Text field as the record holds it (TShortString at its offset).
const TShortString& FieldString(const StageRecord& record, const TRecordField& field);
