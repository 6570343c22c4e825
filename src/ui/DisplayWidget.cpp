#include "ui/DisplayWidget.h"

#include "editor/Main.h"
#include "engine/DXDraws.h"
#include "ui/ErrorReport.h"
#include "ui/KeyMap.h"

#include <QMouseEvent>
#include <QPainter>

TDisplayWidget::TDisplayWidget(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("DXDraw"));
    setMouseTracking(true);  // the box cursor follows the pointer without a button held
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

void TDisplayWidget::Present(const TRect& area, const std::uint8_t* pixels, std::ptrdiff_t stride,
                             TPixelFormat format)
{
    const QRect target = QRect(area.Left, area.Top, area.Width(), area.Height()) & rect();
    if (target.isEmpty() || !pixels)
        return;
    // A view of the presented pixels, valid for this call only: the paint it
    // asks for runs at once and draws straight from the back buffer.
    FSource = QImage(pixels, target.width(), target.height(), static_cast<qsizetype>(stride),
                     format == TPixelFormat::RGB565 ? QImage::Format_RGB16 : QImage::Format_RGB32);
    FSourceAt = target.topLeft();
    // Inside a paint request the picture is drawn by that paint itself.
    if (!FPainting) {
        FPresenting = true;
        repaint(target);
        FPresenting = false;
        FSource = QImage();
    }
}

void TDisplayWidget::paintEvent(QPaintEvent*)
{
    // Asked to paint by the window system: present once, without waiting.
    TDXDraw* draw = DXDraw();
    if (!FPresenting && draw && draw->Initialized()) {
        FPainting = true;
        RunGuarded([draw] { draw->Paint(); });
        FPainting = false;
    }
    QPainter painter(this);
    if (FSource.isNull())
        painter.fillRect(rect(), Qt::black);
    else
        painter.drawImage(FSourceAt, FSource);
    if (!FPresenting)
        FSource = QImage();
}

void TDisplayWidget::ForwardButton(QMouseEvent* event,
                                   void (TMainForm::*handler)(TMouseButton, TShiftState, int, int))
{
    TMouseButton button;
    if (!FForm || !MouseButtonFromQt(event->button(), button))
        return;
    const QPoint at = event->position().toPoint();
    const TShiftState shift = ShiftFromQt(event->modifiers(), event->buttons());
    RunGuarded([&] { (FForm->*handler)(button, shift, at.x(), at.y()); });
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
