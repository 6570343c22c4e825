#include "ui/MainWindow.h"

#include "editor/Main.h"
#include "engine/DXDraws.h"
#include "platform/DirectDraw.h"
#include "ui/DiskWatch.h"
#include "ui/DisplayWidget.h"
#include "ui/DocumentFollower.h"
#include "ui/ErrorReport.h"
#include "ui/FindDialog.h"
#include "ui/KeyMap.h"
#include "ui/SaveQuestions.h"
#include "ui/StagesFm.h"
#include "ui/ToolBarFm.h"
#include "ui/UpDown.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMetaObject>
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
    FQuestions = std::make_unique<TQuestionBoxes>(this);
    FForm = std::make_unique<TMainForm>(*this);
    FForm->Document.SetAsker(FQuestions.get());
    FollowDocument(FForm->Document, this);
    FDisplay->SetMainForm(FForm.get());
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
    if (FTool)
        FTool->SetMainForm(FForm.get(), this);
}

void TMainWindow::SetStagesWindow(TfmStages* stages)
{
    FStages = stages;
    if (FStages) {
        FStages->SetMainForm(FForm.get(), FTool);
        connect(FStages, &TfmStages::OpenFolderClicked, this, &TMainWindow::OpenFolderClick);
    }
}

void TMainWindow::DocumentChanged(unsigned changes)
{
    if (changes & TitleChanged)
        setWindowTitle(QString::fromStdString(FForm->WindowCaption()));
    // Another folder, or a picture of the same name that is another one.
    if (changes & FolderChanged)
        WatchGameFolder();
}

void TMainWindow::SetAllLayerDown(bool down)
{
    if (FTool)
        FTool->tbShowAll->setChecked(down);
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

void TMainWindow::OpenFind()
{
    TDocument& document = FForm->Document;
    // Over whichever of the editor's windows Ctrl+F was pressed in.
    TFindDialog dialog(document.Search().Sought(), document.Search().On(), FForm->CurTile,
                       QApplication::activeWindow() ? QApplication::activeWindow() : this);
    const int answer = dialog.exec();
    if (answer == QDialog::Accepted)
        document.Find(dialog.Sought());
    else if (answer == TFindDialog::StopFinding)
        document.StopFinding();
}

void TMainWindow::Later(std::function<void()> job, std::chrono::milliseconds delay)
{
    // Queued through the event loop, so a call from another thread is safe;
    // jobs still waiting when the window goes are dropped with it.
    QMetaObject::invokeMethod(
        this,
        [this, job = std::move(job), delay] {
            if (delay.count() > 0)
                QTimer::singleShot(delay, this, [job] { RunGuarded(job); });
            else
                RunGuarded(job);
        },
        Qt::QueuedConnection);
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
        RunGuarded([this] { FForm->Document.Start(true); });
    }
    QWidget::showEvent(event);
}

void TMainWindow::closeEvent(QCloseEvent* event)
{
    // However the close comes (the window's button, Alt+F4, the session
    // ending), unsaved work is not thrown away without a word.
    bool mayClose = false;
    RunGuarded([&] { mayClose = FForm->Document.AskToSaveChanges(); });
    if (!mayClose) {
        event->ignore();
        return;
    }
    FDiskWatch->Watch({});
    RunGuarded([this] { FForm->Document.Close(); });
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
