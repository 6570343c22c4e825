#pragma once
// The stage option dialog: edits the live stage's settings (caption, pictures,
// enemy counts, MaxCount, background colour and tiling). It is filled from the
// editor, shown modally, and copied back only when the user confirms with OK;
// the whole confirmed dialog is one undo step. It never touches the layers.

#include "platform/Types.h"
#include "stage/StageRecord.h"
#include "ui/CaptionMemo.h"
#include "ui/ColorStatic.h"
#include "ui/CountGrid.h"

#include <QDialog>
#include <QLabel>
#include <QPixmap>

#include <array>

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

    // Grid cell of the count of type t (row 1 or 3; its icon is the cell above).
    static TPoint CountCell(int type) { return {type / 2 + 1, (type % 2) * 2 + 1}; }
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
