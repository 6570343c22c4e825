#include "engine/DXSprite.h"

#include <new>
#include <utility>

TBackgroundSprite::TBackgroundSprite(TSprite* parent) : TSprite(parent)
{
    Collidable = false;
}

TBackgroundSprite::~TBackgroundSprite()
{
    SetGridSize(0, 0);
}

void TBackgroundSprite::SetGridSize(int width, int height)
{
    if (width == FColumns && height == FRows)
        return;
    if (width <= 0 || height <= 0)
        width = height = 0;
    // The old grid goes first, so that a failed allocation leaves the 0 x 0
    // grid rather than sizes that no longer match the arrays.
    ++FRevision;
    ++FCodeRevision;
    FColumns = 0;
    FRows = 0;
    FCells = {};
    FDrawn = {};
    FHitFlags = {};
    const auto count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    if (count > FCells.max_size())
        throw std::bad_alloc();
    std::vector<int> cells(count, 0);
    std::vector<int> drawn(count, 0);
    std::vector<bool> flags(count, true);
    FCells = std::move(cells);
    FDrawn = std::move(drawn);
    FHitFlags = std::move(flags);
    FColumns = width;
    FRows = height;
}

void TBackgroundSprite::SetCell(int x, int y, int code)
{
    if (!Inside(x, y))
        return;
    const std::size_t i = Index(x, y);
    if (FCells[i] == code)
        return;
    FCells[i] = code;
    ++FCodeRevision;
    PutDrawn(i, code);
    if (OnCellChange)
        OnCellChange(this, x, y);
}

bool TBackgroundSprite::DrawsCode(int code) const
{
    return code >= 0 && (!TileImage || code < TileImage->PatternCount());
}

bool TBackgroundSprite::HitFlag(int x, int y) const
{
    return Inside(x, y) && FHitFlags[Index(x, y)];
}

void TBackgroundSprite::SetHitFlag(int x, int y, bool flag)
{
    if (Inside(x, y))
        FHitFlags[Index(x, y)] = flag;
}
