#include "ui/DisplayWidget.h"

#include "editor/Main.h"
#include "engine/DXDraws.h"
#include "platform/DirectDraw.h"
#include "ui/ErrorReport.h"
#include "ui/KeyMap.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <cstring>

TDisplayWidget::TDisplayWidget(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("DXDraw"));
    setMouseTracking(true);       // the box cursor follows the pointer without a button held
    setFocusPolicy(Qt::NoFocus);  // keys go to the main window
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFixedSize(DisplayWidth, DisplayHeight);
}

void TDisplayWidget::SetZoom(int zoom)
{
    FZoom = std::clamp(zoom, 1, MaxZoom);
    const qreal ratio = devicePixelRatioF();
    FScale = FZoom == 1 ? 1 : std::max(1, static_cast<int>(std::lround(FZoom * ratio)));
    if (FZoom == 1) {
        FZoomed = QImage();
        setFixedSize(DisplayWidth, DisplayHeight);
    } else {
        FZoomed = QImage(DisplayWidth * FScale, DisplayHeight * FScale, QImage::Format_RGB32);
        FZoomed.fill(Qt::black);
        setFixedSize(static_cast<int>(std::ceil(DisplayWidth * FScale / ratio)),
                     static_cast<int>(std::ceil(DisplayHeight * FScale / ratio)));
        if (!FShown.isNull())
            ShowZoomed(0, FShown.height() - 1);
    }
    update();
}

qreal TDisplayWidget::PixelSize() const
{
    return FZoom == 1 ? 1.0 : FScale / devicePixelRatioF();
}

QPoint TDisplayWidget::FieldPixel(QPointF at) const
{
    if (FZoom == 1)
        return at.toPoint();
    return {static_cast<int>(std::floor(at.x() / PixelSize())), static_cast<int>(std::floor(at.y() / PixelSize()))};
}

void TDisplayWidget::PointerStandsAt(QPoint global)
{
    if (!FForm)
        return;
    const QPoint at = FieldPixel(mapFromGlobal(QPointF(global)));
    const TShiftState shift = ShiftFromQt(QGuiApplication::keyboardModifiers(), QGuiApplication::mouseButtons());
    RunGuarded([&] { FForm->DXDrawMouseMove(shift, at.x(), at.y()); });
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

// Zoomed, the display's client area is the back buffer's, in field pixels.
TPoint TDisplayWidget::ClientSize() const
{
    return FZoom == 1 ? TPoint{width(), height()} : TPoint{DisplayWidth, DisplayHeight};
}

TPoint TDisplayWidget::ClientOrigin() const
{
    const QPoint origin = mapToGlobal(QPoint(0, 0));
    if (FZoom == 1)
        return {origin.x(), origin.y()};
    // Zoomed, the field's pixels are shown scaled wherever they fall, so the
    // display must not clip any of them as lying off the desktop.
    const TDisplayPlatformSettings& desktop = DisplayPlatformSettings();
    auto within = [](int at, int first, int length, int size) {
        return std::max(first, std::min(at, first + length - size));
    };
    return {within(origin.x(), desktop.ScreenLeft, desktop.ScreenWidth, DisplayWidth),
            within(origin.y(), desktop.ScreenTop, desktop.ScreenHeight, DisplayHeight)};
}

void TDisplayWidget::Present(const TRect& area, const std::uint8_t* pixels, std::ptrdiff_t stride, TPixelFormat format)
{
    const QSize client(ClientSize().X, ClientSize().Y);
    const QRect target = QRect(area.Left, area.Top, area.Width(), area.Height()) & QRect(QPoint(0, 0), client);
    if (target.isEmpty() || !pixels)
        return;
    const QImage::Format shownFormat = format == TPixelFormat::RGB565 ? QImage::Format_RGB16 : QImage::Format_RGB32;
    if (FShown.size() != client || FShown.format() != shownFormat) {
        FShown = QImage(client, shownFormat);
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
    if (first < 0)
        return;
    if (FZoom > 1) {
        ShowZoomed(target.top() + first, target.top() + last);
        return;
    }
    // Inside a paint request the picture is drawn by that paint itself.
    if (FPainting)
        return;
    FPresenting = true;
    repaint(QRect(target.left(), target.top() + first, target.width(), last - first + 1));
    FPresenting = false;
}

// Whole rows, scaled by the raster engine without smoothing: each field pixel
// a square of FScale device pixels.
void TDisplayWidget::ShowZoomed(int first, int last)
{
    {
        QPainter painter(&FZoomed);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(QRect(0, first * FScale, FZoomed.width(), (last - first + 1) * FScale), FShown,
                          QRect(0, first, FShown.width(), last - first + 1));
    }
    if (FPainting)
        return;
    const qreal ratio = devicePixelRatioF();
    const int top = static_cast<int>(std::floor(first * FScale / ratio));
    const int bottom = static_cast<int>(std::ceil((last + 1) * FScale / ratio));
    FPresenting = true;
    repaint(QRect(0, top, width(), bottom - top));
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
    const QRect area = event->rect();
    if (FShown.isNull()) {
        painter.fillRect(rect(), Qt::black);
    } else if (FZoom == 1) {
        painter.drawImage(area, FShown, area);
    } else {
        // One image pixel to each device pixel.
        const qreal ratio = devicePixelRatioF();
        painter.drawImage(QRectF(area), FZoomed,
                          QRectF(area.x() * ratio, area.y() * ratio, area.width() * ratio, area.height() * ratio));
    }
}

void TDisplayWidget::ForwardButton(QMouseEvent* event, void (TMainForm::*handler)(TMouseButton, TShiftState, int, int))
{
    TMouseButton button;
    if (!FForm || !MouseButtonFromQt(event->button(), button))
        return;
    const QPoint at = FieldPixel(event->position());
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
    const QPoint at = FieldPixel(event->position());
    const TShiftState shift = ShiftFromQt(event->modifiers(), event->buttons());
    RunGuarded([&] { FForm->DXDrawMouseMove(shift, at.x(), at.y()); });
    if (event->buttons() & Qt::LeftButton)
        emit Dragged(event->globalPosition().toPoint());
}

void TDisplayWidget::mouseReleaseEvent(QMouseEvent* event)
{
    ForwardButton(event, &TMainForm::DXDrawMouseUp);
}

void TDisplayWidget::wheelEvent(QWheelEvent* event)
{
    // A plain wheel scrolls the view around the display.
    if (!(event->modifiers() & Qt::ControlModifier)) {
        event->ignore();
        return;
    }
    constexpr int StepAngle = 120;  // one notch of a common wheel, in eighths of a degree
    FWheelAngle += event->angleDelta().y();
    const int steps = FWheelAngle / StepAngle;
    FWheelAngle -= steps * StepAngle;
    if (steps != 0)
        emit ZoomWheel(steps, event->position());
    event->accept();
}

void TDisplayWidget::leaveEvent(QEvent* event)
{
    if (FForm)
        RunGuarded([this] { FForm->DXDrawMouseLeave(); });
    QWidget::leaveEvent(event);
}
