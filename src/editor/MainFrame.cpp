// The frame: fixed 16 ms ticks, the background, the sprites, the editing
// overlay, our own overlays and the status text, drawn into the display's
// back buffer and presented. After the first frame nothing here allocates.
#include "editor/Main.h"

#include "engine/DXClass.h"
#include "engine/DXDraws.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr TColor clSilver = RGBColor(192, 192, 192);
constexpr TColor clYellow = RGBColor(255, 255, 0);
constexpr TColor clMaroon = RGBColor(128, 0, 0);
constexpr TColor clGreen = RGBColor(0, 128, 0);
constexpr TColor clBlue = RGBColor(0, 0, 255);
constexpr TColor clRed = RGBColor(255, 0, 0);
// Our outlines' colours, each its own. No tile of the art uses the compare
// and find outlines'; the cursor's is a bright line inside a dark one, which
// stays visible on any tile.
constexpr TColor CursorOutlineColor = RGBColor(255, 255, 255);
constexpr TColor CursorOutlineDark = RGBColor(0, 0, 0);
constexpr TColor CompareOutlineColor = RGBColor(255, 0, 255);
constexpr TColor FindOutlineColor = RGBColor(0, 255, 255);
constexpr int OutlineWidth = 2;
constexpr std::uint32_t UnseenWakeMilliseconds = 60'000;
constexpr int CellPixels = 16;

// A frame `width` pixels wide just inside `rect`.
void FrameRect(TDirectDrawSurface& surface, const TRect& rect, int width, std::uint32_t pixel)
{
    surface.FillRect(TRect{rect.Left, rect.Top, rect.Right, rect.Top + width}, pixel);
    surface.FillRect(TRect{rect.Left, rect.Bottom - width, rect.Right, rect.Bottom}, pixel);
    surface.FillRect(TRect{rect.Left, rect.Top + width, rect.Left + width, rect.Bottom - width}, pixel);
    surface.FillRect(TRect{rect.Right - width, rect.Top + width, rect.Right, rect.Bottom - width}, pixel);
}

// A frame just inside field cell (column, row).
void OutlineCell(TDirectDrawSurface& surface, int column, int row, std::uint32_t pixel)
{
    const int left = column * CellPixels, top = row * CellPixels;
    FrameRect(surface, TRect{left, top, left + CellPixels, top + CellPixels}, OutlineWidth, pixel);
}

void SetPen(TDirectDrawSurfaceCanvas& canvas, TColor color, int width, TPenStyle style)
{
    canvas.Pen.Color = color;
    canvas.Pen.Width = width;
    canvas.Pen.Style = style;
}

}  // namespace

void TMainForm::DXTimerTimer(int lagCount)
{
    if (!DXDraw || !DXDraw->CanDraw())
        return;
    // With the 60 FPS time mode the timer counts in 16 ms units.
    LagTime += TimeMode60 ? lagCount * 16 : lagCount;
    while (LagTime > 0)
        RunTick();
    // Unseen, no frame is drawn, and the timer wakes only for a message (the
    // window shown again, whose frame is then drawn at once) or once a minute,
    // so that the ticks to catch up on stay few.
    if (!Host.DisplaySeen()) {
        if (DXTimer)
            DXTimer->SleepFor(UnseenWakeMilliseconds);
        FPointerMoved = false;
        FKeyPressed = false;
        return;
    }
    if (DrawUnchangedFrames || !FDrawnFrame || *FDrawnFrame != FrameState()) {
        TDirectDrawSurface& surface = *DXDraw->Surface();
        DrawBackground(surface);
        DXSpriteEngine->Draw();  // the layers and the flag
        DrawOverlay(surface);
        DrawOwnOverlays(surface);
        DrawStatus(surface);
        DXDraw->Flip();
        FDrawnFrame = FrameState();
        if (FDrawnFrame->Readout != FReadoutTold) {
            FReadoutTold = FDrawnFrame->Readout;
            Host.SetReadoutText(FReadoutTold.data());
        }
    }
    // Until input comes, no frame before the stage's next visible change would show anything new.
    if (DXTimer && !WakesEveryRefresh())
        DXTimer->SleepFor(MillisecondsToVisibleChange());
    FPointerMoved = false;
    FKeyPressed = false;
}

int TMainForm::UncoveredRuns(TUncovered& runs) const
{
    const TPictureCollectionItem* tiles = BGLayer->TileImage;
    if (!BGLayer->Visible || !tiles || tiles->PatternRect(0).Width() != CellPixels
        || tiles->PatternRect(0).Height() != CellPixels)
        return -1;
    // Field cell (x, y) is layer cell (x + 1, y + 1), drawn at display pixel (16 x, 16 y).
    int count = 0;
    for (int y = 0; y < FieldRows; ++y)
        for (int x = 0; x < FieldColumns; ++x) {
            if (tiles->PatternOpaque(BGLayer->DrawnCell(x + 1, y + 1)))
                continue;
            const int from = x;
            while (x + 1 < FieldColumns && !tiles->PatternOpaque(BGLayer->DrawnCell(x + 2, y + 1)))
                ++x;
            if (count == static_cast<int>(runs.size()))
                return -1;
            runs[static_cast<std::size_t>(count++)] =
                TRect{from * CellPixels, y * CellPixels, (x + 1) * CellPixels, (y + 1) * CellPixels};
        }
    return count;
}

// The picture, tiled as the stage says, or the background colour; the colour
// also fills what an untiled picture leaves uncovered. Most stages lay ground
// in every cell, or in all but a few: what the BG tiles cover never shows,
// so only the runs of cells they leave uncovered are drawn (the frame's
// pixels are the same), or the whole display where those are many.
void TMainForm::DrawBackground(TDirectDrawSurface& surface)
{
    TUncovered runs;
    const int count = UncoveredRuns(runs);
    if (count < 0)
        DrawBackgroundIn(surface, TRect{0, 0, DisplayWidth, DisplayHeight});
    for (int i = 0; i < count; ++i)
        DrawBackgroundIn(surface, runs[static_cast<std::size_t>(i)]);
}

void TMainForm::DrawBackgroundIn(TDirectDrawSurface& surface, const TRect& area)
{
    const std::uint32_t colour = surface.ColorToPixel(BG_Color);
    const auto fill = [&](const TRect& rect) {
        if (const TRect part = IntersectRect(rect, area); !part.IsEmpty())
            surface.FillRect(part, colour);
    };
    const bool picture = PictureLoaded && BackPicture && BackPicture->Width() > 0 && BackPicture->Height() > 0;
    if (!picture) {
        fill(area);
        return;
    }
    const int w = BackPicture->Width(), h = BackPicture->Height();
    int nx = 0, ny = 0;
    if (BG_H_Tile) {
        nx = (DisplayWidth - 1) / w;
    } else if (w < DisplayWidth) {
        const int bottom = BG_V_Tile || h > DisplayHeight ? DisplayHeight : h;
        fill(TRect{w, 0, DisplayWidth, bottom});
    }
    if (BG_V_Tile)
        ny = (DisplayHeight - 1) / h;
    else if (h < DisplayHeight)
        fill(TRect{0, h, DisplayWidth, DisplayHeight});
    for (int j = 0; j <= ny; ++j)
        for (int i = 0; i <= nx; ++i) {
            const TRect copy{i * w, j * h, i * w + w, j * h + h};
            if (const TRect part = IntersectRect(copy, area); !part.IsEmpty())
                surface.Draw(
                    part.Left, part.Top,
                    TRect{part.Left - copy.Left, part.Top - copy.Top, part.Right - copy.Left, part.Bottom - copy.Top},
                    BackPicture.get(), false);
        }
}

// The grid, the selection, the box tool's cursor and the rectangle being
// dragged, all with the pen in not-merge mode.
void TMainForm::DrawOverlay(TDirectDrawSurface& surface)
{
    const TToolMode toolMode = ToolMode;
    const bool dragging = DownPos.X >= 0 && DownPos.Y >= 0;
    if (ShowGrid || toolMode == TToolMode::Select || toolMode == TToolMode::Box || dragging) {
        TDirectDrawSurfaceCanvas& canvas = surface.Canvas();
        canvas.Pen.Mode = TPenMode::NotMerge;
        canvas.Brush.Style = TBrushStyle::Clear;
        if (ShowGrid) {
            for (int i = 1; i <= 7; ++i) {
                SetPen(canvas, i % 2 ? clSilver : clYellow, 1, TPenStyle::DashDotDot);
                canvas.MoveTo(80 * i, 0);
                canvas.LineTo(80 * i, DisplayHeight);
            }
            for (int i = 1; i <= 5; ++i) {
                SetPen(canvas, i % 2 ? clSilver : clYellow, 1, TPenStyle::DashDotDot);
                canvas.MoveTo(0, 80 * i);
                canvas.LineTo(DisplayWidth, 80 * i);
            }
        }
        if (toolMode == TToolMode::Select) {
            SetPen(canvas, clMaroon, 1, TPenStyle::Dot);
            canvas.Rectangle(SelRect.Left, SelRect.Top, SelRect.Right, SelRect.Bottom);
        }
        if (toolMode == TToolMode::Box) {
            const TPoint at = BoxTopLeft();
            SetPen(canvas, clGreen, 1, TPenStyle::DashDot);
            canvas.Rectangle(at.X, at.Y, at.X + 32, at.Y + 32);
        }
        if ((toolMode == TToolMode::Select || toolMode == TToolMode::Fill) && dragging) {
            if (toolMode == TToolMode::Fill)
                SetPen(canvas, clBlue, 3, TPenStyle::Solid);
            else
                SetPen(canvas, clRed, 1, TPenStyle::Dash);
            canvas.Rectangle(DownPos.X, DownPos.Y, MousePos.X, MousePos.Y);
        }
        canvas.Release();
    }
}

bool TMainForm::CompareOutlineShown() const
{
    return ShowCompareOutline && Document.Comparison().On();
}

// Overlays of our own, after the editing overlay and under the status lines:
// the cursor outline, the compare outline, then the find outline.
void TMainForm::DrawOwnOverlays(TDirectDrawSurface& surface)
{
    if (const TRect cursor = CursorOutline(); !cursor.IsEmpty()) {
        FrameRect(surface, cursor, 1, surface.ColorToPixel(CursorOutlineDark));
        const TRect inside{cursor.Left + 1, cursor.Top + 1, cursor.Right - 1, cursor.Bottom - 1};
        FrameRect(surface, inside, 1, surface.ColorToPixel(CursorOutlineColor));
    }
    if (CompareOutlineShown()) {
        StageRecord live;
        CaptureStage(live);
        DiffCells(Document.Comparison().Partner(Document.StageNum()), live, FChangedCells);
        const std::uint32_t pixel = surface.ColorToPixel(CompareOutlineColor);
        for (const TCellChange& cell : FChangedCells)
            OutlineCell(surface, cell.Column, cell.Row, pixel);
    }
    if (const TTileSearch& search = Document.Search(); search.On()) {
        const std::uint32_t pixel = surface.ColorToPixel(FindOutlineColor);
        for (int y = 0; y < FieldRows; ++y)
            for (int x = 0; x < FieldColumns; ++x)
                if (search.Holds(TStageLayer::BG, BGLayer->Cell(x + 1, y + 1))
                    || search.Holds(TStageLayer::FG, FGLayer->Cell(x + 1, y + 1)))
                    OutlineCell(surface, x, y, pixel);
    }
}

TRect TMainForm::CursorOutline() const
{
    if (!ShowReadout || !PointerOnField())
        return {};
    if (ToolMode == TToolMode::Box) {
        const TPoint at = BoxTopLeft();
        return TRect{at.X, at.Y, at.X + 2 * CellPixels, at.Y + 2 * CellPixels};
    }
    const int left = FPointer.X / CellPixels * CellPixels, top = FPointer.Y / CellPixels * CellPixels;
    return TRect{left, top, left + CellPixels, top + CellPixels};
}

// The status lines (F5), drawn over everything else.
void TMainForm::DrawStatus(TDirectDrawSurface& surface)
{
    TDirectDrawSurfaceCanvas& canvas = surface.Canvas();
    canvas.Brush.Style = TBrushStyle::Clear;
    canvas.Font.Name = "Fixedsys";
    canvas.Font.Color = clSilver;
    canvas.Font.Size = 10;
    if (ShowStatus) {
        char line[64];
        std::snprintf(line, sizeof line, "FPS: %d", DXTimer ? DXTimer->FramesPerSecond() : 0);
        canvas.TextOut(0, 0, line);
        std::snprintf(line, sizeof line, "Sprite: %d", Engine().SpriteCount());
        canvas.TextOut(0, 24, line);
        std::snprintf(line, sizeof line, "Draw: %d", Engine().DrawnCount());
        canvas.TextOut(0, 48, line);
        canvas.TextOut(0, 72, TimeMode60 ? "Time mode: 60 FPS" : "Time mode: Real time");
    }
    canvas.Release();
}

TFrameState TMainForm::FrameState() const
{
    TFrameState state;
    state.BGColor = BG_Color;
    state.HTile = BG_H_Tile;
    state.VTile = BG_V_Tile;
    state.Picture = PictureLoaded;
    // What a hidden layer or flag holds shows nothing.
    state.BGVisible = BGLayer->Visible;
    state.ShadowVisible = ShadowLayer->Visible;
    state.FGVisible = FGLayer->Visible;
    state.FlagVisible = FlagSprite->Visible;
    state.BGCells = state.BGVisible ? BGLayer->Revision() : 0;
    state.ShadowCells = state.ShadowVisible ? ShadowLayer->Revision() : 0;
    state.FGCells = state.FGVisible ? FGLayer->Revision() : 0;
    if (state.FlagVisible) {
        state.FlagX = FlagSprite->X;
        state.FlagY = FlagSprite->Y;
        state.FlagPattern = std::trunc(FlagSprite->FramePos) + FlagSprite->FirstFrame;
    }
    state.ToolMode = ToolMode;
    state.ShowGrid = ShowGrid;
    state.DownPos = DownPos;
    state.MousePos = MousePos;
    state.SelRect = SelRect;
    const bool outlines = CompareOutlineShown() || Document.Search().On();
    if (CompareOutlineShown()) {
        state.CompareOutline = Document.Comparison().Revision();
        state.CompareStage = Document.StageNum();
    }
    if (Document.Search().On())
        state.FindOutline = Document.Search().Revision();
    if (outlines) {
        state.BGCodes = BGLayer->CodeRevision();
        state.FGCodes = FGLayer->CodeRevision();
    }
    if (ShowStatus) {
        state.ShowStatus = true;
        state.FramesPerSecond = DXTimer ? DXTimer->FramesPerSecond() : 0;
        state.SpriteCount = Engine().SpriteCount();
        state.DrawnCount = Engine().DrawnCount();
        state.TimeMode60 = TimeMode60;
    }
    if (ShowReadout) {
        state.CursorOutline = CursorOutline();
        FormatReadout(state.Readout.data());
    }
    return state;
}

void TMainForm::DXTimerActivate()
{
    if (DXTimer)
        DXTimer->SetEnabled(DXDraw && DXDraw->Initialized());
}

void TMainForm::DXTimerDeactivate()
{
    if (DXTimer)
        DXTimer->SetEnabled(false);
}
