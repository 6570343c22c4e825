#pragma once
// A stage's values as diffs, merges and the text view write them for people
// (UTF-8, one line each) and for scripts (JSON).

#include "stage/StageRecord.h"
#include "storage/RecordFields.h"

#include <cstdint>
#include <string>
#include <string_view>

// A stored string in double quotes, each byte read as Latin-1 and written
// as UTF-8; '"' and '\' escaped, the line break mark as \n and other
// control bytes as \xNN, so it stays on its line and reads back exactly.
std::string QuotedText(const TShortString& text);

// A cell's two codes: "BG 4 water, FG -1 empty".
std::string CellText(int bg, int fg);

// The cell before and after: "BG 0 grass -> 4 water, FG -1 empty" (a
// layer that kept its code named once; the arrow is U+2192).
std::string CellChangeText(int oldBG, int oldFG, int newBG, int newFG);

// A field's value: a text quoted, a number in decimal, BG_Color as
// "$102028", a block by its non-zero bytes ("all zero", "5:01 6:FF").
std::string FieldValueText(const StageRecord& record, const TRecordField& field);

// The same as a JSON value: a string, a number, or a block's bytes in hex.
std::string FieldValueJson(const StageRecord& record, const TRecordField& field);

// A field's name as a line shows it: "EnemyCount[17] (reserved slot)",
// "Reserved3 (reserved bytes)".
std::string FieldLabel(const TRecordField& field);

// True when the two strings differ only past their texts (the bytes after
// the length, or a length byte over 63): a difference Str() does not show.
bool TailsDiffer(const TShortString& a, const TShortString& b);

// Bytes as upper-case hex pairs without spaces.
std::string HexBytes(std::string_view bytes);

// The bytes that are not zero, each as its offset (counted from `first`)
// and its value: "12:07 13:FF"; empty when all are zero.
std::string NonZeroBytes(std::string_view bytes, std::size_t first = 0);

// The arrow between an old and a new value.
inline constexpr std::string_view Arrow = " \u2192 ";
