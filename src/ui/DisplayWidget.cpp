#include "ui/DisplayWidget.h"

#include "editor/Main.h"
#include "engine/DXDraws.h"
#include "ui/ErrorReport.h"
#include "ui/KeyMap.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <cstring>

TDisplayWidget::TDisplayWidget(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("DXDraw"));
    setMouseTracking(true);       // the box cursor follows the pointer without a button held
    setFocusPolicy(Qt::NoFocus);  // keys go to the main window
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TDisplayWidget::SetMainForm(TMainForm* form)
{
    if (FForm && FForm->DXDraw)
        FForm->DXDraw->SetWindow(nullptr);
    FForm = form;
    if (FForm && FForm->DXDraw)
        FForm->DXDraw->SetWindow(this);
}

TDXDraw* TDisplayWidget::DXDraw() const
{
    return FForm ? FForm->DXDraw.get() : nullptr;
}

void TDisplayWidget::InitializeDisplay()
{
    if (TDXDraw* draw = DXDraw())
        draw->FormShown();
}

void TDisplayWidget::FinalizeDisplay()
{
    if (TDXDraw* draw = DXDraw())
        draw->FormCloseQuery();
}

void TDisplayWidget::RestoreSurfaces()
{
    if (TDXDraw* draw = DXDraw())
        draw->Restore();
}

TPoint TDisplayWidget::ClientSize() const
{
    return {width(), height()};
}

TPoint TDisplayWidget::ClientOrigin() const
{
    const QPoint origin = mapToGlobal(QPoint(0, 0));
    return {origin.x(), origin.y()};
}

void TDisplayWidget::Present(const TRect& area, const std::uint8_t* pixels, std::ptrdiff_t stride, TPixelFormat format)
{
    const QRect target = QRect(area.Left, area.Top, area.Width(), area.Height()) & rect();
    if (target.isEmpty() || !pixels)
        return;
    const QImage::Format shownFormat = format == TPixelFormat::RGB565 ? QImage::Format_RGB16 : QImage::Format_RGB32;
    if (FShown.size() != size() || FShown.format() != shownFormat) {
        FShown = QImage(size(), shownFormat);
        FShown.fill(Qt::black);
    }
    // Only the rows that differ from what the window already shows are copied
    // and sent to the window system: most frames change a few rows (the flag,
    // an animated tile) or none, and sending a whole frame to the screen 60
    // times a second costs far more than drawing it.
    const std::size_t rowBytes =
        static_cast<std::size_t>(target.width()) * static_cast<std::size_t>(BytesPerPixel(format));
    int first = -1;
    int last = -1;
    for (int y = 0; y < target.height(); ++y) {
        const std::uint8_t* source = pixels + static_cast<std::ptrdiff_t>(y) * stride;
        std::uint8_t* shown = FShown.scanLine(target.top() + y) + target.left() * BytesPerPixel(format);
        if (std::memcmp(shown, source, rowBytes) != 0) {
            std::memcpy(shown, source, rowBytes);
            if (first < 0)
                first = y;
            last = y;
        }
    }
    // Inside a paint request the picture is drawn by that paint itself.
    if (first < 0 || FPainting)
        return;
    FPresenting = true;
    repaint(QRect(target.left(), target.top() + first, target.width(), last - first + 1));
    FPresenting = false;
}

void TDisplayWidget::paintEvent(QPaintEvent* event)
{
    // Asked to paint by the window system: present once, without waiting.
    TDXDraw* draw = DXDraw();
    if (!FPresenting && draw && draw->Initialized()) {
        FPainting = true;
        RunGuarded([draw] { draw->Paint(); });
        FPainting = false;
    }
    QPainter painter(this);
    if (FShown.isNull())
        painter.fillRect(rect(), Qt::black);
    else
        painter.drawImage(event->rect(), FShown, event->rect());
}

void TDisplayWidget::ForwardButton(QMouseEvent* event, void (TMainForm::*handler)(TMouseButton, TShiftState, int, int))
{
    TMouseButton button;
    if (!FForm || !MouseButtonFromQt(event->button(), button))
        return;
    const QPoint at = event->position().toPoint();
    const TShiftState shift = ShiftFromQt(event->modifiers(), event->buttons());
    TMainForm* form = FForm;
    RunGuarded([form, handler, button, shift, at] { (form->*handler)(button, shift, at.x(), at.y()); });
}

void TDisplayWidget::mousePressEvent(QMouseEvent* event)
{
    ForwardButton(event, &TMainForm::DXDrawMouseDown);
}

void TDisplayWidget::mouseMoveEvent(QMouseEvent* event)
{
    if (!FForm)
        return;
    const QPoint at = event->position().toPoint();
    const TShiftState shift = ShiftFromQt(event->modifiers(), event->buttons());
    RunGuarded([&] { FForm->DXDrawMouseMove(shift, at.x(), at.y()); });
}

void TDisplayWidget::mouseReleaseEvent(QMouseEvent* event)
{
    ForwardButton(event, &TMainForm::DXDrawMouseUp);
}
