#pragma once
// Replacing one tile by another across stages, as an operation on the list
// of records (a TStageSetEdit): the command line runs it as one transaction,
// the Stages window as one step of its history.

#include "stage/StageRules.h"
#include "stage/TileNotation.h"
#include "storage/StageSetEdits.h"

#include <optional>
#include <string>
#include <vector>

struct TTileReplace {
    TTileChoice From;  // the codes replaced
    TTileChoice To;    // a code, a brush or the empty code
    TStageLayer Layer = TStageLayer::BG;
    // The stages First..Last that the records hold; nothing grows.
    int First = 0;
    int Last = 0;
    // When not empty, only these of them (ascending): a selection of stages.
    std::vector<int> Only;
};

// The layer to work in when none is named: the one the brushes paint From's
// codes into; none when From is the empty code or a code no brush paints.
std::optional<TStageLayer> ReplaceLayerOf(const TTileChoice& from);

// Why `replace` cannot be done ("24 brick is an FG tile; it cannot go into
// BG"): To holds a tile that its layer never holds (a shadow pattern, a code
// no brush paints, a tile of the other layer). Empty when it can.
std::string TileReplaceProblem(const TTileReplace& replace);

// What a cell holding `code` (one of From's) gets: To's code, or for a
// brush the variant at From's variant index modulo To's variant count.
int ReplacementCode(const TTileReplace& replace, int code);

// Every cell of Layer in the stages First..Last holding one of From's codes
// is written with its replacement as the editor's paint writes a cell, so
// the other layer is emptied where the exclusion rule says (the shadows,
// computed from FG, follow). A changed stage counts as a new record, as a
// pasted one does. `counts`, when given, gets each stage's replaced cells by
// number (none for a stage left as it was, say a tile replaced by itself).
// Refused (TileReplaceProblem) with nothing changed.
TStageSetResult ReplaceTiles(const std::vector<StageRecord>& records, const TTileReplace& replace,
                             std::vector<int>* counts = nullptr);
