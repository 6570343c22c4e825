#pragma once
// The display control: the 640 x 480 window area the back buffer is presented
// into. Mouse events on it go to the editor's tools; while the left button is
// held it keeps receiving the pointer outside its bounds (the window system's
// implicit grab), with coordinates beyond 0..639 and 0..479.

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

    // The display's life cycle, driven by the main window.
    void InitializeDisplay();
    void FinalizeDisplay();
    void RestoreSurfaces();

    // TWindowControl: the display presents its back buffer here; what changed
    // is shown at once.
    TPoint ClientSize() const override;
    TPoint ClientOrigin() const override;
    void Present(const TRect& area, const std::uint8_t* pixels, std::ptrdiff_t stride, TPixelFormat format) override;
    // What the window shows: the pixels last presented (empty before the first).
    const QImage& Shown() const { return FShown; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    TDXDraw* DXDraw() const;
    // Passes a button event to the editor's press or release handler.
    void ForwardButton(QMouseEvent* event, void (TMainForm::*handler)(TMouseButton, TShiftState, int, int));

    TMainForm* FForm = nullptr;
    bool FPainting = false;    // inside a paint request of the window system
    bool FPresenting = false;  // showing a frame the display just presented
    QImage FShown;             // what the window shows: the last presented pixels
};
