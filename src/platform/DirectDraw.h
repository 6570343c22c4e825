#pragma once
// A software display platform with the objects and calls of the desktop's
// DirectDraw as far as the engine uses them: a display object, surfaces holding
// real pixels, clippers and palettes. Every call answers with a result code and
// never throws. Surfaces hold 32-bit XRGB or 16-bit RGB 5-6-5 pixels, whichever
// the display object was made with.
//
// The primary surface is the virtual desktop (the union of all screens) in
// screen coordinates, which may start left of or above 0. It holds no pixels
// of its own: what is blitted onto it goes straight to the window its clipper
// is bound to, wherever on the desktop that window is.

#include "platform/Clock.h"
#include "platform/DeviceContext.h"
#include "platform/PixelOps.h"
#include "platform/Types.h"
#include "platform/WindowControl.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

using HRESULT = std::int32_t;

constexpr HRESULT MakeDDResult(unsigned code)
{
    return static_cast<HRESULT>(0x88760000u | code);
}
constexpr HRESULT DD_OK = 0;
constexpr HRESULT DDERR_GENERIC = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT DDERR_UNSUPPORTED = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT DDERR_INVALIDPARAMS = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT DDERR_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT DDERR_INVALIDOBJECT = MakeDDResult(130);
constexpr HRESULT DDERR_INVALIDRECT = MakeDDResult(150);
constexpr HRESULT DDERR_NOCLIPLIST = MakeDDResult(205);
constexpr HRESULT DDERR_NOCOLORKEY = MakeDDResult(215);
constexpr HRESULT DDERR_NOTFOUND = MakeDDResult(255);
constexpr HRESULT DDERR_OUTOFVIDEOMEMORY = MakeDDResult(380);
constexpr HRESULT DDERR_SURFACEBUSY = MakeDDResult(430);
constexpr HRESULT DDERR_SURFACELOST = MakeDDResult(450);
constexpr HRESULT DDERR_BLTFASTCANTCLIP = MakeDDResult(574);
constexpr HRESULT DDERR_NOCLIPPERATTACHED = MakeDDResult(578);
constexpr HRESULT DDERR_NOTLOCKED = MakeDDResult(584);
constexpr HRESULT DDERR_NODC = MakeDDResult(587);
constexpr HRESULT DDERR_PRIMARYSURFACEALREADYEXISTS = MakeDDResult(564);
constexpr HRESULT DDERR_NOPALETTEATTACHED = MakeDDResult(572);
constexpr HRESULT DDERR_EXCLUSIVEMODEALREADYSET = MakeDDResult(581);

constexpr bool Succeeded(HRESULT result)
{
    return result >= 0;
}
constexpr bool Failed(HRESULT result)
{
    return result < 0;
}

// Surface capabilities.
constexpr std::uint32_t DDSCAPS_OFFSCREENPLAIN = 0x00000040;
constexpr std::uint32_t DDSCAPS_PRIMARYSURFACE = 0x00000200;
constexpr std::uint32_t DDSCAPS_SYSTEMMEMORY = 0x00000800;
constexpr std::uint32_t DDSCAPS_VIDEOMEMORY = 0x00004000;

// Cooperative levels.
constexpr std::uint32_t DDSCL_FULLSCREEN = 0x00000001;
constexpr std::uint32_t DDSCL_NORMAL = 0x00000008;
constexpr std::uint32_t DDSCL_EXCLUSIVE = 0x00000010;

// Blit flags.
constexpr std::uint32_t DDBLT_COLORFILL = 0x00000400;
constexpr std::uint32_t DDBLT_KEYSRC = 0x00008000;
constexpr std::uint32_t DDBLT_WAIT = 0x01000000;
constexpr std::uint32_t DDBLTFAST_NOCOLORKEY = 0x00000000;
constexpr std::uint32_t DDBLTFAST_SRCCOLORKEY = 0x00000001;
constexpr std::uint32_t DDBLTFAST_WAIT = 0x00000010;

constexpr std::uint32_t DDCKEY_SRCBLT = 0x00000008;
constexpr std::uint32_t DDWAITVB_BLOCKBEGIN = 0x00000001;
constexpr std::uint32_t DDLOCK_WAIT = 0x00000001;

// Palette capabilities of a driver.
constexpr std::uint32_t DDPCAPS_VSYNC = 0x00000002;

struct TDDCaps {
    std::uint32_t Caps = 0;
    std::uint32_t PalCaps = 0;
    std::uint64_t VideoMemoryTotal = 0;
    std::uint64_t VideoMemoryFree = 0;
};

struct TDDSurfaceDesc {
    int Width = 0;
    int Height = 0;
    // Screen position of the surface's top-left pixel: the desktop's corner for
    // the primary surface, whose rectangles are screen coordinates; 0 otherwise.
    int Left = 0;
    int Top = 0;
    std::ptrdiff_t Pitch = 0;  // bytes per row
    TPixelFormat Format = TPixelFormat::XRGB8888;
    std::uint32_t Caps = 0;
    std::uint8_t* Surface = nullptr;  // the pixels, from Lock only
};

struct TDDColorKey {
    std::uint32_t Low = 0;
    std::uint32_t High = 0;
};

struct TDDBltFx {
    std::uint32_t FillColor = 0;  // raw pixel
};

struct TPaletteEntry {
    std::uint8_t Red = 0;
    std::uint8_t Green = 0;
    std::uint8_t Blue = 0;
    std::uint8_t Flags = 0;
};

// How the display platform is made. Tests pick the format, a small screen and
// a small video memory; DirectDrawCreate copies the settings in force.
struct TDisplayPlatformSettings {
    TPixelFormat Format = TPixelFormat::XRGB8888;
    // The virtual desktop: the bounding rectangle of all screens, in screen
    // coordinates. The windows layer fills it from the window system.
    int ScreenLeft = 0;
    int ScreenTop = 0;
    int ScreenWidth = 1920;
    int ScreenHeight = 1080;
    std::uint64_t VideoMemory = 256u << 20;  // bytes for surfaces in "video memory"
    double RefreshRate = 60;                 // vertical blanks per second
    TMonotonicClock* Clock = nullptr;        // none: the steady clock
    bool FailCreate = false;                 // DirectDrawCreate answers DDERR_GENERIC
};
TDisplayPlatformSettings& DisplayPlatformSettings();

class IDirectDraw4;

class IDirectDrawClipper {
public:
    HRESULT SetHWnd(std::uint32_t flags, TWindowControl* window);
    HRESULT GetHWnd(TWindowControl*& window) const;
    // A clip list in the coordinates of the surface the clipper is attached to;
    // an empty list clears it.
    HRESULT SetClipList(const std::vector<TRect>& rects);

    // The rectangles a blit onto a surface may touch, within bounds (the
    // surface's rectangle in its own coordinates; a window's client area is
    // taken in screen coordinates). Fails with DDERR_NOCLIPLIST when neither a
    // window nor a list is set.
    HRESULT ClipRects(const TRect& bounds, std::vector<TRect>& rects) const;

private:
    TWindowControl* FWindow = nullptr;  // not owned
    std::vector<TRect> FList;
};

class IDirectDrawPalette {
public:
    IDirectDrawPalette() : FEntries(256) {}
    HRESULT SetEntries(std::uint32_t flags, int start, int count, const TPaletteEntry* entries);

private:
    std::vector<TPaletteEntry> FEntries;
};

class IDirectDrawSurface4 {
public:
    ~IDirectDrawSurface4();
    IDirectDrawSurface4(const IDirectDrawSurface4&) = delete;
    IDirectDrawSurface4& operator=(const IDirectDrawSurface4&) = delete;

    // A blit of the source rectangle (whole source when null) into the
    // destination rectangle (whole surface when null), scaled when the sizes
    // differ. With a clipper the destination is clipped to it; without one it
    // must lie on the surface. DDBLT_COLORFILL fills with fx->FillColor instead.
    // On the primary surface the result shows in the clipper's window; the
    // screen cannot be read back, so the primary is never a source and takes
    // no keyed blits (DDERR_UNSUPPORTED). A surface may be its own source,
    // the rectangles overlapping: the result is as if the source were read
    // whole before anything was written.
    HRESULT Blt(const TRect* destRect, IDirectDrawSurface4* source, const TRect* sourceRect, std::uint32_t flags,
                const TDDBltFx* fx);
    // An unscaled copy to (x, y) that never clips: the rectangle must lie on
    // both surfaces, and a surface with a clipper refuses it. Overlap within
    // one surface is handled as by Blt.
    HRESULT BltFast(int x, int y, IDirectDrawSurface4* source, const TRect* sourceRect, std::uint32_t flags);

    // Lock and GetDC need pixels: the primary surface answers DDERR_UNSUPPORTED.
    HRESULT Lock(const TRect* rect, TDDSurfaceDesc& desc, std::uint32_t flags);
    HRESULT Unlock(const TRect* rect);
    // A drawing layer over the surface's pixels; the surface stays locked until ReleaseDC.
    HRESULT GetDC(TDeviceContext*& dc);
    HRESULT ReleaseDC(TDeviceContext* dc);

    HRESULT GetSurfaceDesc(TDDSurfaceDesc& desc) const;
    HRESULT GetClipper(std::shared_ptr<IDirectDrawClipper>& clipper) const;
    HRESULT SetClipper(std::shared_ptr<IDirectDrawClipper> clipper);
    HRESULT SetColorKey(std::uint32_t flags, const TDDColorKey* key);
    HRESULT SetPalette(std::shared_ptr<IDirectDrawPalette> palette);

    // DD_OK, or DDERR_SURFACELOST while the memory is lost.
    HRESULT IsLost() const;
    // Brings lost memory back; its contents are then undefined. The primary
    // surface comes back as the desktop is now (DisplayChanged).
    HRESULT Restore();

    // Test hook (and the window system's "the screen changed"): the memory is lost.
    void MakeLost();

private:
    friend class IDirectDraw4;
    IDirectDrawSurface4(IDirectDraw4* owner, const TDDSurfaceDesc& desc);
    bool Busy() const { return FLocked || FDCOut; }
    bool IsPrimary() const { return (FDesc.Caps & DDSCAPS_PRIMARYSURFACE) != 0; }
    // The surface's rectangle in its own coordinates (screen coordinates for the primary).
    TRect SurfaceRect() const
    {
        return TRect{FDesc.Left, FDesc.Top, FDesc.Left + FDesc.Width, FDesc.Top + FDesc.Height};
    }
    // Pixels of surfaces that have them (not the primary); x and y from the surface's own corner.
    std::uint8_t* PixelAt(int x, int y) { return FPixels.data() + FDesc.Pitch * y + x * BytesPerPixel(FDesc.Format); }
    const std::uint8_t* PixelAt(int x, int y) const
    {
        return FPixels.data() + FDesc.Pitch * y + x * BytesPerPixel(FDesc.Format);
    }
    HRESULT CheckUsable() const;
    HRESULT BlitClipped(const TRect& dest, IDirectDrawSurface4* source, const TRect& sourceRect, std::uint32_t flags,
                        const TDDBltFx* fx, const TRect& clip);
    // An unscaled or scaled blit from this surface onto itself, dest clipped
    // to each of clips (rectangles on this surface that do not overlap). The
    // result is as if the whole source were read before anything was written.
    HRESULT BlitWithin(const TRect& dest, const TRect& sourceRect, bool keyed, std::span<const TRect> clips);
    // Its two halves, over the areas BlitWithin gathered (dest within each clip).
    void MoveWithin(const TRect& dest, const TRect& sourceRect, bool keyed);
    HRESULT StretchWithin(const TRect& dest, const TRect& sourceRect, bool keyed);
    // Nearest-pixel scaling of sourceRect onto dest, for the part area of it.
    void Stretch(const TRect& area, const TRect& dest, const std::uint8_t* from, std::ptrdiff_t fromPitch,
                 const TRect& sourceRect, bool keyed, std::uint32_t key);
    // Blt onto the primary surface: dest is in screen coordinates.
    HRESULT BlitToScreen(const TRect& dest, IDirectDrawSurface4* source, const TRect& sourceRect, std::uint32_t flags,
                         const TDDBltFx* fx);

    IDirectDraw4* FOwner;  // not owned; cleared when the display object goes first
    TDDSurfaceDesc FDesc;
    std::vector<std::uint8_t> FPixels;
    std::shared_ptr<IDirectDrawClipper> FClipper;
    std::shared_ptr<IDirectDrawPalette> FPalette;
    TDDColorKey FColorKey;
    bool FHasColorKey = false;
    bool FLost = false;
    bool FLocked = false;
    TDeviceContext FDC;  // handed out by GetDC, reused so drawing allocates nothing
    bool FDCOut = false;
    std::vector<TRect> FClipRects;          // reused by every clipped blit
    std::vector<std::uint8_t> FScreenRows;  // what a fill or a scaled blit onto the primary shows
    std::vector<TRect> FBlitAreas;          // reused by every blit within the surface
    std::vector<std::uint8_t> FSourceCopy;  // a scaled blit's overlapping source rectangle
};

class IDirectDraw4 {
public:
    explicit IDirectDraw4(const TDisplayPlatformSettings& settings);
    ~IDirectDraw4();
    IDirectDraw4(const IDirectDraw4&) = delete;
    IDirectDraw4& operator=(const IDirectDraw4&) = delete;

    HRESULT GetCaps(TDDCaps* driver, TDDCaps* emulation) const;
    // Only the normal windowed level is offered; exclusive or full-screen
    // levels answer DDERR_UNSUPPORTED.
    HRESULT SetCooperativeLevel(TWindowControl* window, std::uint32_t flags);
    HRESULT CreateSurface(const TDDSurfaceDesc& desc, std::unique_ptr<IDirectDrawSurface4>& surface);
    HRESULT CreateClipper(std::uint32_t flags, std::shared_ptr<IDirectDrawClipper>& clipper);
    HRESULT CreatePalette(std::uint32_t flags, const TPaletteEntry* entries,
                          std::shared_ptr<IDirectDrawPalette>& palette);
    // Blocks until the start of the next vertical blank. A frame that missed
    // the blank under way (it was due to start before that blank, and no wait
    // has been answered with that blank yet) is answered at once, as if it
    // were shown at that blank: a frame that misses its blank costs the time
    // it is late, not a whole refresh. A frame due after the blank under way
    // waits for the next one, also when blanks passed with nothing shown.
    // When no one said when the frame was due (VerticalBlankRecord), any wait
    // after an unanswered blank counts as late. At most one wait is answered
    // per blank.
    HRESULT WaitForVerticalBlank(std::uint32_t flags, void* event);
    HRESULT SetDisplayMode(int width, int height, int bitCount, int refreshRate, std::uint32_t flags);
    HRESULT RestoreDisplayMode();
    HRESULT FlipToGDISurface();

    // The window system reports the screen changed: every surface loses its memory.
    void LoseAllSurfaces();
    // The screens were added, removed, resized or moved: the desktop is now
    // settings' ScreenLeft/Top/Width/Height at settings' RefreshRate (the rest
    // of settings is not used). Every surface loses its memory; the primary
    // surface is restored with the new desktop.
    void DisplayChanged(const TDisplayPlatformSettings& settings);
    // The desktop in screen coordinates.
    TRect Desktop() const;

    TPixelFormat Format() const { return FSettings.Format; }
    std::uint64_t VideoMemoryUsed() const { return FVideoUsed; }
    int VerticalBlankWaits() const { return FVBlankWaits; }

    // Test hook: Restore of a lost surface fails (the screen is still taken).
    bool RefuseRestore = false;

private:
    friend class IDirectDrawSurface4;
    TMonotonicClock& Clock() const;
    std::int64_t Period() const;  // nanoseconds from one vertical blank to the next

    TDisplayPlatformSettings FSettings;
    std::vector<IDirectDrawSurface4*> FSurfaces;  // alive, not owned
    std::uint64_t FVideoUsed = 0;
    bool FHasPrimary = false;
    int FVBlankWaits = 0;
    std::int64_t FLastBlank = 0;  // number of the last blank a wait was answered with
};

// What the display's vertical-blank waits tell the idle loop: how many frames
// waited to be shown and when the last one asked to. The idle loop paces the
// next frame by it, and says in turn when the frame it runs was due to start.
struct TVerticalBlankRecord {
    std::uint64_t Waits = 0;
    std::chrono::nanoseconds LastAsked{0};  // on the clock the display waits on
    // On the same clock; none where no idle loop paces frames.
    std::optional<std::chrono::nanoseconds> FrameDue;
};
const TVerticalBlankRecord& VerticalBlankRecord();
void NoteFrameDue(std::optional<std::chrono::nanoseconds> at);

// The display object of the default driver (driver must be null). Fails with
// DDERR_GENERIC when the settings say so.
HRESULT DirectDrawCreate(const void* driver, std::unique_ptr<IDirectDraw4>& directDraw);
