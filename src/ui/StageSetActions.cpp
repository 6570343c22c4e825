#include "ui/StageSetActions.h"

#include "editor/Main.h"
#include "storage/FileLookup.h"
#include "storage/StageFile.h"
#include "storage/TileReplace.h"
#include "ui/DisplayText.h"
#include "ui/ErrorReport.h"
#include "ui/ReplaceTileDialog.h"
#include "ui/SaveQuestions.h"
#include "ui/StageClipboard.h"
#include "ui/StageThumbnails.h"
#include "ui/StagesFm.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QInputDialog>
#include <QItemSelectionModel>
#include <QMenu>
#include <QMimeData>

#include <algorithm>
#include <memory>
#include <numeric>

namespace {

// "07", or "07..09" for three stages from 07 on.
QString Range(int first, int count)
{
    return count == 1 ? NumberText(first) : NumberText(first) + QStringLiteral("..") + NumberText(first + count - 1);
}

// "03", or "3 stages".
QString Stages(const std::vector<int>& numbers)
{
    return numbers.size() == 1 ? NumberText(numbers.front()) : QStringLiteral("%1 stages").arg(numbers.size());
}

bool IsRun(const std::vector<int>& numbers)
{
    return !numbers.empty() && numbers.back() - numbers.front() + 1 == static_cast<int>(numbers.size());
}

}  // namespace

TStageSetActions::TStageSetActions(TfmStages& window) : QObject(&window), FWindow(window)
{
    MakeActions();
}

void TStageSetActions::SetMainForm(TMainForm* form)
{
    FForm = form;
}

void TStageSetActions::MakeActions()
{
    FMenu = new QMenu(&FWindow);
    FMenu->setObjectName(QStringLiteral("StagesMenu"));
    auto add = [this](const QString& text, const QKeySequence& keys, auto handler) {
        auto* action = FMenu->addAction(text);
        action->setShortcut(keys);
        // The keys are the window's (TfmStages sends them here): shown in
        // the menu, never taken from another window.
        action->setShortcutContext(Qt::WidgetShortcut);
        connect(action, &QAction::triggered, this, [handler] { RunGuarded(handler); });
        return action;
    };
    acOpen = add(QStringLiteral("Open"), QKeySequence(Qt::Key_Return), [this] {
        FWindow.OpenStage(FWindow.SelectedStages().empty() ? -1 : FWindow.SelectedStages().front());
    });
    FMenu->addSeparator();
    acCopy = add(QStringLiteral("Copy"), QKeySequence::Copy, [this] { CopyToClipboard(); });
    acPaste = add(QStringLiteral("Paste"), QKeySequence::Paste, [this] { Paste(); });
    FMenu->addSeparator();
    // Asks where the selection goes, then `then(to)`; nothing without a
    // selection or when the designer cancels.
    auto askTarget = [this](const QString& title, auto label, auto then) {
        const std::vector<int> selected = FWindow.SelectedStages();
        if (selected.empty())
            return;
        const int count = static_cast<int>(selected.size());
        bool ok = false;
        const int to =
            QInputDialog::getInt(&FWindow, title, label(selected), selected.front(), 0, StageCount - count, 1, &ok);
        if (ok)
            then(to);
    };
    acMoveTo = add(QStringLiteral("Move To\u2026"), {}, [this, askTarget] {
        askTarget(
            QStringLiteral("Move Stages"),
            [](const std::vector<int>& selected) {
                return QStringLiteral("Move %1 to stage:")
                    .arg(Range(selected.front(), static_cast<int>(selected.size())));
            },
            [this](int to) { MoveSelection(to); });
    });
    acCopyTo = add(QStringLiteral("Copy To\u2026"), {}, [this, askTarget] {
        askTarget(
            QStringLiteral("Copy Stages"),
            [](const std::vector<int>& selected) {
                return QStringLiteral("Copy %1 from stage:").arg(Stages(selected));
            },
            [this](int to) { CopySelection(to); });
    });
    acSwap = add(QStringLiteral("Swap"), {}, [this] { SwapSelection(); });
    acInsert = add(QStringLiteral("Insert Empty Stage"), QKeySequence(Qt::Key_Insert), [this] { InsertStage(); });
    acDelete = add(QStringLiteral("Delete\u2026"), {}, [this] { DeleteSelection(); });
    acClear = add(QStringLiteral("Clear\u2026"), QKeySequence(Qt::Key_Delete), [this] { ClearSelection(); });
    acReplaceTile = add(QStringLiteral("Replace Tile\u2026"), {}, [this] { ReplaceTile(); });
    FMenu->addSeparator();
    acUndo = add(QStringLiteral("Undo"), QKeySequence::Undo, [this] { Undo(); });
    acRedo = add(QStringLiteral("Redo"), QKeySequence(Qt::CTRL | Qt::Key_Y), [this] { Redo(); });
    acRedo->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
}

void TStageSetActions::UpdateActions()
{
    const std::vector<int> selected = FWindow.SelectedStages();
    const bool any = !selected.empty();
    for (QAction* action : {acOpen, acCopy, acPaste, acCopyTo, acInsert, acDelete, acClear})
        action->setEnabled(any && FForm);
    acPaste->setEnabled(any && FForm && MayHoldStages(QApplication::clipboard()->mimeData()));
    acMoveTo->setEnabled(FForm && IsRun(selected));
    acSwap->setEnabled(FForm && selected.size() == 2);
    const TStageSetHistory::TEntry* undo = FForm ? FForm->Document.StageSetHistory().NextUndo() : nullptr;
    const TStageSetHistory::TEntry* redo = FForm ? FForm->Document.StageSetHistory().NextRedo() : nullptr;
    acReplaceTile->setEnabled(FForm);
    acUndo->setEnabled(undo != nullptr);
    acRedo->setEnabled(redo != nullptr);
    acUndo->setText(undo ? QStringLiteral("Undo: %1").arg(QString::fromStdString(undo->Label))
                         : QStringLiteral("Undo"));
    acRedo->setText(redo ? QStringLiteral("Redo: %1").arg(QString::fromStdString(redo->Label))
                         : QStringLiteral("Redo"));
}

bool TStageSetActions::MoveSelection(int to)
{
    const std::vector<int> selected = FWindow.SelectedStages();
    if (!FForm || selected.empty())
        return false;
    const int first = selected.front();
    const int count = static_cast<int>(selected.size());
    if (!IsRun(selected)) {
        ShowNotice(&FWindow, QStringLiteral("Stages"), QStringLiteral("Cannot move the stages."),
                   QStringLiteral("Only a run of consecutive stages moves as one: copy these, or move them "
                                  "one run at a time. Nothing was changed."));
        return false;
    }
    return Run({QStringLiteral("Cannot move the stages."),
                QStringLiteral("Moved %1 to %2").arg(Range(first, count), Range(to, count)),
                [=](const std::vector<StageRecord>& records) { return MoveStages(records, first, count, to); }, false,
                false, to, count});
}

bool TStageSetActions::CopySelection(int to)
{
    const std::vector<int> selected = FWindow.SelectedStages();
    if (!FForm || selected.empty())
        return false;
    const int count = static_cast<int>(selected.size());
    return Run({QStringLiteral("Cannot copy the stages."),
                QStringLiteral("Copied %1 to %2").arg(Stages(selected), Range(to, count)),
                [=](const std::vector<StageRecord>& records) { return CopyStages(records, selected, to); }, true, false,
                to, count});
}

bool TStageSetActions::SwapSelection()
{
    const std::vector<int> selected = FWindow.SelectedStages();
    if (!FForm || selected.size() != 2)
        return false;
    const int a = selected[0];
    const int b = selected[1];
    return Run({QStringLiteral("Cannot swap the stages."),
                QStringLiteral("Swapped %1 and %2").arg(NumberText(a), NumberText(b)),
                [=](const std::vector<StageRecord>& records) { return SwapStages(records, a, b); }});
}

bool TStageSetActions::InsertStage()
{
    const std::vector<int> selected = FWindow.SelectedStages();
    if (!FForm || selected.empty())
        return false;
    const int at = selected.front();
    return Run(
        {QStringLiteral("Cannot insert a stage."), QStringLiteral("Inserted an empty stage at %1").arg(NumberText(at)),
         [=](const std::vector<StageRecord>& records) { return ::InsertStage(records, at); }, false, false, at, 1});
}

bool TStageSetActions::DeleteSelection()
{
    const std::vector<int> selected = FWindow.SelectedStages();
    if (!FForm || selected.empty())
        return false;
    TStageCaptions names;
    for (const int number : selected)
        names.emplace_back(number, FWindow.Thumbnails().Stage(number).Record.Caption);
    if (!AskClearStages(&FWindow, names, true))
        return false;
    return Run({QStringLiteral("Cannot delete the stages."), QStringLiteral("Deleted %1").arg(Stages(selected)),
                [=](const std::vector<StageRecord>& records) { return DeleteStages(records, selected); }, false, false,
                selected.front(), 1});
}

bool TStageSetActions::ClearSelection()
{
    std::vector<int> selected = FWindow.SelectedStages();
    if (!FForm)
        return false;
    // Stages the file does not hold, or that are empty already, lose nothing.
    TStageCaptions names;
    for (const int number : selected) {
        const TStageThumbnail& stage = FWindow.Thumbnails().Stage(number);
        if (stage.Present && !IsEmptyRecord(stage.Record))
            names.emplace_back(number, stage.Record.Caption);
    }
    if (names.empty()) {
        FWindow.ShowOutcome(QStringLiteral("Nothing to clear: these stages are empty"));
        return false;
    }
    if (!AskClearStages(&FWindow, names, false))
        return false;
    selected.clear();
    for (const auto& [number, caption] : names)
        selected.push_back(number);
    return Run({QStringLiteral("Cannot clear the stages."), QStringLiteral("Cleared %1").arg(Stages(selected)),
                [=](const std::vector<StageRecord>& records) { return ClearStages(records, selected); }});
}

bool TStageSetActions::ReplaceTile()
{
    if (!FForm)
        return false;
    const bool all = !FWindow.lvStages->selectionModel()->hasSelection();
    const std::vector<int> selected = all ? std::vector<int>() : FWindow.SelectedStages();
    TReplaceTileDialog dialog(all                    ? QStringLiteral("in all stages")
                              : selected.size() == 1 ? QStringLiteral("in stage %1").arg(NumberText(selected.front()))
                                                     : QStringLiteral("in the %1 selected stages").arg(selected.size()),
                              &FWindow);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    TTileReplace replace = dialog.Replace();
    replace.First = 0;
    replace.Last = StageCount - 1;
    replace.Only = selected;
    // Filled by the edit, which runs under the file's lock.
    auto counts = std::make_shared<std::vector<int>>();
    const QString done = QStringLiteral("Replaced %1").arg(dialog.Label());
    const TStageSetEdit edit = [=](const std::vector<StageRecord>& records) {
        return ReplaceTiles(records, replace, counts.get());
    };
    if (!Run({QStringLiteral("Cannot replace the tile."), done, edit}))
        return false;
    const int cells = std::accumulate(counts->begin(), counts->end(), 0);
    const auto stages = std::count_if(counts->begin(), counts->end(), [](int count) { return count > 0; });
    if (cells > 0)
        FWindow.ShowOutcome(done
                            + QStringLiteral(": %1 in %2")
                                  .arg(Counted(cells, QStringLiteral("cell")),
                                       Counted(static_cast<int>(stages), QStringLiteral("stage"))));
    return true;
}

QMimeData* TStageSetActions::SelectionMimeData() const
{
    if (!FForm)
        return nullptr;
    std::vector<TCopiedStage> stages;
    for (const int number : FWindow.SelectedStages())
        if (const TStageThumbnail& stage = FWindow.Thumbnails().Stage(number); stage.Present)
            stages.push_back({number, stage.Record});
    if (stages.empty())
        return nullptr;
    return StagesMimeData(stages, FForm->Document.StageFile());
}

void TStageSetActions::CopyToClipboard()
{
    QMimeData* mime = SelectionMimeData();
    if (!mime) {
        FWindow.ShowOutcome(QStringLiteral("Nothing copied: the file holds none of these stages"));
        return;
    }
    const int count = static_cast<int>(StagesFromMimeData(*mime, {}).Records.size());
    QApplication::clipboard()->setMimeData(mime);
    FWindow.ShowOutcome(count == 1 ? QStringLiteral("Copied a stage") : QStringLiteral("Copied %1 stages").arg(count));
}

bool TStageSetActions::Paste()
{
    const std::vector<int> selected = FWindow.SelectedStages();
    const QMimeData* mime = QApplication::clipboard()->mimeData();
    if (!FForm || selected.empty() || !mime)
        return false;
    // What was copied, as it was then: the stages at those numbers may have
    // changed since.
    TStagesOnClipboard stages = StagesFromMimeData(*mime, FForm->Document.StageFile());
    stages.Numbers.clear();
    return Drop(selected.front(), stages, true);
}

bool TStageSetActions::Drop(int target, const TStagesOnClipboard& stages, bool copy)
{
    if (!FForm || target < 0)
        return false;
    if (!stages.Error.empty() || stages.Records.empty()) {
        Fail(QStringLiteral("Cannot paste stages."),
             stages.Error.empty() ? "there is no stage text map to paste" : stages.Error);
        return false;
    }
    const int count = static_cast<int>(stages.Records.size());
    if (!stages.Numbers.empty() && !copy) {
        FWindow.SelectStagesNumbered(stages.Numbers);
        return MoveSelection(target);
    }
    if (!stages.Numbers.empty()) {
        FWindow.SelectStagesNumbered(stages.Numbers);
        return CopySelection(target);
    }
    const std::vector<StageRecord> records = stages.Records;
    return Run({QStringLiteral("Cannot paste stages."),
                count == 1 ? QStringLiteral("Pasted a stage at %1").arg(NumberText(target))
                           : QStringLiteral("Pasted %1 stages at %2").arg(count).arg(Range(target, count)),
                [=](const std::vector<StageRecord>& current) { return PutStages(current, target, records); }, true,
                true, target, count});
}

bool TStageSetActions::Undo()
{
    return RunHistory(true);
}

bool TStageSetActions::Redo()
{
    return RunHistory(false);
}

bool TStageSetActions::RunHistory(bool undo)
{
    if (!FForm)
        return false;
    TDocument& document = FForm->Document;
    const TStageSetHistory::TEntry* entry =
        undo ? document.StageSetHistory().NextUndo() : document.StageSetHistory().NextRedo();
    if (!entry) {
        FWindow.ShowOutcome(undo ? QStringLiteral("Nothing to undo") : QStringLiteral("Nothing to redo"));
        return false;
    }
    const QString label = QString::fromStdString(entry->Label);
    const QString failure = undo ? QStringLiteral("Cannot undo \u201c%1\u201d.").arg(label)
                                 : QStringLiteral("Cannot redo \u201c%1\u201d.").arg(label);
    const QString done = (undo ? QStringLiteral("Undone: ") : QStringLiteral("Redone: ")) + label;
    return Show(undo ? document.UndoStageSet() : document.RedoStageSet(), failure, done, -1, 0);
}

bool TStageSetActions::Run(const TRun& run)
{
    const TStageSetOutcome outcome =
        FForm->Document.ChangeStageSet({run.Edit, run.Done.toStdString(), run.AskReplacing, run.MayCreate});
    if (outcome && outcome.Step.Empty()) {
        FWindow.ShowOutcome(run.Done + QStringLiteral(": nothing changed"));
        return true;
    }
    return Show(outcome, run.Failure, run.Done, run.SelectFirst, run.SelectCount);
}

bool TStageSetActions::Show(const TStageSetOutcome& outcome, const QString& failure, QString done, int selectFirst,
                            int selectCount)
{
    if (outcome.Cancelled)
        return false;
    if (!outcome) {
        Fail(failure, outcome.Error);
        return false;
    }
    if (outcome.TrailingBytes > 0)
        done += QStringLiteral(" (the last %1 bytes, no whole record, are gone)").arg(outcome.TrailingBytes);
    FWindow.StageSetChanged(done, selectFirst, selectCount);
    return true;
}

void TStageSetActions::Fail(const QString& text, const std::string& why) const
{
    const QString file = FForm ? FileNameText(FForm->Document.StageFile()) : QString::fromLatin1(DefaultStageFileName);
    ShowNotice(&FWindow, QStringLiteral("Stages"), text,
               Sentence(QStringLiteral("%1: %2").arg(file, QString::fromStdString(why)))
                   + QStringLiteral(" Nothing was changed."));
}
