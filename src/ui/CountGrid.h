#pragma once
// The enemy count grid of the option dialog.

#include "platform/Types.h"

#include <QFrame>
#include <QString>

#include <array>
#include <functional>

class QFocusEvent;
class QPainter;

// A cell rectangle of the grid, all four bounds inclusive; Left and Top are -1
// when nothing is selected.
struct TGridRect {
    int Left = -1;
    int Top = -1;
    int Right = -1;
    int Bottom = -1;
    friend bool operator==(const TGridRect&, const TGridRect&) = default;
};

// A small text grid in the manner of the original desktop's string grid: fixed
// leading columns, a current cell and an anchor spanning the selection, a
// veto on every new current cell, and cells painted by their owner after the
// grid's own painting. Dragging or Shift extends the selection by moving only
// the anchor, which asks no veto, so a range may take in refused cells.
class TCountGrid : public QFrame {
public:
    static constexpr int ColCount = 9;
    static constexpr int RowCount = 4;
    static constexpr int FixedCols = 1;
    static constexpr int ColWidth = 36;
    static constexpr int GridLineWidth = 1;
    static constexpr std::array<int, RowCount> RowHeights{32, 23, 32, 23};

    explicit TCountGrid(QWidget* parent = nullptr);

    QString Cells(int col, int row) const;
    void SetCells(int col, int row, const QString& text);

    int Row() const { return FCurrent.Y; }
    // The rectangle spanned by the current cell and the anchor.
    TGridRect Selection() const;
    // Anchor := top-left, current := bottom-right; (-1, -1, -1, -1) selects nothing.
    void SetSelection(const TGridRect& selection);

    // The cell in client coordinates (inside the border), Right and Bottom
    // exclusive, without the grid line that follows it.
    TRect CellRect(int col, int row) const;
    // Where the client area starts inside the widget.
    QPoint ClientOrigin() const { return contentsRect().topLeft(); }

    // Asked before a cell becomes current (click, arrow keys); false refuses.
    std::function<bool(int col, int row)> OnSelectCell;
    // Paints over a cell after the grid has drawn its background and text.
    std::function<void(QPainter& painter, int col, int row, const QRect& rect)> OnDrawCell;
    // The grid gains or loses the focus within its window.
    std::function<void()> OnEnter;
    std::function<void()> OnExit;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    // The cell under a widget point, clamped to the grid; false outside the cells.
    bool CellAt(const QPoint& point, TPoint& cell) const;
    void MoveCurrent(int col, int row);
    void MoveAnchor(const TPoint& anchor);

    QString FCells[ColCount][RowCount];
    TPoint FCurrent{FixedCols, 0};
    TPoint FAnchor{FixedCols, 0};
    bool FSelecting = false;
};

// Whether a focus change moves the focus to another control of the same window,
// rather than the whole window losing activation.
bool IsControlFocusChange(const QFocusEvent* event);
