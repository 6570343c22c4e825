#include "engine/DXSprite.h"

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
    FColumns = width;
    FRows = height;
    const auto count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    FCells.assign(count, 0);
    FHitFlags.assign(count, true);
}

void TBackgroundSprite::SetCell(int x, int y, int code)
{
    if (!Inside(x, y))
        return;
    int& cell = FCells[static_cast<std::size_t>(y) * FColumns + x];
    if (cell == code)
        return;
    cell = code;
    if (OnCellChange)
        OnCellChange(this, x, y);
}

bool TBackgroundSprite::HitFlag(int x, int y) const
{
    return Inside(x, y) && FHitFlags[static_cast<std::size_t>(y) * FColumns + x];
}

void TBackgroundSprite::SetHitFlag(int x, int y, bool flag)
{
    if (Inside(x, y))
        FHitFlags[static_cast<std::size_t>(y) * FColumns + x] = flag;
}
