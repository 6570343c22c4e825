#include "ui/MainWindow.h"

#include "editor/DiskChanges.h"
#include "editor/Main.h"
#include "editor/Recovery.h"
#include "engine/DXDraws.h"
#include "platform/DirectDraw.h"
#include "storage/FileLookup.h"
#include "storage/RecoveryFolder.h"
#include "ui/DiskWatch.h"
#include "ui/DisplayWidget.h"
#include "ui/ErrorReport.h"
#include "ui/KeyMap.h"
#include "ui/SaveQuestions.h"
#include "ui/StagesFm.h"
#include "ui/ToolBarFm.h"
#include "ui/UpDown.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <QWindow>

TMainWindow::TMainWindow()
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                           | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QString::fromUtf8(TitleBase));
    setFixedSize(DisplayWidth, DisplayHeight);
    setFocusPolicy(Qt::StrongFocus);
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(12);
    setFont(font);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    FollowScreens();

    FDisplay = new TDisplayWidget(this);
    FDisplay->setGeometry(0, 0, DisplayWidth, DisplayHeight);
    FForm = std::make_unique<TMainForm>(*this);
    FDisplay->SetMainForm(FForm.get());
    FUnsavedTimer.setInterval(100);
    connect(&FUnsavedTimer, &QTimer::timeout, this, &TMainWindow::RefreshUnsaved);
    FDiskChanges = std::make_unique<TDiskChanges>(*FForm);
    FDiskWatch = new TDiskWatch(this);
    connect(FDiskWatch, &TDiskWatch::Settled, this, &TMainWindow::FollowDiskChanges);
    MakeShortcuts();
}

TMainWindow::~TMainWindow()
{
    FDisplay->SetMainForm(nullptr);
}

void TMainWindow::FollowScreens()
{
    for (QScreen* screen : QGuiApplication::screens())
        FollowScreen(screen);
    connect(qGuiApp, &QGuiApplication::screenAdded, this, [this](QScreen* screen) {
        FollowScreen(screen);
        ScreensChanged();
    });
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, [this](QScreen* screen) { ScreensChanged(screen); });
    connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this, [this] { ScreensChanged(); });
    TakeScreens(nullptr);
}

void TMainWindow::FollowScreen(QScreen* screen)
{
    connect(screen, &QScreen::geometryChanged, this, [this] { ScreensChanged(); });
    connect(screen, &QScreen::refreshRateChanged, this, [this] { ScreensChanged(); });
}

void TMainWindow::TakeScreens(const QScreen* leaving)
{
    // The desktop is the union of every screen; the refresh is that of the
    // screen the window is on.
    QRect desktop;
    for (const QScreen* screen : QGuiApplication::screens())
        if (screen != leaving)
            desktop |= screen->geometry();
    if (desktop.isEmpty())
        return;
    TDisplayPlatformSettings& settings = DisplayPlatformSettings();
    settings.ScreenLeft = desktop.left();
    settings.ScreenTop = desktop.top();
    settings.ScreenWidth = desktop.width();
    settings.ScreenHeight = desktop.height();
    const QScreen* shownOn = screen();
    if (!shownOn || shownOn == leaving)
        shownOn = QGuiApplication::primaryScreen();
    if (shownOn && shownOn != leaving && shownOn->refreshRate() >= 24 && shownOn->refreshRate() <= 480)
        settings.RefreshRate = shownOn->refreshRate();
}

void TMainWindow::ScreensChanged(const QScreen* leaving)
{
    TakeScreens(leaving);
    // The display's surfaces are lost; the next frame restores them on the new desktop.
    if (FForm && FForm->DXDraw && FForm->DXDraw->Initialized() && FForm->DXDraw->DDraw())
        FForm->DXDraw->DDraw()->IDraw()->DisplayChanged(DisplayPlatformSettings());
}

void TMainWindow::SetToolWindow(TfmTool* tool)
{
    FTool = tool;
    if (FTool) {
        FTool->SetMainForm(FForm.get(), this);
        connect(FTool, &TfmTool::StageFileWritten, this, &TMainWindow::RefreshUnsaved);
    }
    if (FStages)
        FStages->SetMainForm(FForm.get(), FTool);
}

TfmStages* TMainWindow::StagesWindow() const
{
    return FStages.data();
}

void TMainWindow::SetStagesWindow(TfmStages* stages)
{
    FStages = stages;
    if (FStages) {
        FStages->SetMainForm(FForm.get(), FTool);
        connect(FStages, &TfmStages::OpenFolderClicked, this, &TMainWindow::OpenFolderClick);
        connect(FStages, &TfmStages::StageFileChanged, this, &TMainWindow::RefreshUnsaved);
    }
}

TToolMode TMainWindow::ToolMode() const
{
    return FTool ? FTool->ToolMode : TToolMode::Select;
}

int TMainWindow::CurTile() const
{
    return FTool ? FTool->CurTile : 0;
}

bool TMainWindow::AllLayerDown() const
{
    return !FTool || FTool->tbShowAll->isChecked();
}

void TMainWindow::SetAllLayerDown(bool down)
{
    if (FTool)
        FTool->tbShowAll->setChecked(down);
}

bool TMainWindow::GridDown() const
{
    return FTool && FTool->tbShowGird->isChecked();
}

void TMainWindow::SetGridDown(bool down)
{
    if (FTool)
        FTool->tbShowGird->setChecked(down);
}

void TMainWindow::SetUndoEnabled(bool enabled)
{
    if (FTool)
        FTool->tbUndo->setEnabled(enabled);
}

void TMainWindow::SetRedoEnabled(bool enabled)
{
    if (FTool)
        FTool->tbRedo->setEnabled(enabled);
}

void TMainWindow::SetWindowCaption(const std::string& caption)
{
    setWindowTitle(QString::fromStdString(caption));
    // The title follows every change of the stage number; so does the mark.
    if (FStages && FForm)
        FStages->SetCurrentStage(FForm->StageNum);
}

void TMainWindow::SetOptionCaption(const std::string& caption)
{
    if (FTool)
        FTool->btOption->setText(QString::fromStdString(caption));
}

void TMainWindow::SetStageNumControl(int value)
{
    // The control clamps the value and its change handler sets the stage number.
    if (FTool)
        FTool->udStageNum->setPosition(value);
}

void TMainWindow::RestoreDisplay()
{
    FDisplay->RestoreSurfaces();
    // Another picture may be shown now: it is the one watched.
    WatchGameFolder();
}

void TMainWindow::ReportError(const std::string& text)
{
    QueueErrorReport(QString::fromLocal8Bit(text));
}

bool TMainWindow::ToolWindowVisible() const
{
    return FTool && FTool->isVisible();
}

void TMainWindow::SetToolWindowVisible(bool visible)
{
    if (FTool)
        FTool->setVisible(visible);
}

bool TMainWindow::StagesWindowVisible() const
{
    return FStages && FStages->isVisible();
}

void TMainWindow::SetStagesWindowVisible(bool visible)
{
    if (FStages)
        FStages->setVisible(visible);
}

void TMainWindow::showEvent(QShowEvent* event)
{
    if (!FShownOnce) {
        FShownOnce = true;
        // Moved to a screen of another refresh, the display takes that refresh.
        if (QWindow* handle = windowHandle())
            connect(handle, &QWindow::screenChanged, this, [this](QScreen* now) {
                if (now && now->refreshRate() != DisplayPlatformSettings().RefreshRate)
                    ScreensChanged();
            });
        // The display initialises itself once the window has become visible,
        // before any recovery copy is offered.
        QTimer::singleShot(0, this, [this] { RunGuarded([this] { FDisplay->InitializeDisplay(); }); });
        RunGuarded([this] { StartWithStageFile(); });
        FUnsavedTimer.start();
    }
    QWidget::showEvent(event);
}

void TMainWindow::StartWithStageFile()
{
    // FormShow: the tool window, then the stage.
    if (FTool) {
        FTool->show();
        FTool->SetGameFolder(PathText(FForm->GameFolder()));
    }
    if (FStages)
        FStages->GameFolderChanged();
    FForm->FormShow();
    if (FForm->Recovery)
        FForm->Recovery->Close();
    FForm->Recovery =
        std::make_unique<TRecovery>(RecoveryFolder(RecoveryProgramName), FindStageFile(FForm->StageFileName));
    FDiskChanges->Forget();
    WatchGameFolder();
    QTimer::singleShot(0, this, [this] { RunGuarded([this] { OfferRecovery(); }); });
}

void TMainWindow::OfferRecovery()
{
    if (!FForm->Recovery)
        return;
    std::vector<TLeftCopy> left = FForm->Recovery->LeftCopies();
    const QString file = FileNameText(FindStageFile(FForm->StageFileName));
    for (TLeftCopy& copy : left) {
        const TRecoveryCopy& found = copy.Copy;
        switch (AskRestoreCopy(this, found.StageNumber, file, found.Time)) {
        case TRestoreAnswer::Restore:
            FForm->RestoreStage(found.Record, found.StageNumber);
            FForm->Recovery->Adopt(copy, found.Record, FForm->StageNum, std::chrono::steady_clock::now());
            RefreshUnsaved();
            return;  // any older copies stay for a later start
        case TRestoreAnswer::Discard: TRecovery::Discard(copy); break;
        case TRestoreAnswer::Later: break;
        }
    }
}

void TMainWindow::RefreshUnsaved()
{
    RunGuarded([this] {
        const bool unsaved = FForm->StageUnsaved();
        if (FTool)
            FTool->SetUnsavedMark(unsaved);
        if (FStages)
            FStages->SetUnsavedMark(unsaved);
        FForm->KeepRecoveryCopy(std::chrono::steady_clock::now());
    });
}

void TMainWindow::closeEvent(QCloseEvent* event)
{
    // However the close comes (the window's button, Alt+F4, the session
    // ending), unsaved work is not thrown away without a word.
    if (FTool && !FTool->AskToSaveChanges(this)) {
        event->ignore();
        return;
    }
    FUnsavedTimer.stop();
    FDiskWatch->Watch({});
    if (FForm->Recovery)
        RunGuarded([this] { FForm->Recovery->Close(); });
    RunGuarded([this] { FDisplay->FinalizeDisplay(); });
    if (FTool)
        FTool->close();
    if (FStages)
        FStages->close();
    QWidget::closeEvent(event);
}

void TMainWindow::keyPressEvent(QKeyEvent* event)
{
    std::uint16_t key = 0;
    if (QtKeyToVirtualKey(event->key(), key)) {
        RunGuarded([&] { FForm->FormKeyDown(key, ShiftFromQt(event->modifiers())); });
    }
    QWidget::keyPressEvent(event);
}
