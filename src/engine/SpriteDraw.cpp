// The sprite parts that need pictures and surfaces.
// TODO: drawing arrives with the surface engine; until then nothing is drawn.
#include "engine/DXSprite.h"

void TImageSprite::SetSpriteImage(TPictureCollectionItem* item)
{
    FSpriteImage = item;
    FrameCount = 0;
    FramePos = 0;
    FirstFrame = 0;
    Width = 0;
    Height = 0;
}

void TImageSprite::DrawSelf() {}

TRect TBackgroundSprite::ExtentRect() const
{
    return TRect{};
}

void TBackgroundSprite::DrawSelf() {}

void TSpriteEngine::SetTarget(TDirectDrawSurface* surface)
{
    FTarget = surface;
}

TDXSpriteEngine::TDXSpriteEngine() = default;
TDXSpriteEngine::~TDXSpriteEngine() = default;

void TDXSpriteEngine::SetDXDraw(TDXDraw* draw)
{
    FDXDraw = draw;
}

void TDXSpriteEngine::Draw() {}
