#include "ui/CountGrid.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

bool IsControlFocusChange(const QFocusEvent* event)
{
    return event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason;
}

TCountGrid::TCountGrid(QWidget* parent) : QFrame(parent)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
    setFocusPolicy(Qt::StrongFocus);
}

QString TCountGrid::Cells(int col, int row) const
{
    if (col < 0 || col >= ColCount || row < 0 || row >= RowCount)
        return {};
    return FCells[col][row];
}

void TCountGrid::SetCells(int col, int row, const QString& text)
{
    if (col < 0 || col >= ColCount || row < 0 || row >= RowCount || FCells[col][row] == text)
        return;
    FCells[col][row] = text;
    update();
}

TGridRect TCountGrid::Selection() const
{
    return {std::min(FCurrent.X, FAnchor.X), std::min(FCurrent.Y, FAnchor.Y), std::max(FCurrent.X, FAnchor.X),
            std::max(FCurrent.Y, FAnchor.Y)};
}

void TCountGrid::SetSelection(const TGridRect& selection)
{
    FAnchor = {selection.Left, selection.Top};
    FCurrent = {selection.Right, selection.Bottom};
    update();
}

TRect TCountGrid::CellRect(int col, int row) const
{
    int top = 0;
    for (int r = 0; r < row; ++r)
        top += RowHeights[static_cast<std::size_t>(r)] + GridLineWidth;
    const int left = col * (ColWidth + GridLineWidth);
    return Bounds(left, top, ColWidth, RowHeights[static_cast<std::size_t>(row)]);
}

bool TCountGrid::CellAt(const QPoint& point, TPoint& cell) const
{
    // A grid line belongs to the cell before it.
    const QPoint p = point - ClientOrigin();
    if (p.x() < 0 || p.y() < 0 || !contentsRect().contains(point))
        return false;
    const int col = p.x() / (ColWidth + GridLineWidth);
    if (col >= ColCount)
        return false;
    int bottom = 0;
    for (int row = 0; row < RowCount; ++row) {
        bottom += RowHeights[static_cast<std::size_t>(row)] + GridLineWidth;
        if (p.y() < bottom) {
            cell = {col, row};
            return true;
        }
    }
    return false;
}

void TCountGrid::MoveCurrent(int col, int row)
{
    if (OnSelectCell && !OnSelectCell(col, row))
        return;
    FCurrent = {col, row};
    FAnchor = FCurrent;
    update();
}

void TCountGrid::MoveAnchor(const TPoint& anchor)
{
    FAnchor = anchor;
    update();
}

void TCountGrid::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    const QRect client = contentsRect();
    painter.setClipRect(client);
    painter.translate(client.topLeft());
    const QPalette& pal = palette();
    painter.fillRect(QRect(QPoint(0, 0), client.size()), pal.color(QPalette::Base));

    const TRect last = CellRect(ColCount - 1, RowCount - 1);
    painter.fillRect(QRect(0, 0, last.Right + GridLineWidth, last.Bottom + GridLineWidth), QColor(192, 192, 192));

    const TGridRect selection = Selection();
    for (int row = 0; row < RowCount; ++row) {
        for (int col = 0; col < ColCount; ++col) {
            const TRect r = CellRect(col, row);
            const QRect rect(r.Left, r.Top, r.Width(), r.Height());
            const bool fixed = col < FixedCols;
            const bool focused = !fixed && hasFocus() && col == FCurrent.X && row == FCurrent.Y;
            const bool selected = !fixed && col >= selection.Left && col <= selection.Right && row >= selection.Top
                                  && row <= selection.Bottom;
            QColor textColor = pal.color(QPalette::Text);
            if (fixed) {
                painter.fillRect(rect, pal.color(QPalette::Button));
                painter.setPen(pal.color(QPalette::Light));
                painter.drawLine(rect.topLeft(), rect.topRight());
                painter.drawLine(rect.topLeft(), rect.bottomLeft());
                painter.setPen(pal.color(QPalette::Dark));
                painter.drawLine(rect.bottomLeft(), rect.bottomRight());
                painter.drawLine(rect.topRight(), rect.bottomRight());
                textColor = pal.color(QPalette::ButtonText);
            } else if (selected && !focused) {
                painter.fillRect(rect, pal.color(QPalette::Highlight));
                textColor = pal.color(QPalette::HighlightedText);
            } else {
                painter.fillRect(rect, pal.color(QPalette::Base));
            }
            painter.save();
            painter.setClipRect(rect, Qt::IntersectClip);
            painter.setPen(textColor);
            painter.drawText(rect.adjusted(2, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                             FCells[col][row]);
            if (OnDrawCell)
                OnDrawCell(painter, col, row, rect);
            painter.restore();
            if (focused) {
                painter.setPen(QPen(pal.color(QPalette::Text), 1, Qt::DotLine));
                painter.drawRect(rect.adjusted(0, 0, -1, -1));
            }
        }
    }
}

void TCountGrid::mousePressEvent(QMouseEvent* event)
{
    setFocus(Qt::MouseFocusReason);
    if (event->button() != Qt::LeftButton)
        return;
    TPoint cell;
    if (!CellAt(event->position().toPoint(), cell) || cell.X < FixedCols)
        return;
    if (event->modifiers() & Qt::ShiftModifier)
        MoveAnchor(cell);
    else
        MoveCurrent(cell.X, cell.Y);
    FSelecting = true;
}

void TCountGrid::mouseMoveEvent(QMouseEvent* event)
{
    TPoint cell;
    if (!FSelecting || !(event->buttons() & Qt::LeftButton) || !CellAt(event->position().toPoint(), cell))
        return;
    if (cell.X >= FixedCols && !(cell == FAnchor))
        MoveAnchor(cell);
}

void TCountGrid::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        FSelecting = false;
}

void TCountGrid::keyPressEvent(QKeyEvent* event)
{
    const bool extend = event->modifiers() & Qt::ShiftModifier;
    TPoint target = extend ? FAnchor : FCurrent;
    switch (event->key()) {
    case Qt::Key_Left: --target.X; break;
    case Qt::Key_Right: ++target.X; break;
    case Qt::Key_Up: --target.Y; break;
    case Qt::Key_Down: ++target.Y; break;
    case Qt::Key_Home: target.X = FixedCols; break;
    case Qt::Key_End: target.X = ColCount - 1; break;
    case Qt::Key_PageUp: target.Y = 0; break;
    case Qt::Key_PageDown: target.Y = RowCount - 1; break;
    default: QFrame::keyPressEvent(event); return;
    }
    // From "no current cell" this lands on the first cell, which may be refused.
    target.X = std::clamp(target.X, FixedCols, ColCount - 1);
    target.Y = std::clamp(target.Y, 0, RowCount - 1);
    if (extend) {
        if (!(target == FAnchor))
            MoveAnchor(target);
    } else if (!(target == FCurrent)) {
        MoveCurrent(target.X, target.Y);
    }
}

void TCountGrid::focusInEvent(QFocusEvent* event)
{
    QFrame::focusInEvent(event);
    update();
    if (OnEnter)
        OnEnter();
}

void TCountGrid::focusOutEvent(QFocusEvent* event)
{
    QFrame::focusOutEvent(event);
    FSelecting = false;
    update();
    if (IsControlFocusChange(event) && OnExit)
        OnExit();
}
