#include "ui/DisplayView.h"

#include "ui/DisplayWidget.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScrollBar>
#include <QStyle>

#include <algorithm>
#include <cmath>

namespace {

constexpr int EdgeBand = 24;          // pixels along the viewport's edges where a drag scrolls
constexpr int MostScrollStep = 48;    // pixels scrolled at once, however far past the edge
constexpr int ScrollOnInterval = 30;  // milliseconds between steps while the pointer stays

// How far `at` lies beyond low..high, signed.
int Beyond(int at, int low, int high)
{
    return at < low ? at - low : at > high ? at - high : 0;
}

}  // namespace

TDisplayView::TDisplayView(TDisplayWidget* display, QWidget* parent) : QScrollArea(parent), FDisplay(display)
{
    setObjectName(QStringLiteral("DisplayView"));
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::NoFocus);  // keys go to the main window
    setWidget(display);
    FScrollOn.setSingleShot(true);
    FScrollOn.setInterval(ScrollOnInterval);
    connect(&FScrollOn, &QTimer::timeout, this, [this] {
        if (QGuiApplication::mouseButtons() & Qt::LeftButton)
            DragAt(FDragAt);
    });
    connect(display, &TDisplayWidget::Dragged, this, &TDisplayView::DragAt);
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, &TDisplayView::FollowPointer);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &TDisplayView::FollowPointer);
}

void TDisplayView::FollowPointer()
{
    if (FDisplay->underMouse())
        FDisplay->PointerStandsAt(QCursor::pos());
}

QSize TDisplayView::SizeWithin(QSize most) const
{
    const QSize content = FDisplay->size();
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    // A bar along one side takes room from the other, which may then need its own.
    bool across = false, down = false;
    for (int pass = 0; pass < 2; ++pass) {
        across = content.width() + (down ? bar : 0) > most.width();
        down = content.height() + (across ? bar : 0) > most.height();
    }
    return {std::min(content.width() + (down ? bar : 0), most.width()),
            std::min(content.height() + (across ? bar : 0), most.height())};
}

void TDisplayView::ShowFieldPointAt(QPointF field, QPoint at)
{
    const qreal pixel = FDisplay->PixelSize();
    horizontalScrollBar()->setValue(static_cast<int>(std::lround(field.x() * pixel - at.x())));
    verticalScrollBar()->setValue(static_cast<int>(std::lround(field.y() * pixel - at.y())));
}

QPointF TDisplayView::FieldPointAt(QPoint global) const
{
    return QPointF(FDisplay->mapFromGlobal(global)) / FDisplay->PixelSize();
}

void TDisplayView::DragAt(QPoint global)
{
    FDragAt = global;
    const QPoint at = viewport()->mapFromGlobal(global);
    const QRect inner = viewport()->rect().adjusted(EdgeBand, EdgeBand, -EdgeBand, -EdgeBand);
    const int dx = std::clamp(Beyond(at.x(), inner.left(), inner.right()), -MostScrollStep, MostScrollStep);
    const int dy = std::clamp(Beyond(at.y(), inner.top(), inner.bottom()), -MostScrollStep, MostScrollStep);
    const int x = horizontalScrollBar()->value(), y = verticalScrollBar()->value();
    horizontalScrollBar()->setValue(x + dx);
    verticalScrollBar()->setValue(y + dy);
    // Scrolled, the field moved under the pointer, which FollowPointer tells the tools.
    if (horizontalScrollBar()->value() == x && verticalScrollBar()->value() == y)
        FScrollOn.stop();
    else
        FScrollOn.start();
}
