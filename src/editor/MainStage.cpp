// Moving a stage between the live layers and a StageRecord, the layer change
// rules and the shadow rule.
#include "editor/Main.h"

#include "stage/StageRules.h"

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
    FLineAnchor.reset();  // another stage, or the same one as it was
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
    ApplySettings(record);
    UpdateTitle();
}

void TMainForm::ApplySettings(const StageRecord& record)
{
    MaxCount = record.MaxCount;
    std::memcpy(EnemyCount, record.EnemyCount, sizeof EnemyCount);
    Caption.Assign(record.Caption.Chars, record.Caption.Length);
    BG_Color = record.BG_Color;
    SetBGBitmap(record.BG_Bitmap);
    SI_Bitmap.Assign(record.SI_Bitmap.Chars, record.SI_Bitmap.Length);
    BG_H_Tile = record.BG_H_Tile;
    BG_V_Tile = record.BG_V_Tile;
    EnemyTotal = SumEnemyCounts(EnemyCount);
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

namespace {

// The exclusion rule on the live layers' cell (x, y). An FG code is emptied
// through the notifying write, so that FGLayerChange refreshes the shadows
// around it; a BG code silently, as it casts none.
void KeepLayersApart(TBackgroundSprite* bgLayer, TBackgroundSprite* fgLayer, TStageLayer written, int x, int y)
{
    KeepApart(
        written, [=](TStageLayer layer) { return (layer == TStageLayer::BG ? bgLayer : fgLayer)->Cell(x, y); },
        [=](TStageLayer layer) {
            if (layer == TStageLayer::FG)
                fgLayer->SetCell(x, y, EmptyCode);
            else
                bgLayer->PutCell(x, y, EmptyCode);
        });
}

}  // namespace

void TMainForm::BGLayerChange(TBackgroundSprite* /*sender*/, int x, int y)
{
    KeepLayersApart(BGLayer, FGLayer, TStageLayer::BG, x, y);
    Document.StageTouched();
}

void TMainForm::FGLayerChange(TBackgroundSprite* sender, int x, int y)
{
    KeepLayersApart(BGLayer, FGLayer, TStageLayer::FG, x, y);
    RefreshShadow(sender, x, y);
    Document.StageTouched();
}

// Layer cell (x, y) is field cell (x - 1, y - 1); shadow cell (x - 1, y - 1)
// lies on the display where it does. Shadow writes that miss the 40 x 30
// grid (for the FG ring) are ignored.
void TMainForm::RefreshShadow(TBackgroundSprite* layer, int x, int y)
{
    RefreshShadowsAround([layer](int cx, int cy) { return layer->Cell(cx, cy); }, x, y,
                         [this](int cx, int cy, int pattern) { ShadowLayer->PutCell(cx - 1, cy - 1, pattern); });
}

void TMainForm::ShadowCode(TBackgroundSprite* layer, int x, int y)
{
    ShadowLayer->PutCell(x - 1, y - 1, ShadowAt([layer](int cx, int cy) { return layer->Cell(cx, cy); }, x, y));
}
