// The random stage. The order of the generator calls is part of the result:
// the same seed and stage number always give the same stage.
#include "editor/Main.h"

#include "editor/RandomGen.h"
#include "stage/FieldAreas.h"

namespace {

// FillBlock over an area of field cells (layer cell = field cell + 1).
void FillArea(TMainForm& form, TBackgroundSprite* layer, const TFieldArea& area, int code)
{
    form.FillBlock(layer, area.Left + 1, area.Top + 1, area.Width, area.Height, code);
}

}  // namespace

// A non-negative code lays the four variants of its group in diagonal stripes
// starting with the code itself at the top-left cell.
void TMainForm::FillBlock(TBackgroundSprite* layer, int x, int y, int w, int h, int code)
{
    for (int r = 0; r < h; ++r)
        for (int k = 0; k < w; ++k) {
            int value = code;
            if (code >= 0)
                value = (code & ~3) + static_cast<int>((static_cast<unsigned>(code) + r + k) % 4u);
            layer->SetCell(x + k, y + r, value);
        }
}

void TMainForm::GenerateRandomStage()
{
    const auto s = static_cast<unsigned>(Document.StageNum());
    FLineAnchor.reset();
    ClearLayers();

    // BG patches on the grid of odd cells, so they never overlap.
    for (int y = 1; y <= FieldRows; ++y)
        for (int x = 1; x <= FieldColumns; ++x)
            if ((x & 1) && (y & 1) && Random(9 - s % 7) == 0)
                FillBlock(BGLayer, x, y, 2, 2, static_cast<int>(Random(8)));

    // FG objects on open ground, and the closed frame.
    for (int y = 0; y < FieldRows + 2; ++y)
        for (int x = 0; x < FieldColumns + 2; ++x) {
            if (x == 0 || y == 0 || x == FieldColumns + 1 || y == FieldRows + 1)
                FGLayer->SetCell(x, y, BorderCode);
            else if (BGLayer->Cell(x, y) >= 4)
                continue;
            else if (Random(s % 5 + 2) == 0)
                FGLayer->SetCell(x, y, 24 + static_cast<int>(Random(36)));
            else if (Random(18 - (3 * s) % 12) == 0)
                FillBlock(FGLayer, x, y, 2, 2, 8 + static_cast<int>(Random(8)));
            else if (Random(30) == 0)
                FGLayer->SetCell(x, y, 60 + static_cast<int>(Random(4)));
        }

    // Cleared corners at the top (BG one row deeper than FG), the cleared
    // bottom centre and the wall around the flag's square.
    for (const TFieldArea& corner : TopCorners) {
        FillArea(*this, BGLayer, TFieldArea{corner.Left, corner.Top, corner.Width, corner.Height + 1}, EmptyCode);
        FillArea(*this, FGLayer, corner, EmptyCode);
    }
    FillArea(*this, BGLayer, FlagGround, EmptyCode);
    FillArea(*this, FGLayer, FlagGround, EmptyCode);
    FillArea(*this, FGLayer, FlagWall, 24 + static_cast<int>(Random(4)));
    FillArea(*this, FGLayer, FlagSquare, EmptyCode);

    MaxCount = static_cast<std::uint16_t>(s / 3 + 8);
    for (auto& count : EnemyCount)
        count = 0;
    for (int type = 0; type < EnemyTypeCount; ++type)
        EnemyCount[type] = static_cast<std::uint16_t>(Random(s / 5 + 2));
    EnemyTotal = SumEnemyCounts(EnemyCount);
    BG_Color = DefaultBGColor;
    SetBGBitmap(TShortString{});
    BG_H_Tile = 1;
    BG_V_Tile = 1;
    static const char caption[] = "Random Stage";
    Caption.Assign(caption, sizeof caption - 1);
    UpdateTitle();
}
