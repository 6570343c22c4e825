#pragma once
// The main window: a fixed 640 x 480 client area filled by the display, with
// the editor core behind it. It implements what the core asks of the windows,
// turns mouse and key events into the core's handlers, asks the document's
// questions (TQuestionBoxes) and shows what the document tells. Zoomed, it
// grows up to the screen's free area and scrolls beyond; the cursor readout
// (F2) is a strip below the display.

#include "editor/EditorHost.h"

#include <QPointer>
#include <QWidget>

#include <memory>

class QFileDialog;
class QLabel;
class QScreen;
class TDiskWatch;
class TDisplayView;
class TDisplayWidget;
class TMainForm;
class TQuestionBoxes;
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
    TDisplayView* View() const { return FView; }
    // The readout strip (F2), hidden at start.
    QLabel* stReadout = nullptr;

    // The display's zoom, 1..4, keeping the field point under `anchor` (a
    // point on the screen) under it where the view scrolls. The window grows
    // or shrinks to fit, keeping its top-left corner where the screen allows.
    void SetZoom(int zoom, QPoint anchor);
    TfmTool* ToolWindow() const { return FTool; }
    // The tool window is created after the main window, as the editor starts.
    void SetToolWindow(TfmTool* tool);
    // The "Stages" window (F4), created hidden after the tool window.
    void SetStagesWindow(TfmStages* stages);

    // "Open Folder..." (Ctrl+O, and the Stages window's button): picks a game
    // folder in OpenFolderDialog and opens it (TDocument::OpenFolder).
    void OpenFolderClick();
    QFileDialog* OpenFolderDialog = nullptr;

    // Changes on disk, once they settled: the Stages window reads the file
    // again, a changed picture is reloaded, and the document follows the
    // live stage's record (TDocument::FollowDiskChanges). Waits while a
    // modal window is open or a mouse button is held.
    void FollowDiskChanges();
    TDiskWatch& DiskWatch() const { return *FDiskWatch; }

    // TEditorHost
    void SetAllLayerDown(bool down) override;
    void SetGridDown(bool down) override;
    void SetUndoEnabled(bool enabled) override;
    void SetRedoEnabled(bool enabled) override;
    void RestoreDisplay() override;
    void ReportError(const std::string& text) override;
    bool ToolWindowVisible() const override;
    void SetToolWindowVisible(bool visible) override;
    bool StagesWindowVisible() const override;
    void SetStagesWindowVisible(bool visible) override;
    void OpenFind() override;
    void Later(std::function<void()> job, std::chrono::milliseconds delay) override;
    void SetReadoutVisible(bool visible) override;
    void SetReadoutText(std::string_view text) override;
    bool DisplaySeen() const override;
    void ZoomDisplay(TZoomStep step) override;

    // What the document told (TDocumentChange); FollowDocument calls it.
    void DocumentChanged(unsigned changes);

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
    // The window's size for the display's zoom and the readout, within the
    // screen's free area (less a column for the tool window while zoomed),
    // and the tool window moved off the main window if it stood on it.
    void FitWindow();
    void PlaceToolWindow(const QRect& mainFrame, const QRect& available);

    std::unique_ptr<TQuestionBoxes> FQuestions;
    std::unique_ptr<TMainForm> FForm;
    TDisplayWidget* FDisplay = nullptr;
    TDisplayView* FView = nullptr;
    TfmTool* FTool = nullptr;
    QPointer<TfmStages> FStages;  // made and freed by whoever starts the editor
    bool FShownOnce = false;
    TDiskWatch* FDiskWatch = nullptr;
    bool FFollowing = false;  // FollowDiskChanges has a question open
};
