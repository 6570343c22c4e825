#include "ui/StageListView.h"

#include "ui/StageCells.h"
#include "ui/StageClipboard.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QPainter>

TStageListView::TStageListView(QWidget* parent) : QListView(parent)
{
    // Cells stay where they are (a drop changes the file, which is then read
    // again); the view mode and the movement set the drags, so they come first.
    setViewMode(QListView::IconMode);
    setMovement(QListView::Static);
    setDragEnabled(true);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
}

void TStageListView::startDrag(Qt::DropActions /*supportedActions*/)
{
    QMimeData* mime = DragData ? DragData() : nullptr;
    if (!mime)
        return;
    auto* drag = new QDrag(this);
    drag->setMimeData(mime);
    const QImage picture = currentIndex().data(TStageCellModel::ThumbnailRole).value<QImage>();
    if (!picture.isNull())
        drag->setPixmap(QPixmap::fromImage(picture.scaled(picture.size() / 2)));
    // Nothing is taken out here: a drop within the window moves the stages
    // in the file, and the file is read again.
    drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
}

int TStageListView::TargetAt(QPoint position, const QMimeData* mime) const
{
    if (!MayHoldStages(mime))
        return -1;
    const QModelIndex index = indexAt(position);
    return index.isValid() ? index.row() : -1;
}

void TStageListView::SetDropTarget(int number)
{
    if (number == FDropTarget)
        return;
    FDropTarget = number;
    viewport()->update();
}

void TStageListView::dragEnterEvent(QDragEnterEvent* event)
{
    if (!MayHoldStages(event->mimeData())) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
}

void TStageListView::dragMoveEvent(QDragMoveEvent* event)
{
    const int target = TargetAt(event->position().toPoint(), event->mimeData());
    SetDropTarget(target);
    if (target < 0) {
        event->ignore();
        return;
    }
    event->setDropAction((event->modifiers() & Qt::ControlModifier) || event->source() != this ? Qt::CopyAction
                                                                                               : Qt::MoveAction);
    event->accept();
}

void TStageListView::dragLeaveEvent(QDragLeaveEvent* event)
{
    SetDropTarget(-1);
    QListView::dragLeaveEvent(event);
}

void TStageListView::dropEvent(QDropEvent* event)
{
    SetDropTarget(-1);
    const int target = TargetAt(event->position().toPoint(), event->mimeData());
    if (target < 0 || !Dropped) {
        event->ignore();
        return;
    }
    const bool copy = event->modifiers() & Qt::ControlModifier;
    event->setDropAction(copy || event->source() != this ? Qt::CopyAction : Qt::MoveAction);
    event->accept();
    Dropped(target, *event->mimeData(), copy);
}

void TStageListView::paintEvent(QPaintEvent* event)
{
    QListView::paintEvent(event);
    if (FDropTarget < 0)
        return;
    QPainter painter(viewport());
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(palette().color(QPalette::Highlight), 3));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(visualRect(model()->index(FDropTarget, 0))).adjusted(1.5, 1.5, -1.5, -1.5), 5, 5);
}
