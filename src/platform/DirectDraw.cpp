#include "platform/DirectDraw.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <span>

namespace {

constexpr int MaxSurfaceSide = 16384;
// The desktop holds no pixels, so it may be larger than a surface; its corner
// is bounded so that corner + size never overflows.
constexpr int MaxDesktopSide = 1 << 20;
constexpr int MaxDesktopCorner = 1 << 24;

TVerticalBlankRecord& BlankRecord()
{
    static TVerticalBlankRecord record;
    return record;
}

// Rounds toward minus infinity, so clocks before their epoch still number blanks in order.
std::int64_t FloorDiv(std::int64_t a, std::int64_t b)
{
    const std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

TRect Intersect(const TRect& a, const TRect& b)
{
    return TRect{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
                 std::min(a.Bottom, b.Bottom)};
}

bool Contains(const TRect& outer, const TRect& inner)
{
    return inner.Left >= outer.Left && inner.Top >= outer.Top && inner.Right <= outer.Right
           && inner.Bottom <= outer.Bottom;
}

// Rectangles are given by callers: widths are computed in 64 bits so extreme
// coordinates cannot overflow.
bool ValidRect(const TRect& r)
{
    return static_cast<std::int64_t>(r.Right) > r.Left && static_cast<std::int64_t>(r.Bottom) > r.Top;
}

}  // namespace

TDisplayPlatformSettings& DisplayPlatformSettings()
{
    static TDisplayPlatformSettings settings;
    return settings;
}

const TVerticalBlankRecord& VerticalBlankRecord()
{
    return BlankRecord();
}

HRESULT DirectDrawCreate(const void* driver, std::unique_ptr<IDirectDraw4>& directDraw)
{
    directDraw.reset();
    if (driver || DisplayPlatformSettings().FailCreate)
        return DDERR_GENERIC;
    directDraw = std::make_unique<IDirectDraw4>(DisplayPlatformSettings());
    return DD_OK;
}

// --- Clipper

HRESULT IDirectDrawClipper::SetHWnd(std::uint32_t, TWindowControl* window)
{
    FWindow = window;
    return DD_OK;
}

HRESULT IDirectDrawClipper::GetHWnd(TWindowControl*& window) const
{
    window = FWindow;
    return DD_OK;
}

HRESULT IDirectDrawClipper::SetClipList(const std::vector<TRect>& rects)
{
    FList = rects;
    return DD_OK;
}

HRESULT IDirectDrawClipper::ClipRects(const TRect& bounds, std::vector<TRect>& rects) const
{
    rects.clear();
    if (FWindow) {
        // The window's client area on the screen, less what covers it.
        const TPoint origin = FWindow->ClientOrigin();
        const TPoint size = FWindow->ClientSize();
        const TRect client = Intersect(Bounds(origin.X, origin.Y, size.X, size.Y), bounds);
        if (client.IsEmpty())
            return DD_OK;
        static thread_local std::vector<TRect> visible;
        visible.clear();
        if (!FWindow->VisibleRegion(visible)) {
            rects.push_back(client);
            return DD_OK;
        }
        for (const TRect& v : visible) {
            const TRect onScreen{v.Left + origin.X, v.Top + origin.Y, v.Right + origin.X, v.Bottom + origin.Y};
            const TRect r = Intersect(onScreen, client);
            if (!r.IsEmpty())
                rects.push_back(r);
        }
        return DD_OK;
    }
    if (FList.empty())
        return DDERR_NOCLIPLIST;
    for (const TRect& l : FList) {
        const TRect r = Intersect(l, bounds);
        if (!r.IsEmpty())
            rects.push_back(r);
    }
    return DD_OK;
}

// --- Palette

HRESULT IDirectDrawPalette::SetEntries(std::uint32_t, int start, int count, const TPaletteEntry* entries)
{
    if (!entries || start < 0 || count < 0 || start > 256 || count > 256 - start)
        return DDERR_INVALIDPARAMS;
    std::copy(entries, entries + count, FEntries.begin() + start);
    return DD_OK;
}

HRESULT IDirectDrawPalette::GetEntries(std::uint32_t, int start, int count, TPaletteEntry* entries) const
{
    if (!entries || start < 0 || count < 0 || start > 256 || count > 256 - start)
        return DDERR_INVALIDPARAMS;
    std::copy(FEntries.begin() + start, FEntries.begin() + start + count, entries);
    return DD_OK;
}

// --- Display object

IDirectDraw4::IDirectDraw4(const TDisplayPlatformSettings& settings) : FSettings(settings)
{
    DisplayChanged(settings);
}

IDirectDraw4::~IDirectDraw4()
{
    // Surfaces that outlive their display object keep their memory but can no
    // longer be used.
    for (IDirectDrawSurface4* surface : FSurfaces) {
        surface->FOwner = nullptr;
        surface->FLost = true;
    }
}

HRESULT IDirectDraw4::GetCaps(TDDCaps* driver, TDDCaps* emulation) const
{
    TDDCaps caps;
    caps.PalCaps = 0;  // palette changes are not synchronised with the refresh
    caps.VideoMemoryTotal = FSettings.VideoMemory;
    caps.VideoMemoryFree = FSettings.VideoMemory - std::min(FVideoUsed, FSettings.VideoMemory);
    if (driver)
        *driver = caps;
    if (emulation)
        *emulation = caps;
    return DD_OK;
}

HRESULT IDirectDraw4::SetCooperativeLevel(TWindowControl*, std::uint32_t flags)
{
    if (flags & (DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN))
        return DDERR_UNSUPPORTED;
    return DD_OK;
}

HRESULT IDirectDraw4::CreateSurface(const TDDSurfaceDesc& desc, std::unique_ptr<IDirectDrawSurface4>& surface)
{
    surface.reset();
    TDDSurfaceDesc made;
    made.Format = FSettings.Format;
    if (desc.Caps & DDSCAPS_PRIMARYSURFACE) {
        if (FHasPrimary)
            return DDERR_PRIMARYSURFACEALREADYEXISTS;
        made.Left = FSettings.ScreenLeft;
        made.Top = FSettings.ScreenTop;
        made.Width = FSettings.ScreenWidth;
        made.Height = FSettings.ScreenHeight;
        made.Caps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_VIDEOMEMORY;
    } else {
        if (desc.Width <= 0 || desc.Height <= 0 || desc.Width > MaxSurfaceSide || desc.Height > MaxSurfaceSide)
            return DDERR_INVALIDPARAMS;
        made.Width = desc.Width;
        made.Height = desc.Height;
        made.Caps = DDSCAPS_OFFSCREENPLAIN;
    }
    // The primary surface's pixels are the windows' own: it keeps none.
    if (!(made.Caps & DDSCAPS_PRIMARYSURFACE))
        made.Pitch = static_cast<std::ptrdiff_t>(made.Width) * BytesPerPixel(made.Format);
    const auto bytes = static_cast<std::uint64_t>(made.Pitch) * static_cast<std::uint64_t>(made.Height);
    bool video = false;
    if (!(made.Caps & DDSCAPS_PRIMARYSURFACE)) {
        if (!(desc.Caps & DDSCAPS_SYSTEMMEMORY) && FVideoUsed + bytes <= FSettings.VideoMemory)
            video = true;
        else if (desc.Caps & DDSCAPS_VIDEOMEMORY)
            return DDERR_OUTOFVIDEOMEMORY;
        made.Caps |= video ? DDSCAPS_VIDEOMEMORY : DDSCAPS_SYSTEMMEMORY;
    }
    try {
        surface.reset(new IDirectDrawSurface4(this, made));
    } catch (const std::bad_alloc&) {
        return DDERR_OUTOFMEMORY;
    }
    if (video)
        FVideoUsed += bytes;
    if (made.Caps & DDSCAPS_PRIMARYSURFACE)
        FHasPrimary = true;
    return DD_OK;
}

HRESULT IDirectDraw4::CreateClipper(std::uint32_t, std::shared_ptr<IDirectDrawClipper>& clipper)
{
    clipper = std::make_shared<IDirectDrawClipper>();
    return DD_OK;
}

HRESULT IDirectDraw4::CreatePalette(std::uint32_t, const TPaletteEntry* entries,
                                    std::shared_ptr<IDirectDrawPalette>& palette)
{
    palette = std::make_shared<IDirectDrawPalette>();
    if (entries)
        palette->SetEntries(0, 0, 256, entries);
    return DD_OK;
}

TMonotonicClock& IDirectDraw4::Clock() const
{
    return FSettings.Clock ? *FSettings.Clock : SteadyClock();
}

std::int64_t IDirectDraw4::Period() const
{
    return std::max<std::int64_t>(static_cast<std::int64_t>(1e9 / FSettings.RefreshRate), 1);
}

HRESULT IDirectDraw4::WaitForVerticalBlank(std::uint32_t flags, void*)
{
    if (!(flags & DDWAITVB_BLOCKBEGIN))
        return DDERR_UNSUPPORTED;
    TMonotonicClock& clock = Clock();
    const std::int64_t period = Period();
    const std::int64_t now = clock.Now().count();
    TVerticalBlankRecord& record = BlankRecord();
    ++record.Waits;
    record.LastAsked = std::chrono::nanoseconds(now);
    ++FVBlankWaits;
    // Blanks are numbered by the clock: blank n starts at n * period.
    const std::int64_t latest = FloorDiv(now, period);
    if (latest > FLastBlank) {
        FLastBlank = latest;
        return DD_OK;
    }
    ++FLastBlank;
    clock.SleepUntil(std::chrono::nanoseconds(FLastBlank * period));
    return DD_OK;
}

HRESULT IDirectDraw4::SetDisplayMode(int, int, int, int, std::uint32_t)
{
    return DDERR_UNSUPPORTED;
}

HRESULT IDirectDraw4::RestoreDisplayMode()
{
    return DD_OK;
}

HRESULT IDirectDraw4::FlipToGDISurface()
{
    return DD_OK;
}

void IDirectDraw4::LoseAllSurfaces()
{
    for (IDirectDrawSurface4* surface : FSurfaces)
        surface->MakeLost();
}

void IDirectDraw4::DisplayChanged(const TDisplayPlatformSettings& settings)
{
    FSettings.ScreenLeft = std::clamp(settings.ScreenLeft, -MaxDesktopCorner, MaxDesktopCorner);
    FSettings.ScreenTop = std::clamp(settings.ScreenTop, -MaxDesktopCorner, MaxDesktopCorner);
    FSettings.ScreenWidth = std::clamp(settings.ScreenWidth, 1, MaxDesktopSide);
    FSettings.ScreenHeight = std::clamp(settings.ScreenHeight, 1, MaxDesktopSide);
    FSettings.RefreshRate = settings.RefreshRate > 0 && settings.RefreshRate < 10000 ? settings.RefreshRate : 60;
    // Blanks are numbered anew at this refresh; the one under way counts as
    // answered, so the next wait waits.
    FLastBlank = FloorDiv(Clock().Now().count(), Period());
    LoseAllSurfaces();
}

TRect IDirectDraw4::Desktop() const
{
    return Bounds(FSettings.ScreenLeft, FSettings.ScreenTop, FSettings.ScreenWidth, FSettings.ScreenHeight);
}

// --- Surface

IDirectDrawSurface4::IDirectDrawSurface4(IDirectDraw4* owner, const TDDSurfaceDesc& desc)
    : FOwner(owner),
      FDesc(desc),
      FPixels(static_cast<std::size_t>(desc.Pitch) * static_cast<std::size_t>(desc.Height), 0)
{
    FDesc.Surface = nullptr;
    FOwner->FSurfaces.push_back(this);
}

IDirectDrawSurface4::~IDirectDrawSurface4()
{
    if (!FOwner)
        return;
    auto& list = FOwner->FSurfaces;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    if (FDesc.Caps & DDSCAPS_PRIMARYSURFACE)
        FOwner->FHasPrimary = false;
    else if (FDesc.Caps & DDSCAPS_VIDEOMEMORY)
        FOwner->FVideoUsed -= static_cast<std::uint64_t>(FDesc.Pitch) * static_cast<std::uint64_t>(FDesc.Height);
}

HRESULT IDirectDrawSurface4::CheckUsable() const
{
    if (!FOwner)
        return DDERR_INVALIDOBJECT;
    if (FLost)
        return DDERR_SURFACELOST;
    if (Busy())
        return DDERR_SURFACEBUSY;
    return DD_OK;
}

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
        if (!ValidRect(src) || !Contains(TRect{0, 0, source->FDesc.Width, source->FDesc.Height}, src))
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
    } else if (!Contains(bounds, dest)) {
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
    } else if (!Contains(desktop, dest)) {
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
        const TRect area = Intersect(dest, clip);
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
    const TRect area = Intersect(dest, clip);
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
            const TRect area = Intersect(dest, clip);
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
    if (!Intersect(sourceRect, dest).IsEmpty()) {
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
    if (!ValidRect(src) || !Contains(TRect{0, 0, source->FDesc.Width, source->FDesc.Height}, src))
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

HRESULT IDirectDrawSurface4::Lock(const TRect* rect, TDDSurfaceDesc& desc, std::uint32_t)
{
    if (const HRESULT r = CheckUsable(); Failed(r))
        return r;
    if (IsPrimary())
        return DDERR_UNSUPPORTED;
    const TRect area = rect ? *rect : TRect{0, 0, FDesc.Width, FDesc.Height};
    if (!ValidRect(area) || !Contains(TRect{0, 0, FDesc.Width, FDesc.Height}, area))
        return DDERR_INVALIDRECT;
    FLocked = true;
    desc = FDesc;
    desc.Surface = PixelAt(area.Left, area.Top);
    return DD_OK;
}

HRESULT IDirectDrawSurface4::Unlock(const TRect*)
{
    if (!FLocked)
        return DDERR_NOTLOCKED;
    FLocked = false;
    return DD_OK;
}

HRESULT IDirectDrawSurface4::GetDC(TDeviceContext*& dc)
{
    dc = nullptr;
    if (const HRESULT r = CheckUsable(); Failed(r))
        return r;
    if (IsPrimary())
        return DDERR_UNSUPPORTED;
    FDC.Reset(FPixels.data(), FDesc.Width, FDesc.Height, FDesc.Pitch, FDesc.Format);
    FDCOut = true;
    dc = &FDC;
    return DD_OK;
}

HRESULT IDirectDrawSurface4::ReleaseDC(TDeviceContext* dc)
{
    if (!FDCOut || dc != &FDC)
        return DDERR_NODC;
    FDCOut = false;
    return DD_OK;
}

HRESULT IDirectDrawSurface4::GetSurfaceDesc(TDDSurfaceDesc& desc) const
{
    desc = FDesc;
    desc.Surface = nullptr;
    return DD_OK;
}

HRESULT IDirectDrawSurface4::GetClipper(std::shared_ptr<IDirectDrawClipper>& clipper) const
{
    clipper = FClipper;
    return FClipper ? DD_OK : DDERR_NOCLIPPERATTACHED;
}

HRESULT IDirectDrawSurface4::SetClipper(std::shared_ptr<IDirectDrawClipper> clipper)
{
    FClipper = std::move(clipper);
    return DD_OK;
}

HRESULT IDirectDrawSurface4::GetColorKey(std::uint32_t flags, TDDColorKey& key) const
{
    if (!(flags & DDCKEY_SRCBLT) || !FHasColorKey)
        return DDERR_NOCOLORKEY;
    key = FColorKey;
    return DD_OK;
}

HRESULT IDirectDrawSurface4::SetColorKey(std::uint32_t flags, const TDDColorKey* key)
{
    if (!(flags & DDCKEY_SRCBLT))
        return DDERR_UNSUPPORTED;
    FHasColorKey = key != nullptr;
    if (key)
        FColorKey = *key;
    return DD_OK;
}

HRESULT IDirectDrawSurface4::GetPalette(std::shared_ptr<IDirectDrawPalette>& palette) const
{
    palette = FPalette;
    return FPalette ? DD_OK : DDERR_NOPALETTEATTACHED;
}

HRESULT IDirectDrawSurface4::SetPalette(std::shared_ptr<IDirectDrawPalette> palette)
{
    FPalette = std::move(palette);
    return DD_OK;
}

HRESULT IDirectDrawSurface4::IsLost() const
{
    if (!FOwner)
        return DDERR_INVALIDOBJECT;
    return FLost ? DDERR_SURFACELOST : DD_OK;
}

HRESULT IDirectDrawSurface4::Restore()
{
    if (!FOwner)
        return DDERR_INVALIDOBJECT;
    if (!FLost)
        return DD_OK;
    if (FOwner->RefuseRestore)
        return DDERR_GENERIC;
    if (IsPrimary()) {
        const TRect desktop = FOwner->Desktop();
        FDesc.Left = desktop.Left;
        FDesc.Top = desktop.Top;
        FDesc.Width = desktop.Width();
        FDesc.Height = desktop.Height();
    }
    // The memory comes back with whatever was in it: scribble so a caller that
    // forgets to redraw shows it.
    std::fill(FPixels.begin(), FPixels.end(), std::uint8_t{0xCD});
    FLost = false;
    return DD_OK;
}

void IDirectDrawSurface4::MakeLost()
{
    FLost = true;
    FLocked = false;
    FDCOut = false;
}
