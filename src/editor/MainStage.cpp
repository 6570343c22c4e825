// Moving a stage between the live layers and a StageRecord, the layer change
// rules and the shadow rule.
#include "editor/Main.h"

#include "stage/TileCodes.h"

#include <cstring>

void TMainForm::CaptureStage(StageRecord& record) const
{
    std::memset(static_cast<void*>(&record), 0, sizeof record);
    for (int y = 0; y < FieldRows; ++y)
        for (int x = 0; x < FieldColumns; ++x) {
            record.BG[x][y] = static_cast<std::int16_t>(BGLayer->Cell(x + 1, y + 1));
            record.FG[x][y] = static_cast<std::int16_t>(FGLayer->Cell(x + 1, y + 1));
        }
    CaptureSettings(record);
}

void TMainForm::CaptureSettings(StageRecord& record) const
{
    record.BG_Color = BG_Color;
    record.BG_Bitmap.Assign(BG_Bitmap.Chars, BG_Bitmap.Length);
    record.SI_Bitmap.Assign(SI_Bitmap.Chars, SI_Bitmap.Length);
    record.BG_H_Tile = BG_H_Tile;
    record.BG_V_Tile = BG_V_Tile;
    record.MaxCount = MaxCount;
    std::memcpy(record.EnemyCount, EnemyCount, sizeof record.EnemyCount);
    record.Caption.Assign(Caption.Chars, Caption.Length);
}

// SetCell raises the change handlers only for cells that differ, so applying
// a record close to the live stage is cheap. BG is written before FG in each
// cell: a record holding both exclusive codes in one cell keeps the FG code.
void TMainForm::ApplyStage(const StageRecord& record)
{
    for (int r = 0; r < FieldRows + 2; ++r)
        for (int c = 0; c < FieldColumns + 2; ++c) {
            if (c == 0 || c == FieldColumns + 1 || r == 0 || r == FieldRows + 1) {
                BGLayer->SetCell(c, r, BorderCode);
                FGLayer->SetCell(c, r, BorderCode);
            } else {
                BGLayer->SetCell(c, r, record.BG[c - 1][r - 1]);
                FGLayer->SetCell(c, r, record.FG[c - 1][r - 1]);
            }
        }
    MaxCount = record.MaxCount;
    std::memcpy(EnemyCount, record.EnemyCount, sizeof EnemyCount);
    Caption.Assign(record.Caption.Chars, record.Caption.Length);
    BG_Color = record.BG_Color;
    SetBGBitmap(record.BG_Bitmap);
    SI_Bitmap.Assign(record.SI_Bitmap.Chars, record.SI_Bitmap.Length);
    BG_H_Tile = record.BG_H_Tile;
    BG_V_Tile = record.BG_V_Tile;
    EnemyTotal = SumEnemyCounts(EnemyCount);
    UpdateTitle();
}

void TMainForm::EmptyStage(StageRecord& record)
{
    ::EmptyStage(record);
}

// The comparison is byte for byte, so a name that differs only in letter case
// reloads the picture.
void TMainForm::SetBGBitmap(const TShortString& name)
{
    if (name == BG_Bitmap)
        return;
    BG_Bitmap.Assign(name.Chars, name.Length);
    Host.RestoreDisplay();
}

void TMainForm::BGLayerChange(TBackgroundSprite* /*sender*/, int x, int y)
{
    if (IsExclusiveBG(BGLayer->Cell(x, y)) && IsExclusiveFG(FGLayer->Cell(x, y)))
        FGLayer->SetCell(x, y, EmptyCode);  // runs FGLayerChange, which refreshes shadows
}

void TMainForm::FGLayerChange(TBackgroundSprite* sender, int x, int y)
{
    if (IsExclusiveBG(BGLayer->Cell(x, y)) && IsExclusiveFG(FGLayer->Cell(x, y)))
        BGLayer->PutCell(x, y, EmptyCode);
    RefreshShadow(sender, x, y);
}

// A FG cell's code shapes the shadows of itself and of its neighbours to the
// right, below and below-right: ShadowCode of those four cells, in that
// order, sharing the reads of the 3 x 3 cells they look at.
void TMainForm::RefreshShadow(TBackgroundSprite* layer, int x, int y)
{
    std::uint8_t sets[3][3];  // [row][column] from (x - 1, y - 1)
    for (int r = 0; r < 3; ++r)
        for (int k = 0; k < 3; ++k)
            sets[r][k] = ShadowSetsOf(layer->Cell(x - 1 + k, y - 1 + r));
    for (int r = 1; r < 3; ++r)
        for (int k = 1; k < 3; ++k)
            ShadowLayer->PutCell(x - 2 + k, y - 2 + r,
                                 ShadowPattern(sets[r][k], sets[r - 1][k], sets[r][k - 1], sets[r - 1][k - 1]));
}

// Shadow cell (x - 1, y - 1) lies on the display where FG cell (x, y) lies;
// writes that miss the 40 x 30 shadow grid (the FG ring) are ignored.
void TMainForm::ShadowCode(TBackgroundSprite* layer, int x, int y)
{
    ShadowLayer->PutCell(x - 1, y - 1,
                         ShadowPatternOfCodes(layer->Cell(x, y), layer->Cell(x, y - 1), layer->Cell(x - 1, y),
                                              layer->Cell(x - 1, y - 1)));
}
