#pragma once
// Surfaces, the display component, the image list and their errors. The
// engine reaches the display platform (platform/DirectDraw.h) only from here.

#include "engine/Graphics.h"
#include "platform/DirectDraw.h"
#include "platform/Types.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

class EDirectDrawError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
class EDirectDrawSurfaceError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
class EDXDrawError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
class EPictureCollectionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
// The drawing layer's error for a canvas that has no device context.
class EInvalidOperation : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Keeps the result code of the last platform call; a failing code raises nothing.
class TDirectX {
public:
    HRESULT DXResult() const { return FDXResult; }
    void SetDXResult(HRESULT result) { FDXResult = result; }

private:
    HRESULT FDXResult = DD_OK;
};

class TDirectDrawSurface;

// The display object. Surfaces register with it; destroying it releases the
// memory of every surface still registered (the surface objects stay with their
// owners and are empty from then on).
class TDirectDraw : public TDirectX {
public:
    // Raises EDirectDrawError "DirectDraw cannot be initialized" when the platform refuses.
    TDirectDraw();
    ~TDirectDraw();
    TDirectDraw(const TDirectDraw&) = delete;
    TDirectDraw& operator=(const TDirectDraw&) = delete;

    IDirectDraw4* IDraw() const { return FIDraw.get(); }
    const TDDCaps& DriverCaps() const { return FDriverCaps; }
    int SurfaceCount() const { return static_cast<int>(FSurfaces.size()); }

private:
    friend class TDirectDrawSurface;
    std::unique_ptr<IDirectDraw4> FIDraw;
    TDDCaps FDriverCaps;
    TDDCaps FHELCaps;
    std::vector<TDirectDrawSurface*> FSurfaces;  // registered, not owned
};

// The canvas of a surface: pen, brush and font kept here and applied to the
// surface's device context, which is taken on first drawing and given back by
// Release. While the canvas holds it the surface cannot be blitted.
class TDirectDrawSurfaceCanvas {
public:
    explicit TDirectDrawSurfaceCanvas(TDirectDrawSurface& surface) : FSurface(surface) {}
    ~TDirectDrawSurfaceCanvas() { Release(); }

    TCanvasPen Pen;
    TCanvasBrush Brush;
    TCanvasFont Font;

    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void Rectangle(int left, int top, int right, int bottom);
    void FillRect(const TRect& rect);
    void TextOut(int x, int y, std::string_view text);
    int TextWidth(std::string_view text);
    int TextHeight(std::string_view text);
    void Draw(int x, int y, const TGraphic& graphic);
    void StretchDraw(const TRect& dest, const TGraphic& graphic);

    // Gives the device context back to the surface, if the canvas holds one.
    void Release();

private:
    friend class TDirectDrawSurface;
    // The device context with the canvas's pen, brush and font; raises
    // EInvalidOperation "Canvas does not allow drawing" when the surface gives none.
    TDeviceContext& DC();

    TDirectDrawSurface& FSurface;
    TDeviceContext* FDC = nullptr;
};

class TDirectDrawSurface : public TDirectX {
public:
    // An empty surface registered with draw (not owned; may be null for a
    // surface that can never be given memory).
    explicit TDirectDrawSurface(TDirectDraw* draw);
    ~TDirectDrawSurface();
    TDirectDrawSurface(const TDirectDrawSurface&) = delete;
    TDirectDrawSurface& operator=(const TDirectDrawSurface&) = delete;

    TDirectDraw* DDraw() const { return FDDraw; }
    IDirectDrawSurface4* ISurface() const { return FISurface.get(); }
    // Takes the platform surface (or none) and reads its description.
    void SetISurface(std::unique_ptr<IDirectDrawSurface4> surface);
    const TDDSurfaceDesc& SurfaceDesc() const { return FDesc; }

    int Width() const { return FISurface ? FDesc.Width : 0; }
    int Height() const { return FISurface ? FDesc.Height : 0; }
    TRect ClientRect() const { return TRect{0, 0, Width(), Height()}; }

    // Create surfaces in system memory instead of video memory.
    bool SystemMemory = false;

    // Non-positive sizes release the surface; raises EDirectDrawSurfaceError
    // "Surface cannot be made" when no memory is to be had.
    void SetSize(int width, int height);
    void Fill(std::uint32_t pixel);
    // Clipped to the surface; nothing happens when nothing remains.
    void FillRect(const TRect& rect, std::uint32_t pixel);
    // Copies srcRect of source with its top-left corner at (x, y), both
    // rectangles clipped, keyed with source's colour key when transparent.
    void Draw(int x, int y, const TRect& srcRect, TDirectDrawSurface* source, bool transparent);
    // The raw pixel a colour has on this surface as the drawing layer writes it; 0 without a surface.
    std::uint32_t ColorToPixel(TColor color);
    void SetKeyColor(std::uint32_t pixel);
    void LoadGraphic(const TGraphic& graphic);
    void LoadGraphicRect(const TGraphic& graphic, const TRect& srcRect);
    TDirectDrawSurfaceCanvas& Canvas();
    // Asks the platform to bring lost memory back; true on success.
    bool Restore();
    bool IsLost() const;

    // Single pixels through a lock; reads outside the surface give 0, writes are ignored.
    std::uint32_t Pixel(int x, int y);
    void SetPixel(int x, int y, std::uint32_t pixel);

    // Set once a fast blit was refused because a clipper is attached.
    bool UsesClippingBlit() const { return FUseBlt; }

private:
    friend class TDirectDraw;
    friend class TDirectDrawSurfaceCanvas;
    IDirectDrawSurface4& Required() const;

    TDirectDraw* FDDraw;  // not owned
    std::unique_ptr<IDirectDrawSurface4> FISurface;
    TDDSurfaceDesc FDesc;
    std::unique_ptr<TDirectDrawSurfaceCanvas> FCanvas;
    bool FUseBlt = false;
};

// --- Display component

enum class TDXDrawOption : int {
    doFullScreen,
    doNoWindowChange,
    doAllowReboot,
    doWaitVBlank,
    doAllowPalette256,
    doSystemMemory,
    doStretch,
    doCenter,
    doFlip,
    do3D,
    doHardware,
    doRetainedMode,
    doSelectDriver,
    doZBuffer,
    doRGB,
    doMono,
    doDither
};

// A set of TDXDrawOption, bit n for ordinal n.
class TDXDrawOptions {
public:
    constexpr TDXDrawOptions() = default;
    constexpr TDXDrawOptions(std::initializer_list<TDXDrawOption> options)
    {
        for (const TDXDrawOption o : options)
            Mask |= Bit(o);
    }
    constexpr bool Has(TDXDrawOption o) const { return (Mask & Bit(o)) != 0; }
    constexpr void Include(TDXDrawOption o) { Mask |= Bit(o); }
    constexpr void Exclude(TDXDrawOption o) { Mask &= ~Bit(o); }
    static constexpr std::uint32_t Bit(TDXDrawOption o) { return 1u << static_cast<int>(o); }
    friend constexpr bool operator==(TDXDrawOptions, TDXDrawOptions) = default;
    std::uint32_t Mask = 0;
};

enum class TDXDrawNotifyType : int {
    dxntDestroying,
    dxntInitializing,
    dxntInitialize,
    dxntInitializeSurface,
    dxntFinalize,
    dxntFinalizeSurface,
    dxntRestore,
    dxntSetSurfaceSize
};

class TDXDraw;

// A partner that follows the display's life cycle (the image list, the sprite engine).
class TDXDrawNotifyTarget {
public:
    virtual ~TDXDrawNotifyTarget() = default;
    virtual void DXDrawNotify(TDXDraw& sender, TDXDrawNotifyType type) = 0;
};

struct TDirectDrawDisplay {
    int Width = 640;
    int Height = 480;
    int BitCount = 8;
    bool FixedBitCount = false;
    bool FixedRatio = false;
    bool FixedSize = false;
};

using TNotifyEvent = std::function<void()>;
using TColorTable = std::array<TPaletteEntry, 256>;

class TDXDrawDriver;

// The display: a DirectDraw object, a primary surface clipped to a window and
// a back buffer (Surface) that each frame is composed on and then presented.
class TDXDraw {
public:
    // window is the control the display shows in (not owned); without one
    // Initialize raises "Form not found".
    explicit TDXDraw(TWindowControl* window = nullptr);
    ~TDXDraw();
    TDXDraw(const TDXDraw&) = delete;
    TDXDraw& operator=(const TDXDraw&) = delete;

    bool AutoInitialize = true;
    bool AutoSize = true;
    TDirectDrawDisplay Display;
    int SurfaceWidth = 0;
    int SurfaceHeight = 0;

    TNotifyEvent OnInitializing, OnInitialize, OnInitializeSurface, OnFinalize, OnFinalizeSurface, OnRestoreSurface;

    TWindowControl* Window() const { return FWindow; }
    // A new window for the control; while initialised the clipper and the
    // cooperative level follow it.
    void SetWindow(TWindowControl* window);

    TDXDrawOptions Options() const { return FOptions; }
    // Takes the options; the effective ones are derived again unless initialised.
    void SetOptions(TDXDrawOptions options);
    TDXDrawOptions NowOptions() const { return FNowOptions; }

    void Initialize();
    void Finalize();
    void Restore();
    bool Initialized() const { return FInitialized; }
    bool CanDraw();
    void Flip();
    void UpdatePalette();

    TColorTable ColorTable{};
    TColorTable DefColorTable{};

    void RegisterNotifyEvent(TDXDrawNotifyTarget* target);
    void UnRegisterNotifyEvent(TDXDrawNotifyTarget* target);

    TDirectDraw* DDraw() const;
    TDirectDrawSurface* Primary() const;
    TDirectDrawSurface* Surface() const;
    // "TDXDrawDriverBlt" or "TDXDrawDriverFlip" while a driver exists, else empty.
    const char* DriverName() const;

    // Window events. The form was shown: initialises the first time when
    // AutoInitialize. The form is asked to close: finalises. The control must
    // paint: presents once without waiting for the vertical blank. The form
    // realised its palette in the foreground: restores.
    void FormShown();
    void FormCloseQuery();
    void Paint();

private:
    friend class TDXDrawDriver;
    friend class TDXDrawDriverBlt;
    void DeriveNowOptions();
    void Notify(TDXDrawNotifyType type);
    bool LostCheck();
    void Present(bool waitVBlank);

    TWindowControl* FWindow;
    TDXDrawOptions FOptions;
    TDXDrawOptions FNowOptions;
    std::unique_ptr<TDXDrawDriver> FDriver;
    std::vector<TDXDrawNotifyTarget*> FNotifyTargets;
    bool FInitialized = false;
    bool FInitializing = false;
    bool FUpdating = false;
    bool FCalledDoInitialize = false;
    bool FCalledDoInitializeSurface = false;
    bool FShownOnce = false;
};

// --- Image list

class TPictureCollection;

struct TPictureCollectionItemPattern {
    TRect Rect;
    TDirectDrawSurface* Surface = nullptr;  // one of the item's surfaces
};

// A named picture cut into patterns. While its collection is initialised and
// restored it keeps the picture in surfaces and knows each pattern's place.
class TPictureCollectionItem {
public:
    explicit TPictureCollectionItem(TPictureCollection* collection);
    ~TPictureCollectionItem();
    TPictureCollectionItem(const TPictureCollectionItem&) = delete;
    TPictureCollectionItem& operator=(const TPictureCollectionItem&) = delete;

    const std::string& Name() const { return FName; }
    void SetName(const std::string& name);
    int Index() const { return FIndex; }

    std::unique_ptr<TGraphic> Picture;  // the source picture, owned; may be empty
    int PatternWidth = 0;
    int PatternHeight = 0;
    int SkipWidth = 0;
    int SkipHeight = 0;
    bool SystemMemory = false;
    bool Transparent = true;
    TColor TransparentColor = 0;

    int Width() const;
    int Height() const;
    int PatternCount() const;
    TRect PatternRect(int index) const;
    TDirectDrawSurface* PatternSurface(int index) const;
    int SurfaceCount() const { return static_cast<int>(FSurfaces.size()); }
    TDirectDrawSurface* SurfaceAt(int index) const { return FSurfaces[static_cast<std::size_t>(index)].get(); }
    bool Initialized() const { return FInitialized; }

    // The pattern on dest at (x, y); nothing when not initialised or out of range.
    void Draw(TDirectDrawSurface* dest, int x, int y, int patternIndex);
    // True when pattern `index` holds no pixel of its surface's key colour
    // (or the item is not transparent): drawn, it covers all it is drawn
    // over. False when not initialised or out of range. Looked at once for
    // each pattern surface made.
    bool PatternOpaque(int index) const;
    void Initialize();
    void Finalize();
    void Restore();

private:
    friend class TPictureCollection;
    void ClearSurfaces();
    TDirectDrawSurface* MakeSurface(const TRect& rect);

    TPictureCollection* FCollection;  // not owned
    std::string FName;
    int FIndex = 0;
    TPictureCollectionItem* FNextInBucket = nullptr;
    bool FInitialized = false;
    std::vector<TPictureCollectionItemPattern> FPatterns;
    std::vector<std::unique_ptr<TDirectDrawSurface>> FSurfaces;
    mutable std::vector<std::int8_t> FOpaque;  // per pattern: -1 not looked at yet, else 0 or 1
    TColor FSurfaceKey = 0;                    // the key colour the surfaces were made with, which their blits use
};

// The image list's items in index order, with a name index of 256 buckets.
class TPictureCollection {
public:
    TPictureCollection() = default;
    ~TPictureCollection();
    TPictureCollection(const TPictureCollection&) = delete;
    TPictureCollection& operator=(const TPictureCollection&) = delete;

    // A new item at the end, owned by the collection.
    TPictureCollectionItem& Add();
    void Delete(int index);
    int Count() const { return static_cast<int>(FItems.size()); }
    TPictureCollectionItem& operator[](int index) const { return *FItems[static_cast<std::size_t>(index)]; }

    // Raises EPictureCollectionError "Image '%s' not found".
    TPictureCollectionItem& Find(const std::string& name) const;

    void Initialize(TDXDraw* dxDraw);
    void Finalize();
    void Restore();
    bool Initialized() const { return FDXDraw && FDXDraw->Initialized(); }
    TDXDraw* DXDraw() const { return FDXDraw; }

    // Blue, green, red, 0 per entry.
    std::array<std::array<std::uint8_t, 4>, 256> ColorTable{};
    void BuildColorTable();

    static int HashOf(const std::string& name);

private:
    friend class TPictureCollectionItem;
    void Unlink(TPictureCollectionItem* item);
    void Link(TPictureCollectionItem* item);

    std::vector<std::unique_ptr<TPictureCollectionItem>> FItems;
    std::array<TPictureCollectionItem*, 256> FBuckets{};
    TDXDraw* FDXDraw = nullptr;  // not owned
};

// The component: a picture collection that follows a display.
class TDXImageList : public TDXDrawNotifyTarget {
public:
    TDXImageList() = default;
    ~TDXImageList() override;
    TDXImageList(const TDXImageList&) = delete;
    TDXImageList& operator=(const TDXImageList&) = delete;

    TPictureCollection Items;

    TDXDraw* DXDraw() const { return FDXDraw; }
    void SetDXDraw(TDXDraw* dxDraw);
    void DXDrawNotify(TDXDraw& sender, TDXDrawNotifyType type) override;

private:
    TDXDraw* FDXDraw = nullptr;  // not owned
};
