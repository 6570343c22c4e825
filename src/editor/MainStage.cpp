// Moving a stage between the live layers and a StageRecord, the layer change
// rules and the shadow rule.
#include "editor/Main.h"

#include <array>
#include <cstring>

namespace {

constexpr bool InRange(int code, int low, int high)
{
    return code >= low && code <= high;
}

// The two kinds of cell that never share a field cell: the later write wins.
bool IsExclusiveBG(int code)
{
    return InRange(code, 4, 7);
}

bool IsExclusiveFG(int code)
{
    return InRange(code, 24, 63);
}

// FG code sets of the shadow rule, as bits of one table entry per code 0..63;
// every other code (-1 empty, 64 the border, anything a damaged record holds)
// belongs to no set.
enum : std::uint8_t { NoShadow = 1, SetT = 2, SetU = 4, SetA = 8, SetL = 16, SetD = 32 };

constexpr std::array<std::uint8_t, 64> MakeShadowSets()
{
    std::array<std::uint8_t, 64> sets{};
    for (int c = 0; c < 64; ++c) {
        const bool wall = InRange(c, 24, 27) || InRange(c, 40, 63);
        if (InRange(c, 0, 11) || InRange(c, 24, 29) || InRange(c, 40, 63))
            sets[c] |= NoShadow;
        if (c == 34 || c == 35 || c == 39)
            sets[c] |= SetT;
        if (c == 30 || c == 31 || c == 38)
            sets[c] |= SetU;
        if (wall || c == 32 || c == 33)
            sets[c] |= SetA;
        if (wall || c == 30 || c == 31)
            sets[c] |= SetL;
        if (wall || InRange(c, 30, 33))
            sets[c] |= SetD;
    }
    return sets;
}
constexpr std::array<std::uint8_t, 64> ShadowSets = MakeShadowSets();

std::uint8_t SetsOf(int code)
{
    return (code >= 0 && code < 64) ? ShadowSets[static_cast<std::size_t>(code)] : 0;
}

// The shadow pattern of a cell from the sets of its own code and of its
// neighbours above (a), to the left (l) and above-left (d).
int ShadowPattern(std::uint8_t c, std::uint8_t a, std::uint8_t l, std::uint8_t d)
{
    if (c & NoShadow)
        return -1;
    if (a & SetT)
        return 23;
    if (a & SetU)
        return 22;
    if (a & SetA)
        return (l & SetL) ? 21 : (d & SetD) ? 20 : 19;
    if (l & SetL)
        return (d & SetD) ? 18 : 17;
    return (d & SetD) ? 16 : -1;
}

}  // namespace

void TMainForm::CaptureStage(StageRecord& record) const
{
    std::memset(static_cast<void*>(&record), 0, sizeof record);
    for (int y = 0; y < FieldRows; ++y)
        for (int x = 0; x < FieldColumns; ++x) {
            record.BG[x][y] = static_cast<std::int16_t>(BGLayer->Cell(x + 1, y + 1));
            record.FG[x][y] = static_cast<std::int16_t>(FGLayer->Cell(x + 1, y + 1));
        }
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
    EnemyTotal = 0;
    for (int i = 0; i < 16; ++i)
        EnemyTotal += EnemyCount[i];
    UpdateTitle();
}

void TMainForm::EmptyStage(StageRecord& record)
{
    std::memset(static_cast<void*>(&record), 0, sizeof record);
    for (int x = 0; x < FieldColumns; ++x)
        for (int y = 0; y < FieldRows; ++y) {
            record.BG[x][y] = EmptyCode;
            record.FG[x][y] = EmptyCode;
        }
    record.MaxCount = 5;
    record.BG_Color = DefaultBGColor;
    record.BG_H_Tile = 1;
    record.BG_V_Tile = 1;
    static const char undefined[] = "Undefined Stage";
    record.Caption.Assign(undefined, sizeof undefined - 1);
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
            sets[r][k] = SetsOf(layer->Cell(x - 1 + k, y - 1 + r));
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
                         ShadowPattern(SetsOf(layer->Cell(x, y)), SetsOf(layer->Cell(x, y - 1)),
                                       SetsOf(layer->Cell(x - 1, y)), SetsOf(layer->Cell(x - 1, y - 1))));
}
