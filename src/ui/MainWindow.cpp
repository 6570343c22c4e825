#include "ui/MainWindow.h"

#include "editor/Main.h"
#include "engine/DXDraws.h"
#include "platform/DirectDraw.h"
#include "ui/DiskWatch.h"
#include "ui/DisplayView.h"
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
#include <QLabel>
#include <QMetaObject>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>

namespace {

constexpr int Gap = 4;  // between the main window and the tool window beside it

}  // namespace

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

    FDisplay = new TDisplayWidget(nullptr);
    FView = new TDisplayView(FDisplay, this);
    FView->setFixedSize(DisplayWidth, DisplayHeight);
    stReadout = new QLabel(this);
    stReadout->setObjectName(QStringLiteral("stReadout"));
    stReadout->setContentsMargins(6, 0, 6, 0);
    stReadout->setFixedHeight(stReadout->fontMetrics().height() + 6);
    stReadout->hide();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(FView);
    layout->addWidget(stReadout);
    connect(FDisplay, &TDisplayWidget::ZoomWheel, this,
            [this](int steps, QPointF at) { SetZoom(FDisplay->Zoom() + steps, FDisplay->mapToGlobal(at.toPoint())); });
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

void TMainWindow::SetReadoutVisible(bool visible)
{
    stReadout->setVisible(visible);
    FitWindow();
}

// A window not shown yet counts as seen: the first frame is drawn before it
// appears. Minimised, or unmapped by the window system, it is not.
bool TMainWindow::DisplaySeen() const
{
    if (!isVisible())
        return true;
    const QWindow* handle = windowHandle();
    return !isMinimized() && (!handle || handle->isExposed());
}

void TMainWindow::SetReadoutText(std::string_view text)
{
    stReadout->setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

void TMainWindow::ZoomDisplay(TZoomStep step)
{
    const int zoom = step == TZoomStep::In ? FDisplay->Zoom() + 1 : step == TZoomStep::Out ? FDisplay->Zoom() - 1 : 1;
    SetZoom(zoom, FView->viewport()->mapToGlobal(FView->viewport()->rect().center()));
}

void TMainWindow::SetZoom(int zoom, QPoint anchor)
{
    zoom = std::clamp(zoom, 1, TDisplayWidget::MaxZoom);
    if (zoom == FDisplay->Zoom())
        return;
    const QPointF field = FView->FieldPointAt(anchor);
    FDisplay->SetZoom(zoom);
    FitWindow();
    FView->ShowFieldPointAt(field, FView->viewport()->mapFromGlobal(anchor));
    FView->FollowPointer();
}

void TMainWindow::FitWindow()
{
    const QScreen* shownOn = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!shownOn)
        return;
    const QRect available = shownOn->availableGeometry();
    QRect area = available;
    const bool zoomed = FDisplay->Zoom() > 1;
    if (zoomed && FTool && FTool->isVisible())
        area.setLeft(area.left() + FTool->frameGeometry().width() + 2 * Gap);
    const QRect frame = frameGeometry();
    const QRect client = geometry();
    const QMargins decoration(client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                              frame.bottom() - client.bottom());
    const int strip = stReadout->isVisible() ? stReadout->height() : 0;
    const QSize most = area.size().shrunkBy(decoration) - QSize(0, strip);
    const QSize view = zoomed ? FView->SizeWithin(most) : QSize(DisplayWidth, DisplayHeight);
    FView->setFixedSize(view);
    layout()->activate();
    // The top-left corner stays, unless the window would then leave the area.
    const QSize frameSize = QSize(view.width(), view.height() + strip).grownBy(decoration);
    const QPoint at(std::max(area.left(), std::min(frame.left(), area.right() + 1 - frameSize.width())),
                    std::max(area.top(), std::min(frame.top(), area.bottom() + 1 - frameSize.height())));
    if (zoomed && at != frame.topLeft())
        move(at);
    PlaceToolWindow(QRect(zoomed ? at : frame.topLeft(), frameSize), available);
}

void TMainWindow::PlaceToolWindow(const QRect& mainFrame, const QRect& available)
{
    if (!FTool || !FTool->isVisible())
        return;
    const QRect tool = FTool->frameGeometry();
    if (!tool.intersects(mainFrame))
        return;
    // Beside the main window, the left side first, where the tool window stands at start.
    int x = tool.left();
    if (mainFrame.left() - Gap - tool.width() >= available.left())
        x = mainFrame.left() - Gap - tool.width();
    else if (mainFrame.right() + 1 + Gap + tool.width() <= available.right() + 1)
        x = mainFrame.right() + 1 + Gap;
    const int y = std::max(available.top(), std::min(tool.top(), available.bottom() + 1 - tool.height()));
    FTool->move(x, y);
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
                // Another desktop scale gives the zoom another pixel size.
                if (FDisplay->Zoom() > 1) {
                    FDisplay->SetZoom(FDisplay->Zoom());
                    FitWindow();
                }
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
