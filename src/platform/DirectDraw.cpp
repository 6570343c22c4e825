#include "platform/DirectDraw.h"

#include <algorithm>
#include <new>

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

void NoteFrameDue(std::optional<std::chrono::nanoseconds> at)
{
    BlankRecord().FrameDue = at;
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
        const TRect client = IntersectRect(Bounds(origin.X, origin.Y, size.X, size.Y), bounds);
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
            const TRect r = IntersectRect(onScreen, client);
            if (!r.IsEmpty())
                rects.push_back(r);
        }
        return DD_OK;
    }
    if (FList.empty())
        return DDERR_NOCLIPLIST;
    for (const TRect& l : FList) {
        const TRect r = IntersectRect(l, bounds);
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
    const bool dueBefore = !record.FrameDue || record.FrameDue->count() < latest * period;
    if (latest > FLastBlank && dueBefore) {
        FLastBlank = latest;
        return DD_OK;
    }
    FLastBlank = std::max(FLastBlank, latest) + 1;
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

HRESULT IDirectDrawSurface4::Lock(const TRect* rect, TDDSurfaceDesc& desc, std::uint32_t)
{
    if (const HRESULT r = CheckUsable(); Failed(r))
        return r;
    if (IsPrimary())
        return DDERR_UNSUPPORTED;
    const TRect area = rect ? *rect : TRect{0, 0, FDesc.Width, FDesc.Height};
    if (!ValidRect(area) || !ContainsRect(TRect{0, 0, FDesc.Width, FDesc.Height}, area))
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

HRESULT IDirectDrawSurface4::SetColorKey(std::uint32_t flags, const TDDColorKey* key)
{
    if (!(flags & DDCKEY_SRCBLT))
        return DDERR_UNSUPPORTED;
    FHasColorKey = key != nullptr;
    if (key)
        FColorKey = *key;
    return DD_OK;
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
