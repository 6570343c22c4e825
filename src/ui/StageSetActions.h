#pragma once
// What the Stages window does to the stage file: move, copy, swap, insert,
// delete and clear stages, copy them to the clipboard and paste them,
// replace a tile in them, undo and redo. Each runs as one transaction of the document, which asks first
// where work could be lost (stages that are not empty replaced, the live
// stage's unsaved changes; clearing and deleting ask here); a failure is
// shown once, after, and leaves the file as it was. The actions are the
// window's context menu and keys.

#include "storage/StageSetEdits.h"

#include <QObject>
#include <QString>

#include <functional>
#include <vector>

class QAction;
class QMenu;
class QMimeData;
class TMainForm;
class TfmStages;
struct TStageSetOutcome;
struct TStagesOnClipboard;

class TStageSetActions : public QObject {
    Q_OBJECT
public:
    // `window` (which owns this) names the selection and shows the outcome.
    explicit TStageSetActions(TfmStages& window);

    void SetMainForm(TMainForm* form);

    // The context menu, its actions enabled for the selection as it is when
    // it opens (UpdateActions).
    QMenu* Menu() const { return FMenu; }
    void UpdateActions();
    QAction* acOpen = nullptr;
    QAction* acCopy = nullptr;
    QAction* acPaste = nullptr;
    QAction* acMoveTo = nullptr;
    QAction* acCopyTo = nullptr;
    QAction* acSwap = nullptr;
    QAction* acInsert = nullptr;
    QAction* acDelete = nullptr;
    QAction* acClear = nullptr;
    QAction* acReplaceTile = nullptr;
    QAction* acUndo = nullptr;
    QAction* acRedo = nullptr;

    // The operations on the window's selection (its stages in order). Each
    // returns whether the file was changed as asked.
    // The selection, a run of consecutive stages, moves so it starts at `to`.
    bool MoveSelection(int to);
    // Copies of the selected stages from `to` on.
    bool CopySelection(int to);
    // The two selected stages change places.
    bool SwapSelection();
    // An empty stage at the first selected one.
    bool InsertStage();
    bool DeleteSelection();
    bool ClearSelection();
    // "Replace Tile...": asks which tile becomes which, then replaces it in
    // the selected stages, or in all when none is selected.
    bool ReplaceTile();
    // The selected stages the file holds, to the system clipboard.
    void CopyToClipboard();
    // The stages on the clipboard, from the first selected stage on.
    bool Paste();
    bool Undo();
    bool Redo();
    // A drop of `stages` on stage `target`: stages of this file from this
    // window move there (a run) or, with `copy`, are copied; any other
    // stages are put in from there on, as a paste.
    bool Drop(int target, const TStagesOnClipboard& stages, bool copy);

    // The selected stages the file holds, as a drag or the clipboard carries
    // them; null when there are none.
    QMimeData* SelectionMimeData() const;

private:
    // An operation as the designer gave it.
    struct TRun {
        QString Failure;  // "Cannot move the stages."
        QString Done;     // "Moved 03 to 07": the status, and the step's name in the history
        TStageSetEdit Edit;
        bool AskReplacing = false;  // ask before stages that are not empty get new ones
        bool MayCreate = false;     // a missing stage file is made (after asking)
        int SelectFirst = -1;       // the stages selected after it; -1: as they are
        int SelectCount = 0;
    };
    bool Run(const TRun& run);
    // Undo or Redo of the document's stage set history.
    bool RunHistory(bool undo);
    // Shows what the document did: the outcome in the status line, or the
    // failure in a box. True when the file was changed as asked.
    bool Show(const TStageSetOutcome& outcome, const QString& failure, QString done, int selectFirst, int selectCount);
    void Fail(const QString& text, const std::string& why) const;
    void MakeActions();

    TfmStages& FWindow;
    TMainForm* FForm = nullptr;
    QMenu* FMenu = nullptr;
};
