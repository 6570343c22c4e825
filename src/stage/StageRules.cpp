#include "stage/StageRules.h"

#include <cstring>

namespace {

bool InField(int x, int y)
{
    return x >= 0 && x < FieldColumns && y >= 0 && y < FieldRows;
}

}  // namespace

void WriteCell(StageRecord& record, TStageLayer layer, int x, int y, std::int16_t code)
{
    if (!InField(x, y))
        return;
    std::int16_t* const cell[] = {&record.BG[x][y], &record.FG[x][y]};
    const auto at = [&cell](TStageLayer of) -> std::int16_t& { return *cell[of == TStageLayer::FG]; };
    if (at(layer) == code)
        return;
    at(layer) = code;
    KeepApart(layer, at, [&at](TStageLayer emptied) { at(emptied) = EmptyCode; });
}

int FGCodeAround(const StageRecord& record, int x, int y)
{
    if (InField(x, y))
        return record.FG[x][y];
    return x >= -1 && x <= FieldColumns && y >= -1 && y <= FieldRows ? BorderCode : EmptyCode;
}

void ComputeShadows(const StageRecord& record, TShadowCells& shadows)
{
    const auto fg = [&record](int fx, int fy) { return FGCodeAround(record, fx, fy); };
    for (int x = 0; x < FieldColumns; ++x)
        for (int y = 0; y < FieldRows; ++y)
            shadows[x][y] = static_cast<std::int16_t>(ShadowAt(fg, x, y));
}

StageRecord AppliedStage(const StageRecord& record)
{
    StageRecord applied;
    std::memset(static_cast<void*>(&applied), 0, sizeof applied);
    // Onto cleared layers; what the layers held before makes no difference,
    // as no cell the editor holds has both exclusive codes.
    for (int x = 0; x < FieldColumns; ++x)
        for (int y = 0; y < FieldRows; ++y) {
            applied.BG[x][y] = EmptyCode;
            applied.FG[x][y] = EmptyCode;
        }
    for (int y = 0; y < FieldRows; ++y)
        for (int x = 0; x < FieldColumns; ++x) {
            WriteCell(applied, TStageLayer::BG, x, y, record.BG[x][y]);
            WriteCell(applied, TStageLayer::FG, x, y, record.FG[x][y]);
        }
    applied.Caption.Assign(record.Caption.Chars, record.Caption.Length);
    applied.BG_Bitmap.Assign(record.BG_Bitmap.Chars, record.BG_Bitmap.Length);
    applied.SI_Bitmap.Assign(record.SI_Bitmap.Chars, record.SI_Bitmap.Length);
    applied.BG_Color = record.BG_Color;
    applied.BG_H_Tile = record.BG_H_Tile;
    applied.BG_V_Tile = record.BG_V_Tile;
    applied.MaxCount = record.MaxCount;
    std::memcpy(applied.EnemyCount, record.EnemyCount, sizeof applied.EnemyCount);
    return applied;
}
