#include "engine/DXDraws.h"

#include "platform/SystemColors.h"

#include <algorithm>

// --- TDirectDraw

TDirectDraw::TDirectDraw()
{
    const HRESULT result = DirectDrawCreate(nullptr, FIDraw);
    SetDXResult(result);
    if (Failed(result) || !FIDraw)
        throw EDirectDrawError("DirectDraw cannot be initialized");
    SetDXResult(FIDraw->GetCaps(&FDriverCaps, &FHELCaps));
}

TDirectDraw::~TDirectDraw()
{
    // Surfaces still registered lose their memory; their owners keep the objects.
    for (TDirectDrawSurface* surface : FSurfaces) {
        if (surface->FCanvas)
            surface->FCanvas->Release();
        surface->FISurface.reset();
        surface->FDesc = TDDSurfaceDesc{};
        surface->FDDraw = nullptr;
    }
    FSurfaces.clear();
}

// --- TDirectDrawSurface

TDirectDrawSurface::TDirectDrawSurface(TDirectDraw* draw) : FDDraw(draw)
{
    if (FDDraw)
        FDDraw->FSurfaces.push_back(this);
}

TDirectDrawSurface::~TDirectDrawSurface()
{
    FCanvas.reset();
    FISurface.reset();
    if (FDDraw) {
        auto& list = FDDraw->FSurfaces;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }
}

IDirectDrawSurface4& TDirectDrawSurface::Required() const
{
    if (!FISurface)
        throw EDirectDrawSurfaceError("IDirectDrawSurface not made");
    return *FISurface;
}

void TDirectDrawSurface::SetISurface(std::unique_ptr<IDirectDrawSurface4> surface)
{
    if (FCanvas)
        FCanvas->Release();
    FISurface = std::move(surface);
    FDesc = TDDSurfaceDesc{};
    FUseBlt = false;
    if (FISurface)
        SetDXResult(FISurface->GetSurfaceDesc(FDesc));
}

void TDirectDrawSurface::SetSize(int width, int height)
{
    if (width <= 0 || height <= 0) {
        SetISurface(nullptr);
        return;
    }
    if (!FDDraw || !FDDraw->IDraw())
        throw EDirectDrawSurfaceError("Surface cannot be made");
    TDDSurfaceDesc desc;
    desc.Width = width;
    desc.Height = height;
    desc.Caps = DDSCAPS_OFFSCREENPLAIN | (SystemMemory ? DDSCAPS_SYSTEMMEMORY : DDSCAPS_VIDEOMEMORY);
    std::unique_ptr<IDirectDrawSurface4> made;
    HRESULT result = FDDraw->IDraw()->CreateSurface(desc, made);
    if (Failed(result) && !SystemMemory) {
        desc.Caps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
        result = FDDraw->IDraw()->CreateSurface(desc, made);
        if (Succeeded(result))
            SystemMemory = true;
    }
    SetDXResult(result);
    if (Failed(result))
        throw EDirectDrawSurfaceError("Surface cannot be made");
    SetISurface(std::move(made));
}

void TDirectDrawSurface::Fill(std::uint32_t pixel)
{
    if (!FISurface)
        return;
    TDDBltFx fx;
    fx.FillColor = pixel;
    SetDXResult(FISurface->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx));
}

void TDirectDrawSurface::FillRect(const TRect& rect, std::uint32_t pixel)
{
    if (!FISurface)
        return;
    const TRect r{std::max(rect.Left, 0), std::max(rect.Top, 0), std::min(rect.Right, Width()),
                  std::min(rect.Bottom, Height())};
    if (r.IsEmpty())
        return;
    TDDBltFx fx;
    fx.FillColor = pixel;
    SetDXResult(FISurface->Blt(&r, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx));
}

void TDirectDrawSurface::Draw(int x, int y, const TRect& srcRect, TDirectDrawSurface* source, bool transparent)
{
    if (!source || x > Width() || y > Height() || !FISurface || !source->FISurface)
        return;
    // Each cut moves the same edge of the other rectangle; 64 bits so no
    // coordinate an int can hold overflows.
    std::int64_t dl = x, dt = y;
    std::int64_t dr = dl + (static_cast<std::int64_t>(srcRect.Right) - srcRect.Left);
    std::int64_t db = dt + (static_cast<std::int64_t>(srcRect.Bottom) - srcRect.Top);
    std::int64_t sl = srcRect.Left, st = srcRect.Top, sr = srcRect.Right, sb = srcRect.Bottom;
    const std::int64_t w = Width(), h = Height(), sw = source->Width(), sh = source->Height();
    // clang-format off
    if (dl < 0) { sl -= dl; dl = 0; }
    if (dt < 0) { st -= dt; dt = 0; }
    if (sl < 0) { dl -= sl; sl = 0; }
    if (st < 0) { dt -= st; st = 0; }
    if (dr > w) { sr -= dr - w; dr = w; }
    if (db > h) { sb -= db - h; db = h; }
    if (sr > sw) { dr -= sr - sw; sr = sw; }
    if (sb > sh) { db -= sb - sh; sb = sh; }
    // clang-format on
    // Mirrored source rectangles are never asked for and draw nothing here.
    if (dr <= dl || db <= dt || sr <= sl || sb <= st)
        return;
    const TRect dest{static_cast<int>(dl), static_cast<int>(dt), static_cast<int>(dr), static_cast<int>(db)};
    const TRect src{static_cast<int>(sl), static_cast<int>(st), static_cast<int>(sr), static_cast<int>(sb)};
    if (!FUseBlt) {
        const HRESULT result =
            FISurface->BltFast(dest.Left, dest.Top, source->FISurface.get(), &src,
                               DDBLTFAST_WAIT | (transparent ? DDBLTFAST_SRCCOLORKEY : DDBLTFAST_NOCOLORKEY));
        SetDXResult(result);
        if (result != DDERR_BLTFASTCANTCLIP)
            return;
        std::shared_ptr<IDirectDrawClipper> clipper;
        if (Failed(FISurface->GetClipper(clipper)))
            return;
        FUseBlt = true;
    }
    SetDXResult(
        FISurface->Blt(&dest, source->FISurface.get(), &src, DDBLT_WAIT | (transparent ? DDBLT_KEYSRC : 0u), nullptr));
}

std::uint32_t TDirectDrawSurface::ColorToPixel(TColor color)
{
    if (!FISurface)
        return 0;
    if (FCanvas)
        FCanvas->Release();
    std::uint32_t saved = 0;
    const bool haveSaved = IsLost() == false;
    if (haveSaved)
        saved = Pixel(0, 0);
    // A one-pixel 8-bit picture whose entry 0 is the colour, drawn by the same
    // layer that draws pictures, so the answer matches loaded pixels exactly.
    const std::uint8_t index = 0;
    // A system colour is drawn as the desktop's current colour of that name.
    const TColor resolved = ColorToRGB(color);
    const std::uint32_t rgb = (RedOf(resolved) << 16) | (GreenOf(resolved) << 8) | BlueOf(resolved);
    TImageView dot;
    dot.Kind = TImageView::TKind::Indexed8;
    dot.Width = 1;
    dot.Height = 1;
    dot.Bits = &index;
    dot.Stride = 1;
    dot.Palette = &rgb;
    dot.PaletteSize = 1;
    Canvas().DC().Draw(0, 0, dot);
    Canvas().Release();
    const std::uint32_t result = Pixel(0, 0);
    if (haveSaved)
        SetPixel(0, 0, saved);
    return result;
}

void TDirectDrawSurface::SetKeyColor(std::uint32_t pixel)
{
    if (!FISurface)
        return;
    const TDDColorKey key{pixel, pixel};
    SetDXResult(FISurface->SetColorKey(DDCKEY_SRCBLT, &key));
}

void TDirectDrawSurface::LoadGraphic(const TGraphic& graphic)
{
    LoadGraphicRect(graphic, TRect{0, 0, graphic.Width(), graphic.Height()});
}

void TDirectDrawSurface::LoadGraphicRect(const TGraphic& graphic, const TRect& srcRect)
{
    SetSize(srcRect.Width(), srcRect.Height());
    if (!FISurface)
        return;
    const TImageView view = graphic.View();
    if (dynamic_cast<const TDIB*>(&graphic))
        Canvas().DC().StretchDraw(ClientRect(), view, srcRect);
    else
        Canvas().DC().Draw(-srcRect.Left, -srcRect.Top, view);
    Canvas().Release();
}

TDirectDrawSurfaceCanvas& TDirectDrawSurface::Canvas()
{
    if (!FCanvas)
        FCanvas = std::make_unique<TDirectDrawSurfaceCanvas>(*this);
    return *FCanvas;
}

bool TDirectDrawSurface::Restore()
{
    if (!FISurface)
        return false;
    if (FCanvas)
        FCanvas->Release();
    const HRESULT result = FISurface->Restore();
    SetDXResult(result);
    // The primary surface comes back with the desktop as it is now.
    if (Succeeded(result))
        FISurface->GetSurfaceDesc(FDesc);
    return Succeeded(result);
}

bool TDirectDrawSurface::IsLost() const
{
    return FISurface && FISurface->IsLost() == DDERR_SURFACELOST;
}

std::uint32_t TDirectDrawSurface::Pixel(int x, int y)
{
    if (!FISurface || x < 0 || y < 0 || x >= Width() || y >= Height())
        return 0;
    TDDSurfaceDesc desc;
    const HRESULT result = FISurface->Lock(nullptr, desc, DDLOCK_WAIT);
    SetDXResult(result);
    if (Failed(result))
        return 0;
    const std::uint8_t* row = desc.Surface + desc.Pitch * y;
    const std::uint32_t pixel = desc.Format == TPixelFormat::XRGB8888 ? reinterpret_cast<const std::uint32_t*>(row)[x]
                                                                      : reinterpret_cast<const std::uint16_t*>(row)[x];
    FISurface->Unlock(nullptr);
    return pixel;
}

void TDirectDrawSurface::SetPixel(int x, int y, std::uint32_t pixel)
{
    if (!FISurface || x < 0 || y < 0 || x >= Width() || y >= Height())
        return;
    TDDSurfaceDesc desc;
    const HRESULT result = FISurface->Lock(nullptr, desc, DDLOCK_WAIT);
    SetDXResult(result);
    if (Failed(result))
        return;
    std::uint8_t* row = desc.Surface + desc.Pitch * y;
    if (desc.Format == TPixelFormat::XRGB8888)
        reinterpret_cast<std::uint32_t*>(row)[x] = pixel;
    else
        reinterpret_cast<std::uint16_t*>(row)[x] = static_cast<std::uint16_t>(pixel);
    FISurface->Unlock(nullptr);
}

// --- TDirectDrawSurfaceCanvas

TDeviceContext& TDirectDrawSurfaceCanvas::DC()
{
    if (!FDC) {
        IDirectDrawSurface4& surface = FSurface.Required();
        TDeviceContext* dc = nullptr;
        const HRESULT result = surface.GetDC(dc);
        FSurface.SetDXResult(result);
        if (Failed(result) || !dc)
            throw EInvalidOperation("Canvas does not allow drawing");
        FDC = dc;
    }
    FDC->Pen = Pen;
    FDC->Brush = Brush;
    FDC->Font.Name = Font.Name;
    FDC->Font.Size = Font.Size;
    FDC->Font.Color = Font.Color;
    return *FDC;
}

void TDirectDrawSurfaceCanvas::Release()
{
    if (FDC && FSurface.FISurface)
        FSurface.FISurface->ReleaseDC(FDC);
    FDC = nullptr;
}

void TDirectDrawSurfaceCanvas::MoveTo(int x, int y)
{
    DC().MoveTo(x, y);
}
void TDirectDrawSurfaceCanvas::LineTo(int x, int y)
{
    DC().LineTo(x, y);
}
void TDirectDrawSurfaceCanvas::Rectangle(int left, int top, int right, int bottom)
{
    DC().Rectangle(left, top, right, bottom);
}
void TDirectDrawSurfaceCanvas::FillRect(const TRect& rect)
{
    DC().FillRect(rect);
}
void TDirectDrawSurfaceCanvas::TextOut(int x, int y, std::string_view text)
{
    DC().TextOut(x, y, text);
}
int TDirectDrawSurfaceCanvas::TextWidth(std::string_view text)
{
    return DC().TextExtent(text).X;
}
int TDirectDrawSurfaceCanvas::TextHeight(std::string_view text)
{
    return DC().TextExtent(text).Y;
}
void TDirectDrawSurfaceCanvas::Draw(int x, int y, const TGraphic& graphic)
{
    DC().Draw(x, y, graphic.View());
}
void TDirectDrawSurfaceCanvas::StretchDraw(const TRect& dest, const TGraphic& graphic)
{
    DC().StretchDraw(dest, graphic.View(), TRect{0, 0, graphic.Width(), graphic.Height()});
}
