#pragma once
// The Stages window's grid of cells: a list view whose drags carry the
// selected stages and whose drops land on the stage under the pointer,
// outlined while a drag is over it. What a drag carries and what a drop does
// are the window's.

#include <QListView>

#include <functional>

class QMimeData;

class TStageListView : public QListView {
    Q_OBJECT
public:
    explicit TStageListView(QWidget* parent = nullptr);

    // The mime data of a drag of the selected stages; null: nothing to drag.
    std::function<QMimeData*()> DragData;
    // A drop of `mime` on stage `target`, with Ctrl held (`copy`) or not.
    // Called from the drop event: it may only take what it needs of `mime`
    // and do the rest later (a modal question would stall the drag).
    std::function<void(int target, const QMimeData& mime, bool copy)> Dropped;

protected:
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // The stage under `position` (viewport coordinates) that a drop of
    // `mime` may land on; -1 when none.
    int TargetAt(QPoint position, const QMimeData* mime) const;
    void SetDropTarget(int number);

    int FDropTarget = -1;
};
