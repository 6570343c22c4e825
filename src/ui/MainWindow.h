#pragma once
// The main window: a fixed 640 x 480 client area filled by the display, with
// the editor core behind it. It implements what the core asks of the windows
// and turns mouse and key events into the core's handlers.

#include "editor/EditorHost.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <memory>

class QFileDialog;
class QScreen;
class TDiskChanges;
class TDiskWatch;
class TDisplayWidget;
class TMainForm;
class TfmStages;
class TfmTool;

class TMainWindow : public QWidget, public TEditorHost {
    Q_OBJECT
public:
    // FormCreate runs here; the window is not shown yet.
    TMainWindow();
    ~TMainWindow() override;

    TMainForm& Form() const { return *FForm; }
    TDisplayWidget* Display() const { return FDisplay; }
    TfmTool* ToolWindow() const { return FTool; }
    // The tool window is created after the main window, as the editor starts.
    void SetToolWindow(TfmTool* tool);
    // The "Stages" window (F4), created hidden after the tool window.
    TfmStages* StagesWindow() const;
    void SetStagesWindow(TfmStages* stages);

    // The start-up path for the stage file of the game folder: the tool
    // window shown, stage StageNum loaded (or made at random), recovery
    // copies kept for that file from now on, and the copies an ended editor
    // left for it offered once the display runs; the text map dialogs and
    // the Stages window follow the folder, and the folder is watched.
    // Callable again for another folder, once the live stage may be replaced.
    void StartWithStageFile();
    // Offers each copy an ended editor left for this stage file, newest
    // first, until one is restored.
    void OfferRecovery();
    // The unsaved marks and the recovery copy follow the live stage; runs
    // every tenth of a second while the window shows, and after each save.
    void RefreshUnsaved();

    // "Open Folder..." (Ctrl+O, and the Stages window's button): picks a game
    // folder in OpenFolderDialog and opens it.
    void OpenFolderClick();
    // Opens the game folder `folder`, asking first when the live stage is
    // unsaved: the editor starts over there as at start-up, at stage 0 with
    // an empty history. False when the designer cancelled.
    bool OpenGameFolder(const QString& folder);
    QFileDialog* OpenFolderDialog = nullptr;

    // Changes on disk, once they settled: the Stages window reads the file
    // again, a changed picture is reloaded, and when the live stage's record
    // changed the designer is asked to load it (or told, when the live stage
    // has changes of its own). Waits while a modal window is open or a mouse
    // button is held.
    void FollowDiskChanges();
    TDiskWatch& DiskWatch() const { return *FDiskWatch; }

    // TEditorHost
    TToolMode ToolMode() const override;
    int CurTile() const override;
    bool AllLayerDown() const override;
    void SetAllLayerDown(bool down) override;
    bool GridDown() const override;
    void SetGridDown(bool down) override;
    void SetUndoEnabled(bool enabled) override;
    void SetRedoEnabled(bool enabled) override;
    void SetWindowCaption(const std::string& caption) override;
    void SetOptionCaption(const std::string& caption) override;
    void SetStageNumControl(int value) override;
    void RestoreDisplay() override;
    void ReportError(const std::string& text) override;
    bool ToolWindowVisible() const override;
    void SetToolWindowVisible(bool visible) override;
    bool StagesWindowVisible() const override;
    void SetStagesWindowVisible(bool visible) override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The display platform follows the screens: their union is its desktop,
    // and any screen added, removed, resized or moved changes it.
    void FollowScreens();
    void FollowScreen(QScreen* screen);
    // Fills the display platform's settings from the screens, leaving out one
    // that is being removed.
    void TakeScreens(const QScreen* leaving);
    void ScreensChanged(const QScreen* leaving = nullptr);
    // The folders and files of the game folder that are watched now.
    void WatchGameFolder();
    void MakeShortcuts();

    std::unique_ptr<TMainForm> FForm;
    TDisplayWidget* FDisplay = nullptr;
    TfmTool* FTool = nullptr;
    QPointer<TfmStages> FStages;  // made and freed by whoever starts the editor
    bool FShownOnce = false;
    QTimer FUnsavedTimer;
    TDiskWatch* FDiskWatch = nullptr;
    std::unique_ptr<TDiskChanges> FDiskChanges;
    bool FFollowing = false;  // FollowDiskChanges has a question open
};
