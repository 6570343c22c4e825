#pragma once
// Find (Ctrl+F): a tile (a brush picked by its picture and name, or a code)
// or a caption text to seek across the stage set. The text of a find that is
// on is where the dialog starts, and "Stop Finding" ends that find.

#include "editor/TileSearch.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class TTilePicker;

class TFindDialog : public QDialog {
    Q_OBJECT
public:
    // exec's answer for "Stop Finding".
    static constexpr int StopFinding = 2;

    // Starts from `current` when `on`, else from palette button `brush`.
    TFindDialog(const TSought& current, bool on, int brush, QWidget* parent = nullptr);

    // What to seek, once the dialog was accepted.
    TSought Sought() const { return FSought; }

    QRadioButton* rbTile = nullptr;
    TTilePicker* edTile = nullptr;
    QRadioButton* rbCaption = nullptr;
    QLineEdit* edCaption = nullptr;
    QLabel* stProblem = nullptr;  // why Find cannot seek what was given
    QPushButton* btFind = nullptr;
    QPushButton* btStop = nullptr;  // only while a find is on

private:
    void FindClick();

    TSought FSought;
};
