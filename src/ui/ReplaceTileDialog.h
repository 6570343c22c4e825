#pragma once
// "Replace Tile...": which tile becomes which, in which layer. What cannot be
// done (a tile into the wrong layer, a layer not named for "empty") is said
// in the dialog before anything runs.

#include "storage/TileReplace.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QRadioButton;
class TTilePicker;

class TReplaceTileDialog : public QDialog {
    Q_OBJECT
public:
    // `where` names the stages it works in ("in stages 03, 05").
    explicit TReplaceTileDialog(const QString& where, QWidget* parent = nullptr);

    // From, To and Layer, once the dialog was accepted; the stages are the caller's.
    const TTileReplace& Replace() const { return FReplace; }
    // "brick with steel", as the history and the status line name it.
    QString Label() const;

    TTilePicker* edFrom = nullptr;
    TTilePicker* edTo = nullptr;
    QRadioButton* rbBrushLayer = nullptr;  // the layer the brushes paint From into
    QRadioButton* rbBG = nullptr;
    QRadioButton* rbFG = nullptr;
    QLabel* stProblem = nullptr;
    QPushButton* btReplace = nullptr;

private:
    void ReplaceClick();

    TTileReplace FReplace;
};
