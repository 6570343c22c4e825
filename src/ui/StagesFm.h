#pragma once
// The "Stages" window (F4): every record 0..99 of the stage file as a
// thumbnail with its number and caption, the current stage (StageNum)
// marked (and marked unsaved while it is), stages with check errors badged.
// Double-click or Enter on a stage opens it (TDocument::OpenStage). Stages are put in order here too
// (TStageSetActions): click selects, Shift and Ctrl extend, a drag moves (Ctrl: copies), the context menu and the keys
// do the rest. Thumbnails are made one per piece of work between the display's frames (TBetweenFrames), so the window
// shows at once and fills in. The game folder in use is named in the title and the status line, and "Open Folder..."
// beside the status opens another.

#include "ui/StageListView.h"

#include <QRect>
#include <QSize>
#include <QWidget>

#include <memory>
#include <vector>

class QKeyEvent;
class QLabel;
class QToolButton;
class QModelIndex;
class TBetweenFrames;
class TFrameSchedule;
class TMainForm;
class TStageCellModel;
class TStageSetActions;
class TStageThumbnails;
class TStageViews;
class TfmTool;

class TfmStages : public QWidget {
    Q_OBJECT
public:
    // Work between frames is paced by `schedule` (not owned; by default the
    // window application's idle hooks when installed, else none).
    explicit TfmStages(QWidget* parent = nullptr, TFrameSchedule* schedule = nullptr);
    ~TfmStages() override;

    // The editor whose stage file is shown and whose keys F3..F11 act from
    // here too, and the tool window this window keeps clear of. Set once,
    // before the window is first shown.
    void SetMainForm(TMainForm* form, TfmTool* tool);

    // Another program changed the game folder: the stages whose records or
    // pictures changed are drawn again.
    void FilesChangedOnDisk();
    // Opens stage `number` (TDocument::OpenStage); the keyboard focus then
    // goes to the main window.
    void OpenStage(int number);

    // The selected stages, in order; the current one when none is selected.
    std::vector<int> SelectedStages() const;
    // Selects `count` stages from `first` on, the first of them current.
    void SelectStages(int first, int count);
    void SelectStagesNumbered(const std::vector<int>& numbers);
    // A stage set operation changed the stage file (the document told, and
    // the file was read again): the stages from `first` on are selected (-1:
    // the selection stays) and `outcome` is shown.
    void StageSetChanged(const QString& outcome, int first, int count);
    // What the last operation did, in the status line until the next.
    void ShowOutcome(const QString& outcome);
    TStageSetActions& Actions() const { return *FActions; }
    TStageViews& Views() const { return *FViews; }

    TStageListView* lvStages = nullptr;
    QLabel* stStatus = nullptr;
    QToolButton* btOpenFolder = nullptr;
    TStageCellModel& Cells() const { return *FCells; }
    const TStageThumbnails& Thumbnails() const { return *FThumbnails; }
    TBetweenFrames& Work() const { return *FWork; }

    // What the window adds around its cells: the scroll bar, the status line.
    QSize ChromeSize() const;

    // The first show places the window beside the main window.
    void setVisible(bool visible) override;

    // What the document told (TDocumentChange); FollowDocument calls it.
    void DocumentChanged(unsigned changes);

signals:
    // A thumbnail was made (with its checks), and all are made.
    void ThumbnailMade(int number);
    void ThumbnailsDone();
    // "Open Folder..." was pressed.
    void OpenFolderClicked();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The editor works in another game folder: every stage is read anew.
    void GameFolderChanged();
    // One piece of work: the next thumbnail, visible stages first.
    bool MakeOne();
    void ReadFile(bool picturesMayHaveChanged);
    void UpdateStatus();
    void PlaceBesideMainWindow();
    // F3..F9, F11 and Ctrl+F go to the editor's key handler; true when the key was one.
    bool ForwardFunctionKey(QKeyEvent* event);
    // The keys of the stage set actions; true when the key was one.
    bool StageSetKey(QKeyEvent* event);

    TMainForm* FForm = nullptr;
    TfmTool* FTool = nullptr;
    std::unique_ptr<TStageThumbnails> FThumbnails;
    TStageCellModel* FCells = nullptr;
    TBetweenFrames* FWork = nullptr;
    TFrameSchedule* FSchedule = nullptr;
    TStageSetActions* FActions = nullptr;
    TStageViews* FViews = nullptr;
    QString FOutcome;  // the last operation's, for the status line
    bool FPlaced = false;
};

// Where the window goes at its first show: beside the main window (frame
// `mainFrame`), within `available` (the screen's free area), clear of
// `avoid` (the tool window's frame) where it can be. `cell` is a grid cell,
// `chrome` what the window adds around its cells (scroll bar, status line)
// and `decoration` what the window system adds around a window (title bar,
// borders, as around the main window). The side with room for the most
// cells wins, up to 5 x 5 cells; the result never overlaps the main window
// when a side holds one cell. On a screen too small for that it is one
// column wide at the available area's right edge. The rectangle returned is
// the client area (what setGeometry takes).
QRect StagesWindowPlace(const QRect& mainFrame, const QRect& avoid, const QRect& available, QSize cell, QSize chrome,
                        QMargins decoration);
