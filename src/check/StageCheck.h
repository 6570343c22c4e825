#pragma once
// What in a stage would break or surprise in the game, found by the same
// rules the editor and the display follow. Nothing here blocks saving: the
// findings are for the designer (stagetool check, the stage browser).

#include "stage/StageRecord.h"

#include <string>
#include <vector>

class TPictureCheck;

enum class TSeverity { Error, Warning, Note };

// A cell finding names its layer, field column (0..39) and field row (0..29).
enum class TFindingLayer { None, BG, FG };

struct TFinding {
    TSeverity Severity = TSeverity::Note;
    int Stage = 0;
    // The setting it is about ("BG_Bitmap", "SI_Bitmap", "EnemyTotal",
    // "MaxCount", "Caption", or "record" for the record as a whole); empty
    // for a cell.
    std::string Field;
    TFindingLayer Layer = TFindingLayer::None;
    int Column = -1;
    int Row = -1;
    // One line; names and captions in it are the record's bytes.
    std::string Message;

    bool IsCell() const { return Layer != TFindingLayer::None; }
};

// The findings of record `number`, errors first, then warnings, then notes;
// cells in reading order (row by row, BG before FG in each cell).
// - error: BG_Bitmap or SI_Bitmap names a picture that would not show (see
//   TPictureCheck); a field cell holds a code the palette never paints and
//   the game does not expect: below -1 (-2 is what an incomplete import
//   leaves), 16..23 (shadow patterns) or above 63;
// - warning: the flag's square (columns 19..20, rows 28..29) holds anything
//   in BG or FG; a top corner (rows 0..1, columns 0..2 and 37..39) holds FG;
//   EnemyTotal (slots 0..15) is 0; MaxCount is 0;
// - note: the caption is still "Undefined Stage".
// A record that is exactly the empty record (padding between stages) gives
// one note that says so and nothing else.
std::vector<TFinding> CheckStage(int number, const StageRecord& record, TPictureCheck& pictures);
