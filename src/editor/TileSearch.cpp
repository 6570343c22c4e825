#include "editor/TileSearch.h"

#include "stage/TileUse.h"

#include <algorithm>
#include <optional>
#include <utility>

void TTileSearch::Start(TSought sought)
{
    FOn = true;
    FSought = std::move(sought);
    for (std::vector<int>& codes : FLayerCodes)
        codes.clear();
    for (const int code : FSought.Codes) {
        const std::optional<TStageLayer> painted = PaintedLayer(code);
        for (const TStageLayer layer : {TStageLayer::BG, TStageLayer::FG})
            if (!painted || *painted == layer)
                FLayerCodes[static_cast<int>(layer)].push_back(code);
    }
    FFound.clear();
    FStages = FCells = 0;
    ++FRevision;
}

void TTileSearch::Stop()
{
    FOn = false;
    FSought = {};
    FFound.clear();
    FStages = FCells = 0;
    ++FRevision;
}

void TTileSearch::Count(const std::vector<StageRecord>& records)
{
    if (!FOn)
        return;
    FFound.assign(records.size(), 0);
    FStages = FCells = 0;
    for (std::size_t n = 0; n < records.size(); ++n) {
        int& found = FFound[n];
        if (FSought.Codes.empty()) {
            found = CaptionHolds(records[n].Caption, FSought.Caption) ? 1 : 0;
        } else {
            for (const TStageLayer layer : {TStageLayer::BG, TStageLayer::FG})
                if (const std::vector<int>& codes = FLayerCodes[static_cast<int>(layer)]; !codes.empty())
                    found += FindTileCells(records[n], layer, codes).Count;
            FCells += found;
        }
        FStages += found > 0;
    }
}

int TTileSearch::Found(int number) const
{
    return number >= 0 && number < static_cast<int>(FFound.size()) ? FFound[static_cast<std::size_t>(number)] : 0;
}

int TTileSearch::Next(int number, bool forward) const
{
    // A cycle of the file's stages and one place past its end, where a
    // number the file does not hold stands.
    const int places = static_cast<int>(FFound.size()) + 1;
    const int from = std::clamp(number, 0, places - 1);
    for (int step = 1; step < places; ++step) {
        const int at = (from + (forward ? step : places - step)) % places;
        if (at != number && Found(at) > 0)
            return at;
    }
    return -1;
}

bool TTileSearch::Holds(TStageLayer layer, int code) const
{
    const std::vector<int>& codes = FLayerCodes[static_cast<int>(layer)];
    return std::find(codes.begin(), codes.end(), code) != codes.end();
}
