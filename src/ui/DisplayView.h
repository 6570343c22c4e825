#pragma once
// The main window's view of the display: a scroll area holding it at its
// zoom, which scrolls when the window cannot show the display whole, and
// scrolls on while a drag presses against its visible edge.

#include <QScrollArea>
#include <QTimer>

class TDisplayWidget;

class TDisplayView : public QScrollArea {
    Q_OBJECT
public:
    // Takes `display` as its widget.
    TDisplayView(TDisplayWidget* display, QWidget* parent);

    // The size that shows the whole display, or, beyond `most`, as much of it
    // as fits with the scroll bars it then needs.
    QSize SizeWithin(QSize most) const;
    // Scrolls so that the field point `field` (in field pixels) lies under
    // `at` (the viewport's coordinates), as far as the view scrolls.
    void ShowFieldPointAt(QPointF field, QPoint at);
    // The field point (in field pixels) under `global`, a point on the screen.
    QPointF FieldPointAt(QPoint global) const;
    // The display scrolled or zoomed under a pointer standing over it: the
    // editor's tools (and the readout) see the pointer where it now is.
    void FollowPointer();

private:
    // A drag at `global`: within EdgeBand of the viewport's edge or beyond
    // it, the view scrolls toward it, and goes on scrolling while the
    // pointer stays there with the button held.
    void DragAt(QPoint global);

    TDisplayWidget* FDisplay;
    QTimer FScrollOn;
    QPoint FDragAt;
};
