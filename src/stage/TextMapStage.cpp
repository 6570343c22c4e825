#include "stage/TextMapStage.h"

#include "stage/StageRules.h"

#include <algorithm>

void TakeTextMapSettings(StageRecord& stage, const StageRecord& read)
{
    stage.Caption.Assign(read.Caption.Chars, read.Caption.Length);
    stage.BG_Bitmap.Assign(read.BG_Bitmap.Chars, read.BG_Bitmap.Length);
    stage.BG_Color = read.BG_Color;
    stage.BG_H_Tile = read.BG_H_Tile;
    stage.BG_V_Tile = read.BG_V_Tile;
    std::copy(read.EnemyCount, read.EnemyCount + EnemyTypeCount, stage.EnemyCount);
    stage.MaxCount = read.MaxCount;
    stage.SI_Bitmap.Assign(read.SI_Bitmap.Chars, read.SI_Bitmap.Length);
}

StageRecord ImportedStage(const TTextMap& map, const StageRecord& base)
{
    StageRecord stage = AppliedStage(base);
    TakeTextMapSettings(stage, map.Stage);
    for (int y = 0; y < FieldRows; ++y) {
        for (int x = 0; x < FieldColumns; ++x)
            WriteCell(stage, TStageLayer::BG, x, y, map.Stage.BG[x][y]);
        for (int x = 0; x < FieldColumns; ++x)
            WriteCell(stage, TStageLayer::FG, x, y, map.Stage.FG[x][y]);
    }
    return stage;
}

int ImportedStageNumber(std::int32_t headerNumber)
{
    return std::clamp<int>(static_cast<std::int16_t>(headerNumber), 0, MaxStageNumber);
}
