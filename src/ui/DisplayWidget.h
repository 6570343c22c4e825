#pragma once
// The display control: the window area the 640 x 480 back buffer is presented
// into, at 1x its own size, zoomed a whole number of device pixels to each
// field pixel (nearest neighbour). Mouse events on it go to the editor's
// tools in field pixels; while the left button is held it keeps receiving the
// pointer outside its bounds (the window system's implicit grab), with
// coordinates beyond 0..639 and 0..479.

#include "editor/Keys.h"
#include "platform/WindowControl.h"

#include <QImage>
#include <QWidget>

class TDXDraw;
class TMainForm;

class TDisplayWidget : public QWidget, public TWindowControl {
    Q_OBJECT
public:
    explicit TDisplayWidget(QWidget* parent);

    void SetMainForm(TMainForm* form);

    // The zoom, 1..MaxZoom (the window's; 1x is the game's 640 x 480
    // display), on top of the desktop's scale: each field pixel becomes a
    // square of device pixels, the product rounded. The widget takes the size
    // that needs.
    static constexpr int MaxZoom = 4;
    void SetZoom(int zoom);
    int Zoom() const { return FZoom; }
    // A field pixel's side in the widget's coordinates.
    qreal PixelSize() const;
    // The field pixel under `at` (the widget's coordinates), rounded down when
    // zoomed, so a point left of or above the display gives negative pixels.
    QPoint FieldPixel(QPointF at) const;
    // The pointer stands still at `global` while the view scrolled under it:
    // the editor's tools see it move there.
    void PointerStandsAt(QPoint global);

    // The display's life cycle, driven by the main window.
    void InitializeDisplay();
    void FinalizeDisplay();
    void RestoreSurfaces();

    // TWindowControl: the display presents its back buffer here; what changed
    // is shown at once.
    TPoint ClientSize() const override;
    TPoint ClientOrigin() const override;
    void Present(const TRect& area, const std::uint8_t* pixels, std::ptrdiff_t stride, TPixelFormat format) override;
    // What the window shows: the pixels last presented (empty before the
    // first), in field pixels; zoomed, as they are shown.
    const QImage& Shown() const { return FShown; }
    const QImage& ShownZoomed() const { return FZoomed; }

signals:
    // Ctrl+wheel: zoom by `steps` (up is in), keeping the field under `at`.
    void ZoomWheel(int steps, QPointF at);
    // A move with the left button held, at `global`.
    void Dragged(QPoint global);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    // Rows first..last of FShown, scaled into FZoomed and shown.
    void ShowZoomed(int first, int last);
    TDXDraw* DXDraw() const;
    // Passes a button event to the editor's press or release handler.
    void ForwardButton(QMouseEvent* event, void (TMainForm::*handler)(TMouseButton, TShiftState, int, int));

    TMainForm* FForm = nullptr;
    bool FPainting = false;    // inside a paint request of the window system
    bool FPresenting = false;  // showing a frame the display just presented
    QImage FShown;             // what the window shows: the last presented pixels
    int FZoom = 1;
    int FScale = 1;
    QImage FZoomed;       // FShown scaled, in device pixels; null at 1x
    int FWheelAngle = 0;  // Ctrl+wheel turned, short of a step
};
