#include "ui/StagesFm.h"

#include "editor/Main.h"
#include "storage/FileLookup.h"
#include "ui/BetweenFrames.h"
#include "ui/DisplayText.h"
#include "ui/DocumentFollower.h"
#include "ui/ErrorReport.h"
#include "ui/KeyMap.h"
#include "ui/QtApplicationHooks.h"
#include "ui/StageCells.h"
#include "ui/StageClipboard.h"
#include "ui/StageListView.h"
#include "ui/StageSetActions.h"
#include "ui/StageThumbnails.h"
#include "ui/StageViews.h"
#include "ui/ToolBarFm.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <filesystem>

namespace {

constexpr int MaxCells = 5;          // full-size cells shown at most, across and down
constexpr int MaxCompactCells = 10;  // compact ones
constexpr int WantedStages = 20;     // fewer full-size cells than this: compact ones, if they show more
constexpr int Gap = 4;               // between the window and what it keeps clear of
constexpr int FallbackColumns = 2;
constexpr int FallbackRows = 5;

// The part of the available area beside the main window that holds the most
// cells, and how many across and down.
struct TSideFit {
    QRect Part;
    int Columns = 0;
    int Rows = 0;
    int Cells() const { return Columns * Rows; }
};

TSideFit BestSide(const QRect& mainFrame, const QRect& avoid, const QRect& available, QSize cell, QSize extra,
                  int maxCells)
{
    auto cellsIn = [maxCells](int length, int cellLength, int extraLength) {
        return cellLength > 0 ? std::clamp((length - extraLength) / cellLength, 0, maxCells) : 0;
    };
    // The four sides of the main window, in order of preference, each cut
    // clear of `avoid` (the part with room for the most cells is kept).
    const std::array<QRect, 4> sides = {
        QRect(QPoint(mainFrame.right() + 1 + Gap, available.top()), available.bottomRight()),
        QRect(available.topLeft(), QPoint(mainFrame.left() - 1 - Gap, available.bottom())),
        QRect(QPoint(available.left(), mainFrame.bottom() + 1 + Gap), available.bottomRight()),
        QRect(available.topLeft(), QPoint(available.right(), mainFrame.top() - 1 - Gap)),
    };
    TSideFit best;
    for (const QRect& side : sides) {
        std::array<QRect, 5> parts = {side};
        if (avoid.isValid() && avoid.intersects(side)) {
            parts = {QRect(side.topLeft(), QPoint(avoid.left() - 1 - Gap, side.bottom())),
                     QRect(QPoint(avoid.right() + 1 + Gap, side.top()), side.bottomRight()),
                     QRect(side.topLeft(), QPoint(side.right(), avoid.top() - 1 - Gap)),
                     QRect(QPoint(side.left(), avoid.bottom() + 1 + Gap), side.bottomRight())};
        }
        for (const QRect& part : parts) {
            if (!part.isValid())
                continue;
            const TSideFit fit{part, cellsIn(part.width(), cell.width(), extra.width()),
                               cellsIn(part.height(), cell.height(), extra.height())};
            if (fit.Cells() > best.Cells())
                best = fit;
        }
    }
    return best;
}

}  // namespace

TStagesPlace StagesWindowPlace(const QRect& mainFrame, const QRect& avoid, const QRect& available, QSize cell,
                               QSize compactCell, QSize chrome, QMargins decoration)
{
    const QSize extra(chrome.width() + decoration.left() + decoration.right(),
                      chrome.height() + decoration.top() + decoration.bottom());
    const TSideFit full = BestSide(mainFrame, avoid, available, cell, extra, MaxCells);
    TSideFit compact;
    if (full.Cells() < WantedStages)
        compact = BestSide(mainFrame, avoid, available, compactCell, extra, MaxCompactCells);
    TStagesPlace place;
    place.Compact = compact.Cells() > full.Cells() || full.Cells() == 0;
    const TSideFit& best = place.Compact ? compact : full;
    const QSize shown = place.Compact ? compactCell : cell;
    auto frameSize = [&](int columns, int rows) {
        return QSize(columns * shown.width() + extra.width(), rows * shown.height() + extra.height());
    };

    QRect frame;
    if (best.Cells() == 0) {
        // No side holds a cell: a few compact ones at the right edge, over the main window.
        const int rows =
            std::clamp((available.height() - extra.height()) / std::max(shown.height(), 1), 1, FallbackRows);
        const QSize size = frameSize(FallbackColumns, rows).boundedTo(available.size());
        frame = QRect(QPoint(available.right() + 1 - size.width(), available.top()), size);
    } else {
        // Against the main window's side, lined up with its top or left edge.
        const QSize size = frameSize(best.Columns, best.Rows);
        frame.setSize(size);
        int x = std::clamp(mainFrame.left(), best.Part.left(), best.Part.right() + 1 - size.width());
        int y = std::clamp(mainFrame.top(), best.Part.top(), best.Part.bottom() + 1 - size.height());
        if (best.Part.left() > mainFrame.right())
            x = best.Part.left();
        else if (best.Part.right() < mainFrame.left())
            x = best.Part.right() + 1 - size.width();
        if (best.Part.top() > mainFrame.bottom())
            y = best.Part.top();
        else if (best.Part.bottom() < mainFrame.top())
            y = best.Part.bottom() + 1 - size.height();
        frame.moveTopLeft(QPoint(x, y));
    }
    place.Client = frame.marginsRemoved(decoration);
    return place;
}

// A tool window beside the main window with a title and a close button;
// closing it only hides it, as F4 does.
TfmStages::TfmStages(QWidget* parent, TFrameSchedule* schedule)
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      FThumbnails(std::make_unique<TStageThumbnails>(DefaultStageFileName, "")),
      FSchedule(schedule ? schedule : TQtApplicationHooks::Installed())
{
    setWindowTitle(QStringLiteral("Stages"));
    setObjectName(QStringLiteral("fmStages"));

    FCells = new TStageCellModel(*FThumbnails, this);
    FActions = new TStageSetActions(*this);
    FViews = new TStageViews(*this, *FActions->Menu());
    lvStages = new TStageListView(this);
    lvStages->setObjectName(QStringLiteral("lvStages"));
    lvStages->setFlow(QListView::LeftToRight);
    lvStages->setWrapping(true);
    lvStages->setResizeMode(QListView::Adjust);
    lvStages->setUniformItemSizes(true);
    lvStages->setGridSize(TStageCellDelegate::CellSize());
    lvStages->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lvStages->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvStages->setFrameShape(QFrame::NoFrame);
    lvStages->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    lvStages->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lvStages->setMouseTracking(true);  // the hover fill
    FDelegate = new TStageCellDelegate(lvStages);
    lvStages->setItemDelegate(FDelegate);
    lvStages->setModel(FCells);
    lvStages->installEventFilter(this);
    connect(lvStages, &QListView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid())
            OpenStage(index.row());
    });
    lvStages->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(lvStages, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        FActions->UpdateActions();
        FViews->UpdateActions();
        FActions->Menu()->exec(lvStages->viewport()->mapToGlobal(at));
    });
    lvStages->DragData = [this] { return FActions->SelectionMimeData(); };
    // The stages are taken from the drop now; the operation, with its
    // questions, runs once the drag has ended.
    lvStages->Dropped = [this](int target, const QMimeData& mime, bool copy) {
        const TStagesOnClipboard dropped =
            StagesFromMimeData(mime, FForm ? FForm->Document.StageFile() : std::filesystem::path());
        QTimer::singleShot(
            0, this, [this, target, dropped, copy] { RunGuarded([&] { FActions->Drop(target, dropped, copy); }); });
    };

    stStatus = new QLabel(this);
    stStatus->setObjectName(QStringLiteral("stStatus"));
    stStatus->setContentsMargins(6, 2, 6, 2);
    // The status never widens the window: a narrow one elides its lines, and
    // the tooltip holds them whole.
    stStatus->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    // Beside the status's two lines, small enough for a window one cell wide.
    btOpenFolder = new QToolButton(this);
    btOpenFolder->setObjectName(QStringLiteral("btOpenFolder"));
    btOpenFolder->setText(QStringLiteral("Open Folder\u2026"));
    btOpenFolder->setToolTip(QStringLiteral("Open Folder\u2026 (Ctrl+O): work in another game folder"));
    btOpenFolder->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    btOpenFolder->setIconSize(QSize(24, 24));
    btOpenFolder->setToolButtonStyle(Qt::ToolButtonIconOnly);
    btOpenFolder->setAutoRaise(true);
    btOpenFolder->setFocusPolicy(Qt::NoFocus);
    connect(btOpenFolder, &QToolButton::clicked, this, &TfmStages::OpenFolderClicked);

    auto* statusRow = new QHBoxLayout;
    statusRow->setContentsMargins(0, 0, 2, 0);
    statusRow->addWidget(stStatus, 1);
    statusRow->addWidget(btOpenFolder);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(lvStages, 1);
    layout->addLayout(statusRow);

    FWork = new TBetweenFrames([this] { return MakeOne(); }, FSchedule, this);
    connect(FWork, &TBetweenFrames::Finished, this, [this] {
        UpdateStatus();
        emit ThumbnailsDone();
    });
    UpdateStatus();

    const QSize cell = TStageCellDelegate::CellSize();
    resize(2 * cell.width() + ChromeSize().width(), 3 * cell.height() + ChromeSize().height());
}

TfmStages::~TfmStages() = default;

QSize TfmStages::ChromeSize() const
{
    const int scrollBar = lvStages->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, lvStages);
    // The list wraps a row once a cell would reach its right edge exactly,
    // so whole cells need one pixel more than their width.
    const int statusRow = std::max(stStatus->sizeHint().height(), btOpenFolder->sizeHint().height());
    return {scrollBar + 2 * lvStages->frameWidth() + 1, statusRow + 2 * lvStages->frameWidth()};
}

void TfmStages::SetMainForm(TMainForm* form, TfmTool* tool)
{
    FForm = form;
    FTool = tool;
    FActions->SetMainForm(form);
    FViews->SetMainForm(form);
    if (!FForm)
        return;
    FCells->SetMarks(&FForm->Document.Comparison(), &FForm->Document.Search());
    FollowDocument(FForm->Document, this);
    DocumentChanged(FolderChanged | StageNumberChanged | UnsavedChanged);
}

void TfmStages::DocumentChanged(unsigned changes)
{
    const TDocument& document = FForm->Document;
    if (changes & FolderChanged)
        GameFolderChanged();
    else if ((changes & RecordsChanged) && isVisible())
        ReadFile(false);
    if (changes & (FolderChanged | StageNumberChanged))
        FCells->SetCurrentStage(document.StageNum());
    if (changes & (FolderChanged | UnsavedChanged))
        FCells->SetUnsaved(document.UnsavedTold());
    if (changes & MarksChanged) {
        FCells->MarksChanged();
        UpdateStatus();
    }
}

void TfmStages::GameFolderChanged()
{
    const TDocument& document = FForm->Document;
    FWork->Stop();
    FThumbnails->SetFiles(document.StageFileName(), document.PictureFolder());
    FOutcome.clear();
    const QString folder = PathText(document.GameFolder());
    setWindowTitle(QStringLiteral("Stages - %1").arg(folder));
    if (isVisible()) {
        ReadFile(false);
    } else {
        FCells->Reload();
        UpdateStatus();
    }
}

void TfmStages::FilesChangedOnDisk()
{
    if (isVisible())
        ReadFile(true);
}

void TfmStages::OpenStage(int number)
{
    if (!FForm || !FForm->Document.OpenStage(number))
        return;
    // The keys act on the opened stage at once.
    if (QWidget* main = parentWidget() ? parentWidget()->window() : nullptr) {
        main->activateWindow();
        main->setFocus(Qt::OtherFocusReason);
    }
}

std::vector<int> TfmStages::SelectedStages() const
{
    std::vector<int> numbers;
    for (const QModelIndex& index : lvStages->selectionModel()->selectedIndexes())
        numbers.push_back(index.row());
    if (numbers.empty() && lvStages->currentIndex().isValid())
        numbers.push_back(lvStages->currentIndex().row());
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    return numbers;
}

void TfmStages::SelectStages(int first, int count)
{
    first = std::clamp(first, 0, StageCount - 1);
    const int last = std::clamp(first + count - 1, first, StageCount - 1);
    lvStages->setCurrentIndex(FCells->index(first));
    lvStages->selectionModel()->select(QItemSelection(FCells->index(first), FCells->index(last)),
                                       QItemSelectionModel::ClearAndSelect);
    lvStages->scrollTo(FCells->index(first));
}

void TfmStages::SelectStagesNumbered(const std::vector<int>& numbers)
{
    QItemSelection selection;
    for (const int number : numbers)
        if (number >= 0 && number < StageCount)
            selection.select(FCells->index(number), FCells->index(number));
    lvStages->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

void TfmStages::StageSetChanged(const QString& outcome, int first, int count)
{
    FOutcome = outcome;
    if (first >= 0)
        SelectStages(first, count);
    UpdateStatus();
}

void TfmStages::ShowOutcome(const QString& outcome)
{
    FOutcome = outcome;
    UpdateStatus();
}

void TfmStages::ReadFile(bool picturesMayHaveChanged)
{
    RunGuarded([&] { FThumbnails->ReadFile(picturesMayHaveChanged); });
    FCells->Reload();
    UpdateStatus();
    if (isVisible() && FThumbnails->StaleCount() > 0)
        FWork->Start();
}

bool TfmStages::MakeOne()
{
    // The stages in view first, so the window fills in where the designer looks.
    int first = -1;
    int last = -1;
    const QRect view = lvStages->viewport()->rect();
    for (int row = 0; row < StageCount; ++row)
        if (lvStages->visualRect(FCells->index(row)).intersects(view)) {
            if (first < 0)
                first = row;
            last = row;
        }
    const int number = first < 0 ? FThumbnails->MakeNext() : FThumbnails->MakeNext(first, last);
    if (number >= 0) {
        FCells->StageMade(number);
        emit ThumbnailMade(number);
    }
    UpdateStatus();
    return FThumbnails->StaleCount() > 0;
}

void TfmStages::UpdateStatus()
{
    int records = 0;
    int withErrors = 0;
    for (int number = 0; number < StageCount; ++number) {
        const TStageThumbnail& stage = FThumbnails->Stage(number);
        records += stage.Present;
        withErrors += stage.Present && stage.Errors() > 0;
    }
    // A file that cannot be read says why, rather than "0 of 100 stages".
    const std::string& failure = FThumbnails->ReadFailure();
    QString text = failure.empty() ? QStringLiteral("%1 of %2 stages").arg(records).arg(StageCount)
                                   : QString::fromLocal8Bit(failure.c_str());
    if (const QString views = FViews->StatusText(); !views.isEmpty())
        text = views + QStringLiteral(" \u00b7 ") + text;
    if (!FOutcome.isEmpty())
        text = FOutcome + QStringLiteral(" \u00b7 ") + text;
    if (withErrors > 0)
        text += QStringLiteral(" \u00b7 %1 with errors").arg(withErrors);
    const int stale = FThumbnails->StaleCount();
    if (stale > 0)
        text += QStringLiteral(" \u00b7 drawing %1").arg(stale);
    // The game folder on a line of its own, giving way in its middle when
    // the window is narrow; the message gives way at its end. The tooltip
    // holds both whole, as the title holds the folder.
    const QString folder = FForm ? PathText(FForm->Document.GameFolder()) : QString();
    const QFontMetrics metrics = stStatus->fontMetrics();
    const int width = stStatus->contentsRect().width();
    stStatus->setText(metrics.elidedText(text, Qt::ElideRight, width) + QLatin1Char('\n')
                      + metrics.elidedText(folder, Qt::ElideMiddle, width));
    stStatus->setToolTip(folder.isEmpty() ? text : text + QLatin1Char('\n') + folder);
}

void TfmStages::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    UpdateStatus();
}

void TfmStages::setVisible(bool visible)
{
    if (visible && !FPlaced) {
        FPlaced = true;
        PlaceBesideMainWindow();
    }
    QWidget::setVisible(visible);
}

void TfmStages::PlaceBesideMainWindow()
{
    QWidget* main = parentWidget() ? parentWidget()->window() : nullptr;
    if (!main || !main->isVisible())
        return;
    const QScreen* screen = main->screen() ? main->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect mainFrame = main->frameGeometry();
    const QRect client = main->geometry();
    // The window system decorates this window as it does the main window.
    const QMargins decoration(client.left() - mainFrame.left(), client.top() - mainFrame.top(),
                              mainFrame.right() - client.right(), mainFrame.bottom() - client.bottom());
    const QRect avoid = FTool && FTool->isVisible() ? FTool->frameGeometry() : QRect();
    const TStagesPlace place =
        StagesWindowPlace(mainFrame, avoid, screen->availableGeometry(), TStageCellDelegate::CellSize(false),
                          TStageCellDelegate::CellSize(true), ChromeSize(), decoration);
    FDelegate->SetCompact(place.Compact);
    lvStages->setGridSize(TStageCellDelegate::CellSize(place.Compact));
    setGeometry(place.Client);
}

void TfmStages::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Another program may have changed the file, or the pictures, meanwhile.
    ReadFile(true);
    const QModelIndex current = FCells->index(std::clamp(FCells->CurrentStage(), 0, StageCount - 1));
    lvStages->setCurrentIndex(current);
    lvStages->scrollTo(current);
}

void TfmStages::hideEvent(QHideEvent* event)
{
    FWork->Stop();
    QWidget::hideEvent(event);
}

void TfmStages::keyPressEvent(QKeyEvent* event)
{
    if (!ForwardEditorKey(event))
        QWidget::keyPressEvent(event);
}

bool TfmStages::ForwardEditorKey(QKeyEvent* event)
{
    std::uint16_t key = 0;
    if (!FForm || !IsEditorKey(event->key(), event->modifiers()) || !QtKeyToVirtualKey(event->key(), key))
        return false;
    RunGuarded([&] { FForm->FormKeyDown(key, ShiftFromQt(event->modifiers())); });
    return true;
}

bool TfmStages::StageSetKey(QKeyEvent* event)
{
    const QKeySequence pressed(event->keyCombination());
    for (QAction* action : FActions->Menu()->actions())
        if (action != FActions->acOpen && action->shortcuts().contains(pressed)) {
            FActions->UpdateActions();
            if (action->isEnabled())
                action->trigger();
            else if (action == FActions->acUndo || action == FActions->acRedo)
                RunGuarded([&] { action == FActions->acUndo ? FActions->Undo() : FActions->Redo(); });  // says why not
            return true;
        }
    return false;
}

bool TfmStages::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lvStages && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (lvStages->currentIndex().isValid())
                OpenStage(lvStages->currentIndex().row());
            return true;
        }
        if (ForwardEditorKey(key) || StageSetKey(key))
            return true;
    }
    // The list view would take these keys for itself (Ctrl+C copies its
    // texts): they are the stage set actions' here.
    if (watched == lvStages && event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        for (QAction* action : FActions->Menu()->actions())
            if (action->shortcuts().contains(QKeySequence(key->keyCombination()))) {
                event->accept();
                return true;
            }
    }
    return QWidget::eventFilter(watched, event);
}
