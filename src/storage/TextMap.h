#pragma once
// The stage text map: a readable single-byte text of one stage (header, key
// lines, 60 cell rows, "[End]"), written from a record and read leniently
// into one, and the number reading that reading uses.

#include "stage/StageRecord.h"
#include "stage/TextMapStage.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct TNumberRead {
    // The value read up to the stop (0 when no digit was read). Hexadecimal
    // numbers may use all 32 bits and come back as their bit pattern.
    std::int32_t Value = 0;
    // 1-based position of the character that stopped the reading, or 0 when
    // the whole text was read as a number.
    std::size_t Stop = 0;
};

// Leading spaces, then "+" or "-" and decimal digits, or a prefix "$", "x",
// "X", "0x", "0X" and hexadecimal digits, or decimal digits alone. Reading
// stops at the first character that does not belong to the number or before
// a digit that would overflow (decimal: 2^31 - 1, hexadecimal: 2^32 - 1). The
// sign applies only when the whole text was read. A text that ends before
// its first digit stops just past its end (the empty text stops at 1).
TNumberRead ReadNumber(std::string_view text);

// A file's bytes as the "Load T..." button reads them: lines split at CR, LF
// or CR LF, the first NUL byte ends the text, and every line joined again
// with CR LF after it.
std::string NormaliseTextLines(std::string_view bytes);

// The text map of `record` as stage `stageNumber` ("[Stage07]", two digits
// at least): lines end in CR LF; every row holds 40 pairs of hex digits, the
// cell code plus one, each followed by a space; a code outside -1..254 is
// written as the empty code.
std::string WriteTextMap(const StageRecord& record, int stageNumber);

// Appends one row line of that text map, without its line end: "BG05=01
// 01 ... ".
void AppendTextMapRow(std::string& out, const StageRecord& record, bool foreground, int row);

// Reads a text (lines split at CR or LF). The first "[Stage" (any case)
// starts the map and the next "]" closes its number; keys are matched
// ignoring case and the first line of a key wins; the first "[End]" is cut
// out of the text, wherever it stands. Nothing without such a header.
std::optional<TTextMap> ReadTextMap(std::string_view text);

// The text maps in one text, one after another (as copied stages are): each
// piece starts at a "[Stage" header and runs up to the first "[Stage" after
// its "[End]", or up to the next header that starts a line when that comes
// before any "[End]" (a map cut short), or to the end of the text. Each
// piece reads with ReadTextMap as that map read alone; a text without a
// header has none.
std::vector<std::string_view> SplitTextMaps(std::string_view text);
