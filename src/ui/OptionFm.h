#pragma once
// The stage option dialog: edits the live stage's settings (caption, pictures,
// enemy counts, MaxCount, background colour and tiling). It is filled from the
// editor, shown modally, and copied back only when the user confirms with OK;
// the whole confirmed dialog is one undo step. It never touches the layers.

#include "stage/StageRecord.h"
#include "platform/Types.h"

#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QPlainTextEdit>

#include <array>
#include <functional>

class QCheckBox;
class QLineEdit;
class QPushButton;
class TMainForm;
class TUpDown;

// A stored caption as memo text: every byte from 128 up is a line break
// (CR LF); the other bytes are taken as Latin-1.
QString CaptionToText(const TShortString& caption);
// Memo text back into a caption: each CR LF becomes byte 128, the rest is
// Latin-1 ('?' for characters it lacks), cut to 63 bytes.
TShortString TextToCaption(const QString& text);

// Runs the dialog for the live stage: fills it, shows it modally, and on OK
// records one history step, copies everything back and updates the title.
// Returns whether OK was pressed. owner becomes the dialog's parent.
bool ExecuteOptionDialog(QWidget* owner, TMainForm& form);

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

    int Col() const { return FCurrent.X; }
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

// The bordered colour swatch "BG COLOR": shows the colour being edited and
// reports clicks.
class TColorStatic : public QLabel {
public:
    explicit TColorStatic(QWidget* parent = nullptr);
    // The full 32-bit value is kept as given; only its low 24 bits are shown.
    TColor Color() const { return FColor; }
    void SetColor(TColor color);
    std::function<void()> OnClick;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    TColor FColor = 0;
    bool FPressed = false;
};

// The caption memo. Its limit of 63 characters counts a line break as two
// (CR LF), as the stored caption keeps each line break as one byte and the
// text therefore always fits. Text set by the program is not limited.
class TCaptionMemo : public QPlainTextEdit {
public:
    static constexpr int MaxLength = 63;
    explicit TCaptionMemo(QWidget* parent = nullptr);
    // The text with CR LF line breaks.
    QString Text() const;
    void SetText(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    // Characters still free when the selection is replaced.
    int Room() const;
};

class TfmOption : public QDialog {
    Q_OBJECT
public:
    explicit TfmOption(QWidget* owner = nullptr);

    // Controls in tab order.
    TCaptionMemo* mmCaption = nullptr;
    QLineEdit* edSI_Bitmap = nullptr;
    TCountGrid* sgCount = nullptr;
    QLineEdit* Edit1 = nullptr;
    TUpDown* UpDown1 = nullptr;
    QLineEdit* edMaxCount = nullptr;
    TUpDown* udMaxCount = nullptr;
    QLineEdit* edBG_Bitmap = nullptr;
    TColorStatic* stBG_Color = nullptr;
    QCheckBox* cbBG_VTile = nullptr;
    QCheckBox* cbBG_HTile = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QLabel* lbCaption = nullptr;
    QLabel* lbSI_Bitmap = nullptr;
    QLabel* lbCount = nullptr;
    QLabel* lbMaxCount = nullptr;
    QLabel* lbBG_Bitmap = nullptr;

    // Images 4..19 are the icons of enemy types 0..15.
    std::array<QPixmap, 20> ImageList1;

    // Grid cell of the count (row 1 or 3) and of the icon (row 0 or 2) of type t.
    static TPoint CountCell(int type) { return {type / 2 + 1, (type % 2) * 2 + 1}; }
    static TPoint IconCell(int type) { return {type / 2 + 1, (type % 2) * 2}; }
    // A count cell's value: its leading decimal digits, 0 when there are none.
    static unsigned ReadCount(const QString& text);

    // Handlers.
    void FormCreate();
    void DrawGrid1DrawCell(QPainter& painter, int col, int row, const QRect& rect);
    bool sgCountSelectCell(int col, int row);
    void sgCountEnter();
    void sgCountExit();
    void Edit1Change();
    void edMaxCountExit();
    // True when the key was consumed.
    bool FormKeyDown(int key);
    void stBG_ColorClick();

protected:
    // Key preview: every child's keys pass through FormKeyDown first.
    bool eventFilter(QObject* watched, QEvent* event) override;
};
