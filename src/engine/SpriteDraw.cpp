// The sprite parts that need pictures and surfaces.
#include "engine/DXSprite.h"

#include <algorithm>
#include <cmath>

namespace {
// trunc() of a position, kept within a range where the arithmetic below cannot overflow.
std::int64_t Trunc64(double value)
{
    if (std::isnan(value))
        return 0;
    return static_cast<std::int64_t>(std::trunc(std::clamp(value, -1e15, 1e15)));
}
}  // namespace

void TImageSprite::SetSpriteImage(TPictureCollectionItem* item)
{
    FSpriteImage = item;
    FrameCount = item ? item->PatternCount() : 0;
    FramePos = 0;
    FirstFrame = 0;
    Width = item ? item->Width() : 0;
    Height = item ? item->Height() : 0;
}

void TImageSprite::DrawSelf()
{
    if (!FSpriteImage || !Engine())
        return;
    const double index = std::trunc(FramePos) + FirstFrame;
    if (!(index >= 0 && index < FSpriteImage->PatternCount()))
        return;
    // Centred in the sprite's box.
    const TRect extent = ExtentRect();
    const int x = extent.Left + (Width - FSpriteImage->Width()) / 2;
    const int y = extent.Top + (Height - FSpriteImage->Height()) / 2;
    FSpriteImage->Draw(Engine()->Target(), x, y, static_cast<int>(index));
}

TRect TBackgroundSprite::ExtentRect() const
{
    if (!TileImage)
        return TRect{};
    const std::int64_t left = Trunc64(AbsoluteX());
    const std::int64_t top = Trunc64(AbsoluteY());
    const std::int64_t right = left + static_cast<std::int64_t>(TileImage->Width()) * Columns();
    const std::int64_t bottom = top + static_cast<std::int64_t>(TileImage->Height()) * Rows();
    auto clamp = [](std::int64_t v) { return static_cast<int>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX)); };
    return TRect{clamp(left), clamp(top), clamp(right), clamp(bottom)};
}

void TBackgroundSprite::DrawSelf()
{
    TSpriteEngine* engine = Engine();
    if (!TileImage || Columns() <= 0 || Rows() <= 0 || !engine)
        return;
    const TRect cell = TileImage->PatternRect(0);
    const int w = cell.Width(), h = cell.Height();
    if (w <= 0 || h <= 0)
        return;  // no pattern 0: nothing to step by
    const TRect& target = engine->TargetRect;
    const std::int64_t cx = (static_cast<std::int64_t>(target.Right) + w) / w + 1;
    const std::int64_t cy = (static_cast<std::int64_t>(target.Bottom) + h) / h + 1;
    const std::int64_t px = Trunc64(AbsoluteX());
    const std::int64_t py = Trunc64(AbsoluteY());
    const std::int64_t ox = px % w, oy = py % h;
    std::int64_t sx = px / w, kx = 0, sy = py / h, ky = 0;
    if (sx < 0) {
        kx = -sx;
        sx = 0;
    }
    if (sy < 0) {
        ky = -sy;
        sy = 0;
    }
    const std::int64_t ex = std::min(sx + Columns() - kx, cx);
    const std::int64_t ey = std::min(sy + Rows() - ky, cy);
    TDirectDrawSurface* dest = engine->Target();
    for (std::int64_t j = sy; j < ey; ++j)
        for (std::int64_t i = sx; i < ex; ++i) {
            const int code = DrawnCell(static_cast<int>(i - sx + kx), static_cast<int>(j - sy + ky));
            if (code >= 0)
                TileImage->Draw(dest, static_cast<int>(i * w + ox), static_cast<int>(j * h + oy), code);
        }
}

void TSpriteEngine::SetTarget(TDirectDrawSurface* surface)
{
    FTarget = surface;
    if (surface) {
        TargetRect = surface->ClientRect();
        Width = TargetRect.Width();
        Height = TargetRect.Height();
    }
}

TDXSpriteEngine::TDXSpriteEngine() = default;

TDXSpriteEngine::~TDXSpriteEngine()
{
    SetDXDraw(nullptr);
}

void TDXSpriteEngine::SetDXDraw(TDXDraw* draw)
{
    if (draw == FDXDraw)
        return;
    if (FDXDraw)
        FDXDraw->UnRegisterNotifyEvent(this);
    FDXDraw = draw;
    if (FDXDraw)
        FDXDraw->RegisterNotifyEvent(this);
}

void TDXSpriteEngine::DXDrawNotify(TDXDraw& sender, TDXDrawNotifyType type)
{
    switch (type) {
    case TDXDrawNotifyType::dxntDestroying: FDXDraw = nullptr; break;
    case TDXDrawNotifyType::dxntInitialize: Engine.SetTarget(sender.Surface()); break;
    case TDXDrawNotifyType::dxntFinalize: Engine.SetTarget(nullptr); break;
    default: break;
    }
}

void TDXSpriteEngine::Draw()
{
    if (FDXDraw && FDXDraw->Initialized())
        Engine.Draw();
}
