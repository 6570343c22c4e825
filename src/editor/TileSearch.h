#pragma once
// What Find seeks across the stage set, and where the stage file holds it:
// each stage's count, the totals, the next stage holding it. Plain state: the
// document counts it again whenever the stage file changes, the windows show
// it, and the frame outlines the live stage's cells that hold it.

#include "stage/StageRecord.h"
#include "stage/StageRules.h"

#include <cstdint>
#include <string>
#include <vector>

// A tile (one code, or a brush's codes) or a caption text. A code is sought
// in the layer its brush paints, one no brush paints (the empty code, a
// damaged stage's) in both.
struct TSought {
    std::vector<int> Codes;  // none: a caption search
    std::string Caption;     // Latin-1, matched as stagetool find --caption matches
    std::string Label;       // as the designer named it: "steel", "24 brick", "\"river\""
};

class TTileSearch {
public:
    bool On() const { return FOn; }
    const TSought& Sought() const { return FSought; }
    // Seeks `sought` from now on; the stages are counted at the next Count.
    void Start(TSought sought);
    void Stop();
    // The stage file holds `records` now.
    void Count(const std::vector<StageRecord>& records);

    // The cells of stage `number` holding the tile, or 1 when its caption
    // holds the text; 0 when it holds neither.
    int Found(int number) const;
    int Stages() const { return FStages; }
    int Cells() const { return FCells; }
    // The first stage after `number` (before it, backwards) that holds it,
    // around the end of the file; -1 when no other stage does.
    int Next(int number, bool forward) const;
    // Whether a cell of `layer` holding `code` holds what is sought.
    bool Holds(TStageLayer layer, int code) const;
    // Grows whenever what Holds answers may change.
    std::uint64_t Revision() const { return FRevision; }

private:
    bool FOn = false;
    TSought FSought;
    std::vector<int> FLayerCodes[2];  // the codes sought in BG, in FG
    std::vector<int> FFound;
    int FStages = 0;
    int FCells = 0;
    std::uint64_t FRevision = 0;
};
