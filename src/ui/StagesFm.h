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
class TStageCellDelegate;
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

    // The editor whose stage file is shown and whose keys (IsEditorKey) act from
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

    // The first show places the window beside the main window, with compact
    // cells where full-size ones would show too few stages; after that it
    // keeps its place and size while the editor runs.
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
    // The editor's keys (IsEditorKey) go to its key handler; true when the key was one.
    bool ForwardEditorKey(QKeyEvent* event);
    // The keys of the stage set actions; true when the key was one.
    bool StageSetKey(QKeyEvent* event);

    TMainForm* FForm = nullptr;
    TfmTool* FTool = nullptr;
    std::unique_ptr<TStageThumbnails> FThumbnails;
    TStageCellModel* FCells = nullptr;
    TStageCellDelegate* FDelegate = nullptr;
    TBetweenFrames* FWork = nullptr;
    TFrameSchedule* FSchedule = nullptr;
    TStageSetActions* FActions = nullptr;
    TStageViews* FViews = nullptr;
    QString FOutcome;  // the last operation's, for the status line
    bool FPlaced = false;
};

// Where the window goes at its first show: beside the main window (frame
// `mainFrame`), within `available` (the screen's free area), clear of
// `avoid` (the tool window's frame) where it can be. `cell` and
// `compactCell` are the grid's cells, full-size and compact, `chrome` what
// the window adds around its cells (scroll bar, status line) and
// `decoration` what the window system adds around a window (title bar,
// borders, as around the main window). The side with room for the most
// cells wins, up to 5 x 5 full-size cells; where that would be fewer than
// 20, compact cells (up to 10 x 10) when they show more. The result never
// overlaps the main window when a side holds one cell; on a screen too small
// for that it is two columns of compact cells at the available area's right
// edge. Client is the client area (what setGeometry takes).
struct TStagesPlace {
    QRect Client;
    bool Compact = false;
};
TStagesPlace StagesWindowPlace(const QRect& mainFrame, const QRect& avoid, const QRect& available, QSize cell,
                               QSize compactCell, QSize chrome, QMargins decoration);
