// The surface's blits: the public Blt and BltFast, which check and clip, and
// the copies they choose between (to the screen, from another surface, within
// one surface, stretched or not).
#include "platform/DirectDraw.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <span>
#include <vector>

HRESULT IDirectDrawSurface4::Blt(const TRect* destRect, IDirectDrawSurface4* source, const TRect* sourceRect,
                                 std::uint32_t flags, const TDDBltFx* fx)
{
    if (const HRESULT r = CheckUsable(); Failed(r))
        return r;
    const TRect bounds = SurfaceRect();
    const TRect dest = destRect ? *destRect : bounds;
    if (!ValidRect(dest))
        return DDERR_INVALIDRECT;
    TRect src;
    if (flags & DDBLT_COLORFILL) {
        if (!fx)
            return DDERR_INVALIDPARAMS;
    } else {
        if (!source)
            return DDERR_INVALIDPARAMS;
        if (const HRESULT r = source->CheckUsable(); Failed(r) && source != this)
            return r;
        if (source->FOwner != FOwner)
            return DDERR_INVALIDPARAMS;
        if (source->IsPrimary())
            return DDERR_UNSUPPORTED;
        src = sourceRect ? *sourceRect : TRect{0, 0, source->FDesc.Width, source->FDesc.Height};
        if (!ValidRect(src) || !ContainsRect(TRect{0, 0, source->FDesc.Width, source->FDesc.Height}, src))
            return DDERR_INVALIDRECT;
        if ((flags & DDBLT_KEYSRC) && !source->FHasColorKey)
            return DDERR_NOCOLORKEY;
    }
    if (IsPrimary())
        return BlitToScreen(dest, source, src, flags, fx);
    std::span<const TRect> clips(&bounds, 1);
    if (FClipper) {
        if (const HRESULT r = FClipper->ClipRects(bounds, FClipRects); Failed(r))
            return r;
        clips = FClipRects;
    } else if (!ContainsRect(bounds, dest)) {
        return DDERR_INVALIDRECT;
    }
    if (source == this && !(flags & DDBLT_COLORFILL))
        return BlitWithin(dest, src, (flags & DDBLT_KEYSRC) != 0, clips);
    for (const TRect& clip : clips)
        BlitClipped(dest, source, src, flags, fx, clip);
    return DD_OK;
}

HRESULT IDirectDrawSurface4::BlitToScreen(const TRect& dest, IDirectDrawSurface4* source, const TRect& sourceRect,
                                          std::uint32_t flags, const TDDBltFx* fx)
{
    if (flags & DDBLT_KEYSRC)
        return DDERR_UNSUPPORTED;
    const TRect desktop = SurfaceRect();
    TWindowControl* window = nullptr;
    if (FClipper) {
        if (const HRESULT r = FClipper->ClipRects(desktop, FClipRects); Failed(r))
            return r;
        FClipper->GetHWnd(window);
    } else if (!ContainsRect(desktop, dest)) {
        return DDERR_INVALIDRECT;
    }
    // Only a window shows anything; the rest of the desktop is other programs'.
    if (!window)
        return DD_OK;
    const TPoint origin = window->ClientOrigin();
    const TPixelFormat format = FDesc.Format;
    const int bpp = BytesPerPixel(format);
    const std::int64_t dw = static_cast<std::int64_t>(dest.Right) - dest.Left;
    const std::int64_t dh = static_cast<std::int64_t>(dest.Bottom) - dest.Top;
    const bool fill = (flags & DDBLT_COLORFILL) != 0;
    const bool scaled = !fill && (dw != sourceRect.Width() || dh != sourceRect.Height());
    for (const TRect& clip : FClipRects) {
        const TRect area = IntersectRect(dest, clip);
        if (area.IsEmpty())
            continue;
        const TRect inWindow{area.Left - origin.X, area.Top - origin.Y, area.Right - origin.X, area.Bottom - origin.Y};
        if (!fill && !scaled) {
            // The frame's path: the window takes the source's own rows.
            window->Present(
                inWindow,
                source->PixelAt(sourceRect.Left + (area.Left - dest.Left), sourceRect.Top + (area.Top - dest.Top)),
                source->FDesc.Pitch, format);
            continue;
        }
        const std::ptrdiff_t pitch = static_cast<std::ptrdiff_t>(area.Width()) * bpp;
        try {
            FScreenRows.resize(static_cast<std::size_t>(pitch) * (fill ? 1 : static_cast<std::size_t>(area.Height())));
        } catch (const std::bad_alloc&) {
            return DDERR_OUTOFMEMORY;
        }
        if (fill) {
            // One row, shown for every row of the area.
            PixelOps::Fill(format, FScreenRows.data(), 0, area.Width(), 1, fx->FillColor & PixelMask(format));
            window->Present(inWindow, FScreenRows.data(), 0, format);
            continue;
        }
        // Scaled: each pixel takes the nearest source pixel.
        const int sw = sourceRect.Width(), sh = sourceRect.Height();
        for (int y = area.Top; y < area.Bottom; ++y) {
            const int sy = sourceRect.Top + static_cast<int>((y - static_cast<std::int64_t>(dest.Top)) * sh / dh);
            std::uint8_t* row = FScreenRows.data() + pitch * (y - area.Top);
            for (int x = area.Left; x < area.Right; ++x) {
                const int sx = sourceRect.Left + static_cast<int>((x - static_cast<std::int64_t>(dest.Left)) * sw / dw);
                std::memcpy(row + static_cast<std::ptrdiff_t>(x - area.Left) * bpp, source->PixelAt(sx, sy),
                            static_cast<std::size_t>(bpp));
            }
        }
        window->Present(inWindow, FScreenRows.data(), pitch, format);
    }
    return DD_OK;
}

// Draws the part of dest inside clip (clip lies on this surface) from another
// surface.
HRESULT IDirectDrawSurface4::BlitClipped(const TRect& dest, IDirectDrawSurface4* source, const TRect& sourceRect,
                                         std::uint32_t flags, const TDDBltFx* fx, const TRect& clip)
{
    const TRect area = IntersectRect(dest, clip);
    if (area.IsEmpty())
        return DD_OK;
    const TPixelFormat format = FDesc.Format;
    if (flags & DDBLT_COLORFILL) {
        PixelOps::Fill(format, PixelAt(area.Left, area.Top), FDesc.Pitch, area.Width(), area.Height(),
                       fx->FillColor & PixelMask(format));
        return DD_OK;
    }
    const std::int64_t dw = static_cast<std::int64_t>(dest.Right) - dest.Left;
    const std::int64_t dh = static_cast<std::int64_t>(dest.Bottom) - dest.Top;
    const bool keyed = (flags & DDBLT_KEYSRC) != 0;
    const std::uint32_t key = source->FColorKey.Low & PixelMask(format);
    if (dw == sourceRect.Width() && dh == sourceRect.Height()) {
        const int sx = sourceRect.Left + (area.Left - dest.Left);
        const int sy = sourceRect.Top + (area.Top - dest.Top);
        if (keyed)
            PixelOps::CopyKeyed(format, PixelAt(area.Left, area.Top), FDesc.Pitch, source->PixelAt(sx, sy),
                                source->FDesc.Pitch, area.Width(), area.Height(), key);
        else
            PixelOps::Copy(format, PixelAt(area.Left, area.Top), FDesc.Pitch, source->PixelAt(sx, sy),
                           source->FDesc.Pitch, area.Width(), area.Height());
        return DD_OK;
    }
    Stretch(area, dest, source->PixelAt(sourceRect.Left, sourceRect.Top), source->FDesc.Pitch, sourceRect, keyed, key);
    return DD_OK;
}

// Each destination pixel of area takes the nearest source pixel; from points
// at the source rectangle's top-left pixel.
void IDirectDrawSurface4::Stretch(const TRect& area, const TRect& dest, const std::uint8_t* from,
                                  std::ptrdiff_t fromPitch, const TRect& sourceRect, bool keyed, std::uint32_t key)
{
    const int bpp = BytesPerPixel(FDesc.Format);
    const std::int64_t dw = static_cast<std::int64_t>(dest.Right) - dest.Left;
    const std::int64_t dh = static_cast<std::int64_t>(dest.Bottom) - dest.Top;
    const int sw = sourceRect.Width(), sh = sourceRect.Height();
    for (int y = area.Top; y < area.Bottom; ++y) {
        const int sy = static_cast<int>((y - static_cast<std::int64_t>(dest.Top)) * sh / dh);
        for (int x = area.Left; x < area.Right; ++x) {
            const int sx = static_cast<int>((x - static_cast<std::int64_t>(dest.Left)) * sw / dw);
            const std::uint8_t* s = from + fromPitch * sy + static_cast<std::ptrdiff_t>(sx) * bpp;
            std::uint8_t* d = PixelAt(x, y);
            std::uint32_t p = 0;
            std::memcpy(&p, s, static_cast<std::size_t>(bpp));
            if (!keyed || p != key)
                std::memcpy(d, s, static_cast<std::size_t>(bpp));
        }
    }
}

HRESULT IDirectDrawSurface4::BlitWithin(const TRect& dest, const TRect& sourceRect, bool keyed,
                                        std::span<const TRect> clips)
{
    FBlitAreas.clear();
    try {
        for (const TRect& clip : clips) {
            const TRect area = IntersectRect(dest, clip);
            if (!area.IsEmpty())
                FBlitAreas.push_back(area);
        }
    } catch (const std::bad_alloc&) {
        return DDERR_OUTOFMEMORY;
    }
    if (FBlitAreas.empty())
        return DD_OK;
    const std::int64_t dw = static_cast<std::int64_t>(dest.Right) - dest.Left;
    const std::int64_t dh = static_cast<std::int64_t>(dest.Bottom) - dest.Top;
    if (dw != sourceRect.Width() || dh != sourceRect.Height())
        return StretchWithin(dest, sourceRect, keyed);
    MoveWithin(dest, sourceRect, keyed);
    return DD_OK;
}

// Rows go bottom-up when the destination lies below the source, else
// top-down; within a row the areas go from the side the pixels move towards,
// and each row moves as by memmove (keyed: walked away from the overlap). So
// every source pixel is read before a write reaches it, across all areas.
void IDirectDrawSurface4::MoveWithin(const TRect& dest, const TRect& sourceRect, bool keyed)
{
    const TPixelFormat format = FDesc.Format;
    const std::uint32_t key = FColorKey.Low & PixelMask(format);
    const int dx = dest.Left - sourceRect.Left, dy = dest.Top - sourceRect.Top;
    std::sort(FBlitAreas.begin(), FBlitAreas.end(),
              [dx](const TRect& a, const TRect& b) { return dx > 0 ? a.Left > b.Left : a.Left < b.Left; });
    int top = FBlitAreas.front().Top, bottom = FBlitAreas.front().Bottom;
    for (const TRect& area : FBlitAreas) {
        top = std::min(top, area.Top);
        bottom = std::max(bottom, area.Bottom);
    }
    for (int i = 0; i < bottom - top; ++i) {
        const int y = dy > 0 ? bottom - 1 - i : top + i;
        for (const TRect& area : FBlitAreas) {
            if (y < area.Top || y >= area.Bottom)
                continue;
            std::uint8_t* d = PixelAt(area.Left, y);
            const std::uint8_t* s = PixelAt(area.Left - dx, y - dy);
            if (keyed)
                PixelOps::MoveRowKeyed(format, d, s, area.Width(), key);
            else
                PixelOps::MoveRow(format, d, s, area.Width());
        }
    }
}

// Scaling reads source rows in no order that row order could keep ahead of
// the writes: an overlapping source is read from a copy of its rectangle,
// taken once for all areas.
HRESULT IDirectDrawSurface4::StretchWithin(const TRect& dest, const TRect& sourceRect, bool keyed)
{
    const TPixelFormat format = FDesc.Format;
    const std::uint32_t key = FColorKey.Low & PixelMask(format);
    const std::uint8_t* from = PixelAt(sourceRect.Left, sourceRect.Top);
    std::ptrdiff_t fromPitch = FDesc.Pitch;
    if (!IntersectRect(sourceRect, dest).IsEmpty()) {
        fromPitch = static_cast<std::ptrdiff_t>(sourceRect.Width()) * BytesPerPixel(format);
        try {
            FSourceCopy.resize(static_cast<std::size_t>(fromPitch) * static_cast<std::size_t>(sourceRect.Height()));
        } catch (const std::bad_alloc&) {
            return DDERR_OUTOFMEMORY;
        }
        PixelOps::Copy(format, FSourceCopy.data(), fromPitch, from, FDesc.Pitch, sourceRect.Width(),
                       sourceRect.Height());
        from = FSourceCopy.data();
    }
    for (const TRect& area : FBlitAreas)
        Stretch(area, dest, from, fromPitch, sourceRect, keyed, key);
    return DD_OK;
}

HRESULT IDirectDrawSurface4::BltFast(int x, int y, IDirectDrawSurface4* source, const TRect* sourceRect,
                                     std::uint32_t flags)
{
    if (const HRESULT r = CheckUsable(); Failed(r))
        return r;
    if (FClipper)
        return DDERR_BLTFASTCANTCLIP;
    if (!source)
        return DDERR_INVALIDPARAMS;
    if (source != this)
        if (const HRESULT r = source->CheckUsable(); Failed(r))
            return r;
    if (source->FOwner != FOwner)
        return DDERR_INVALIDPARAMS;
    if (source->IsPrimary())
        return DDERR_UNSUPPORTED;
    const TRect src = sourceRect ? *sourceRect : TRect{0, 0, source->FDesc.Width, source->FDesc.Height};
    if (!ValidRect(src) || !ContainsRect(TRect{0, 0, source->FDesc.Width, source->FDesc.Height}, src))
        return DDERR_INVALIDRECT;
    const TRect bounds = SurfaceRect();
    const std::int64_t right = static_cast<std::int64_t>(x) + src.Width();
    const std::int64_t bottom = static_cast<std::int64_t>(y) + src.Height();
    if (x < bounds.Left || y < bounds.Top || right > bounds.Right || bottom > bounds.Bottom)
        return DDERR_INVALIDRECT;
    // Without a clipper the primary surface is bound to no window: nothing shows.
    if (IsPrimary())
        return DD_OK;
    const bool keyed = (flags & DDBLTFAST_SRCCOLORKEY) != 0;
    if (keyed && !source->FHasColorKey)
        return DDERR_NOCOLORKEY;
    const TPixelFormat format = FDesc.Format;
    if (source == this) {
        const TRect dest = Bounds(x, y, src.Width(), src.Height());
        return BlitWithin(dest, src, keyed, std::span<const TRect>(&dest, 1));
    }
    if (keyed)
        PixelOps::CopyKeyed(format, PixelAt(x, y), FDesc.Pitch, source->PixelAt(src.Left, src.Top), source->FDesc.Pitch,
                            src.Width(), src.Height(), source->FColorKey.Low & PixelMask(format));
    else
        PixelOps::Copy(format, PixelAt(x, y), FDesc.Pitch, source->PixelAt(src.Left, src.Top), source->FDesc.Pitch,
                       src.Width(), src.Height());
    return DD_OK;
}
