#pragma once
// The Stages window's views of the set, as items of its context menu:
// comparing the stage file with another version (TStageCompare) and
// finding a tile or a caption (the document's find), and what the status
// line says of them. The marks they leave on the cells are TStageCellModel's.

#include <QObject>
#include <QString>

class QAction;
class QFileDialog;
class QMenu;
class TMainForm;
class TStageCompare;
class TfmStages;

class TStageViews : public QObject {
    Q_OBJECT
public:
    // Adds its items to `menu`, the window's context menu.
    TStageViews(TfmStages& window, QMenu& menu);

    void SetMainForm(TMainForm* form);
    // Enables the items for what is on now.
    void UpdateActions();
    // "Compared with Last Commit: 2 changed, 1 moved", "Found steel: 3 stages,
    // 40 cells", joined; empty while neither is on.
    QString StatusText() const;

    TStageCompare& Compare() const { return *FCompare; }
    // "Compare With...": picks the stage file to compare with.
    QFileDialog* CompareDialog = nullptr;

    QAction* acCompareWith = nullptr;
    QAction* acCompareCommit = nullptr;
    QAction* acStopComparing = nullptr;
    QAction* acFind = nullptr;
    QAction* acFindNext = nullptr;
    QAction* acFindPrevious = nullptr;
    QAction* acStopFinding = nullptr;

private:
    void CompareWithClick();
    void CompareCommitClick();
    // A comparison that cannot start is said in a box; one read again, in the status line.
    void CannotCompare(const QString& why) const;

    TfmStages& FWindow;
    TMainForm* FForm = nullptr;
    TStageCompare* FCompare = nullptr;
};
