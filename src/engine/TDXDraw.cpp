#include "engine/DXDraws.h"

#include <algorithm>
#include <cstdio>

using enum TDXDrawOption;
using enum TDXDrawNotifyType;

// The presentation driver owns the DirectDraw object and the display's
// surfaces. Only the blit driver is of use in a window; the flip driver is the
// full-screen one and presents the same way, since full-screen modes are not
// offered by the platform.
class TDXDrawDriver {
public:
    explicit TDXDrawDriver(TDXDraw& owner) : FOwner(owner), DDraw(std::make_unique<TDirectDraw>()) {}
    virtual ~TDXDrawDriver()
    {
        Clipper.reset();
        Palette.reset();
        Surface.reset();
        Primary.reset();
        DDraw.reset();
    }
    virtual const char* Name() const = 0;

    void CreateSurfaces()
    {
        IDirectDraw4& draw = *DDraw->IDraw();
        Primary = std::make_unique<TDirectDrawSurface>(DDraw.get());
        TDDSurfaceDesc desc;
        desc.Caps = DDSCAPS_PRIMARYSURFACE;
        std::unique_ptr<IDirectDrawSurface4> primary;
        const HRESULT made = draw.CreateSurface(desc, primary);
        DDraw->SetDXResult(made);
        if (Failed(made))
            throw EDXDrawError("Primary Surface cannot be made");
        Primary->SetISurface(std::move(primary));

        Surface = std::make_unique<TDirectDrawSurface>(DDraw.get());

        DDraw->SetDXResult(draw.CreateClipper(0, Clipper));
        if (Clipper) {
            Clipper->SetHWnd(0, FOwner.FWindow);
            Primary->ISurface()->SetClipper(Clipper);
        }
        TPaletteEntry entries[256];
        std::copy(FOwner.ColorTable.begin(), FOwner.ColorTable.end(), entries);
        DDraw->SetDXResult(draw.CreatePalette(0, entries, Palette));
        Primary->ISurface()->SetPalette(Palette);

        // The back buffer takes the primary surface's format.
        const bool systemMemory = FOwner.FOptions.Has(doSystemMemory);
        desc = TDDSurfaceDesc{};
        desc.Width = std::max(FOwner.SurfaceWidth, 1);
        desc.Height = std::max(FOwner.SurfaceHeight, 1);
        desc.Caps = DDSCAPS_OFFSCREENPLAIN | (systemMemory ? DDSCAPS_SYSTEMMEMORY : DDSCAPS_VIDEOMEMORY);
        std::unique_ptr<IDirectDrawSurface4> back;
        HRESULT result = draw.CreateSurface(desc, back);
        if (Failed(result)) {
            desc.Caps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
            result = draw.CreateSurface(desc, back);
        }
        DDraw->SetDXResult(result);
        if (Failed(result))
            throw EDXDrawError("Surface cannot be made");
        Surface->SetISurface(std::move(back));
        if (!(Surface->SurfaceDesc().Caps & DDSCAPS_VIDEOMEMORY))
            FOwner.FNowOptions.Include(doSystemMemory);
        Surface->ISurface()->SetPalette(Palette);
        Surface->Fill(0);
    }

    bool RestoreSurfaces()
    {
        const bool primary = Primary && Primary->Restore();
        const bool back = Surface && Surface->Restore();
        return primary && back;
    }

    TDXDraw& FOwner;
    std::unique_ptr<TDirectDraw> DDraw;
    std::unique_ptr<TDirectDrawSurface> Primary;
    std::unique_ptr<TDirectDrawSurface> Surface;
    std::shared_ptr<IDirectDrawClipper> Clipper;
    std::shared_ptr<IDirectDrawPalette> Palette;
};

class TDXDrawDriverBlt : public TDXDrawDriver {
public:
    using TDXDrawDriver::TDXDrawDriver;
    const char* Name() const override { return "TDXDrawDriverBlt"; }
};

class TDXDrawDriverFlip : public TDXDrawDriver {
public:
    using TDXDrawDriver::TDXDrawDriver;
    const char* Name() const override { return "TDXDrawDriverFlip"; }
};

TDXDraw::TDXDraw(TWindowControl* window) : FWindow(window)
{
    FOptions = TDXDrawOptions{doAllowReboot,  doWaitVBlank, doCenter, doHardware, doRetainedMode,
                              doSelectDriver, doRGB,        doMono,   doDither};
    DeriveNowOptions();
    if (FWindow) {
        const TPoint size = FWindow->ClientSize();
        SurfaceWidth = size.X;
        SurfaceHeight = size.Y;
    }
}

TDXDraw::~TDXDraw()
{
    Finalize();
    // Partners forget the display; they may unregister while this runs.
    for (std::size_t i = FNotifyTargets.size(); i-- > 0;) {
        if (i < FNotifyTargets.size())
            FNotifyTargets[i]->DXDrawNotify(*this, dxntDestroying);
    }
    FNotifyTargets.clear();
}

void TDXDraw::SetWindow(TWindowControl* window)
{
    FWindow = window;
    if (FInitialized && FDriver) {
        if (FDriver->Clipper)
            FDriver->Clipper->SetHWnd(0, FWindow);
        const std::uint32_t level = FNowOptions.Has(doFullScreen) ? DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN : DDSCL_NORMAL;
        FDriver->DDraw->SetDXResult(FDriver->DDraw->IDraw()->SetCooperativeLevel(FWindow, level));
    }
}

void TDXDraw::SetOptions(TDXDrawOptions options)
{
    FOptions = options;
    if (!FInitialized)
        DeriveNowOptions();
}

void TDXDraw::DeriveNowOptions()
{
    TDXDrawOptions now = FOptions;
    if (!now.Has(doFullScreen))
        for (const TDXDrawOption o : {doNoWindowChange, doAllowReboot, doAllowPalette256, doFlip})
            now.Exclude(o);
    if (!now.Has(do3D))
        for (int o = static_cast<int>(doHardware); o <= static_cast<int>(doDither); ++o)
            now.Exclude(static_cast<TDXDrawOption>(o));
    if (now.Has(doSystemMemory))
        now.Exclude(doFlip);
    now.Exclude(doHardware);
    FNowOptions = now;
}

void TDXDraw::Notify(TDXDrawNotifyType type)
{
    // Most recently registered first; a partner may unregister meanwhile.
    for (std::size_t i = FNotifyTargets.size(); i-- > 0;) {
        if (i < FNotifyTargets.size())
            FNotifyTargets[i]->DXDrawNotify(*this, type);
    }
}

void TDXDraw::RegisterNotifyEvent(TDXDrawNotifyTarget* target)
{
    if (!target)
        return;
    FNotifyTargets.erase(std::remove(FNotifyTargets.begin(), FNotifyTargets.end(), target), FNotifyTargets.end());
    FNotifyTargets.push_back(target);
    target->DXDrawNotify(*this, dxntSetSurfaceSize);
    if (FInitialized) {
        target->DXDrawNotify(*this, dxntInitialize);
        if (!FInitializing)
            target->DXDrawNotify(*this, dxntRestore);
    }
}

void TDXDraw::UnRegisterNotifyEvent(TDXDrawNotifyTarget* target)
{
    const auto it = std::find(FNotifyTargets.begin(), FNotifyTargets.end(), target);
    if (it == FNotifyTargets.end())
        return;
    FNotifyTargets.erase(it);
    if (FInitialized)
        target->DXDrawNotify(*this, dxntFinalize);
}

TDirectDraw* TDXDraw::DDraw() const
{
    return FDriver ? FDriver->DDraw.get() : nullptr;
}
TDirectDrawSurface* TDXDraw::Primary() const
{
    return FDriver ? FDriver->Primary.get() : nullptr;
}
TDirectDrawSurface* TDXDraw::Surface() const
{
    return FDriver ? FDriver->Surface.get() : nullptr;
}
const char* TDXDraw::DriverName() const
{
    return FDriver ? FDriver->Name() : "";
}

void TDXDraw::Initialize()
{
    Finalize();
    if (!FWindow)
        throw EDXDrawError("Form not found");
    try {
        if (OnInitializing)
            OnInitializing();
        FUpdating = true;
        Notify(dxntInitializing);
        if (FNowOptions.Has(doFlip))
            FDriver = std::make_unique<TDXDrawDriverFlip>(*this);
        else
            FDriver = std::make_unique<TDXDrawDriverBlt>(*this);
        const bool fullScreen = FNowOptions.Has(doFullScreen);
        IDirectDraw4& draw = *FDriver->DDraw->IDraw();
        FDriver->DDraw->SetDXResult(
            draw.SetCooperativeLevel(FWindow, fullScreen ? DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN : DDSCL_NORMAL));
        if (fullScreen) {
            const HRESULT result = draw.SetDisplayMode(Display.Width, Display.Height, Display.BitCount, 0, 0);
            FDriver->DDraw->SetDXResult(result);
            if (Failed(result)) {
                char message[96];
                std::snprintf(message, sizeof message, "Display mode cannot be changed (%dx%d %dbit)", Display.Width,
                              Display.Height, Display.BitCount);
                throw EDXDrawError(message);
            }
        }
        if (AutoSize) {
            const TPoint size = FWindow->ClientSize();
            SurfaceWidth = size.X;
            SurfaceHeight = size.Y;
        }
        FDriver->CreateSurfaces();
        FUpdating = false;
        FInitialized = true;
    } catch (...) {
        Finalize();
        throw;
    }
    // Partners registering from these events get no restore of their own: the
    // one below reaches them.
    FInitializing = true;
    try {
        Notify(dxntSetSurfaceSize);
        Notify(dxntInitialize);
        FCalledDoInitialize = true;
        if (OnInitialize)
            OnInitialize();
        Notify(dxntInitializeSurface);
        FCalledDoInitializeSurface = true;
        if (OnInitializeSurface)
            OnInitializeSurface();
    } catch (...) {
        FInitializing = false;
        throw;
    }
    FInitializing = false;
    Restore();
}

void TDXDraw::Finalize()
{
    if (!FInitialized && !FDriver && !FUpdating)
        return;
    if (FDriver && FDriver->Surface && FDriver->Surface->Width() > 0) {
        SurfaceWidth = FDriver->Surface->Width();
        SurfaceHeight = FDriver->Surface->Height();
    }
    FUpdating = true;
    struct TEnd {
        TDXDraw& Self;
        ~TEnd()
        {
            Self.FInitialized = false;
            Self.DeriveNowOptions();
            Self.FDriver.reset();
            Self.FUpdating = false;
        }
    } end{*this};
    if (FCalledDoInitializeSurface) {
        FCalledDoInitializeSurface = false;
        if (OnFinalizeSurface)
            OnFinalizeSurface();
    }
    Notify(dxntFinalizeSurface);
    if (FCalledDoInitialize) {
        FCalledDoInitialize = false;
        if (OnFinalize)
            OnFinalize();
    }
    Notify(dxntFinalize);
}

void TDXDraw::Restore()
{
    if (!FInitialized || FUpdating)
        return;
    FUpdating = true;
    struct TEnd {
        bool& Flag;
        ~TEnd() { Flag = false; }
    } end{FUpdating};
    if (!FDriver->RestoreSurfaces())
        return;
    FDriver->Primary->Fill(0);
    FDriver->Surface->Fill(0);
    FDriver->Primary->ISurface()->SetPalette(FDriver->Palette);
    FDriver->Surface->ISurface()->SetPalette(FDriver->Palette);
    if (FDriver->Palette)
        FDriver->Palette->SetEntries(0, 0, 256, DefColorTable.data());
    Notify(dxntRestore);
    if (OnRestoreSurface)
        OnRestoreSurface();
    if (FDriver->Palette)
        FDriver->Palette->SetEntries(0, 0, 256, ColorTable.data());
}

bool TDXDraw::LostCheck()
{
    IDirectDrawSurface4* primary = FDriver && FDriver->Primary ? FDriver->Primary->ISurface() : nullptr;
    if (!primary)
        return false;
    if (primary->IsLost() == DDERR_SURFACELOST) {
        Restore();
        return primary->IsLost() == DD_OK;
    }
    return true;
}

bool TDXDraw::CanDraw()
{
    return FInitialized && !FUpdating && FDriver->Surface && FDriver->Surface->ISurface() && LostCheck();
}

void TDXDraw::Flip()
{
    if (!FInitialized || FUpdating || !LostCheck())
        return;
    Present(FNowOptions.Has(doWaitVBlank));
}

void TDXDraw::Paint()
{
    if (FInitialized && !FUpdating)
        Present(false);
}

void TDXDraw::Present(bool waitVBlank)
{
    TDirectDrawSurface* primary = FDriver->Primary.get();
    TDirectDrawSurface* back = FDriver->Surface.get();
    if (!primary->ISurface() || !back->ISurface() || !FWindow)
        return;
    const TPoint origin = FWindow->ClientOrigin();
    const TPoint control = FWindow->ClientSize();
    TRect dest = Bounds(origin.X, origin.Y, back->Width(), back->Height());
    if (FNowOptions.Has(doStretch)) {
        dest = Bounds(origin.X, origin.Y, control.X, control.Y);
    } else if (FNowOptions.Has(doCenter)) {
        const int dx = (control.X - back->Width()) / 2, dy = (control.Y - back->Height()) / 2;
        dest = Bounds(origin.X + dx, origin.Y + dy, back->Width(), back->Height());
    }
    if (waitVBlank)
        FDriver->DDraw->SetDXResult(FDriver->DDraw->IDraw()->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr));
    primary->SetDXResult(primary->ISurface()->Blt(&dest, back->ISurface(), nullptr, DDBLT_WAIT, nullptr));
}

void TDXDraw::UpdatePalette()
{
    if (FInitialized && FDriver && !(FDriver->DDraw->DriverCaps().PalCaps & DDPCAPS_VSYNC))
        FDriver->DDraw->SetDXResult(FDriver->DDraw->IDraw()->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr));
    if (FInitialized && FDriver && FDriver->Palette)
        FDriver->Palette->SetEntries(0, 0, 256, ColorTable.data());
}

void TDXDraw::FormShown()
{
    if (FShownOnce)
        return;
    FShownOnce = true;
    if (AutoInitialize)
        Initialize();
}

void TDXDraw::FormCloseQuery()
{
    Finalize();
}
