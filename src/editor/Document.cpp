// The document: what is open, whether the live stage is saved, and the
// operations that load, save, open and restore stages with their questions.
// Whether the live stage is saved compares records, never flags set by
// handlers: painting a cell and painting it back, or undoing to the saved
// state, is saved again.
#include "editor/Document.h"

#include "editor/Main.h"
#include "editor/Recovery.h"
#include "storage/FileLookup.h"
#include "storage/RecoveryFolder.h"
#include "storage/StageFile.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <system_error>
#include <utility>

TDocument::TDocument(TMainForm& form) : FForm(form), FStageFileName(DefaultStageFileName), FDiskChanges(*this, form) {}

TDocument::~TDocument() = default;

std::filesystem::path TDocument::StageFile() const
{
    return FindStageFile(FStageFileName);
}

std::filesystem::path TDocument::GameFolder() const
{
    std::error_code error;
    const std::filesystem::path file = std::filesystem::absolute(FStageFileName, error);
    return (error ? FStageFileName : file).lexically_normal().parent_path();
}

// --- Saved or not.

bool TDocument::Unsaved()
{
    const StageRecord* baseline = FSaved.Baseline();
    if (!baseline)
        return FSaved.Origin >= 0;  // restored where the file holds nothing; before the first load, nothing to lose
    const TBackgroundSprite& bg = *FForm.BGLayer;
    const TBackgroundSprite& fg = *FForm.FGLayer;
    TSaveState::TCellsCompared& cells = FSaved.Cells;
    if (!cells.Valid || cells.BG != bg.CodeRevision() || cells.FG != fg.CodeRevision()
        || cells.Baseline != FSaved.BaselineRevision()) {
        bool differ = false;
        for (int x = 0; x < FieldColumns && !differ; ++x)
            for (int y = 0; y < FieldRows && !differ; ++y)
                differ = static_cast<std::int16_t>(bg.Cell(x + 1, y + 1)) != baseline->BG[x][y]
                         || static_cast<std::int16_t>(fg.Cell(x + 1, y + 1)) != baseline->FG[x][y];
        cells = {true, bg.CodeRevision(), fg.CodeRevision(), FSaved.BaselineRevision(), differ};
    }
    if (cells.Differ)
        return true;
    // The settings are plain fields any window may write: compared every time.
    StageRecord settings;
    std::memset(static_cast<void*>(&settings), 0, offsetof(StageRecord, BG));
    FForm.CaptureSettings(settings);
    return std::memcmp(&settings, baseline, offsetof(StageRecord, BG)) != 0;
}

std::optional<TReplaceQuestion> TDocument::ReplaceQuestion() const
{
    StageRecord there;
    if (!ReadStageRecord(StageFile(), FStageNum, there) || IsEmptyRecord(there))
        return std::nullopt;  // no stage to lose there
    StageRecord live;
    FForm.CaptureStage(live);
    if (RecordsEqual(there, live))
        return std::nullopt;
    const std::optional<StageRecord>* remembered = FSaved.Remembered(FStageNum);
    const bool changedMeanwhile = remembered && !(remembered->has_value() && RecordsEqual(**remembered, there));
    if (FStageNum == FSaved.Origin && !changedMeanwhile)
        return std::nullopt;
    TReplaceQuestion question;
    question.Number = FStageNum;
    question.FileCaption = there.Caption;
    question.LiveCaption = FForm.Caption;
    return question;
}

void TDocument::TakeAsSaved(const StageRecord* found)
{
    StageRecord live;
    FForm.CaptureStage(live);
    FSaved.SetBaseline(&live);
    FSaved.Origin = FStageNum;
    FSaved.Remember(FStageNum, found);
    StageTouched();
}

void TDocument::ImportedAs(int number)
{
    MoveToStage(number);
    FSaved.Origin = FStageNum;
}

// --- Observers.

void TDocument::Observe(TObserver observer)
{
    FObservers.push_back(std::move(observer));
}

void TDocument::Notify(unsigned changes)
{
    for (const TObserver& observer : FObservers)
        observer(changes);
}

void TDocument::StageTouched()
{
    if (FCheckPending)
        return;
    FCheckPending = true;
    FForm.Host.Later([this] { CheckUnsaved(); });
}

void TDocument::TitleWritten()
{
    Notify(TitleChanged);
    StageTouched();
}

void TDocument::CheckUnsaved()
{
    FCheckPending = false;
    if (const bool unsaved = Unsaved(); unsaved != FUnsavedTold) {
        FUnsavedTold = unsaved;
        Notify(UnsavedChanged);
    }
    KeepRecoveryCopy();
}

void TDocument::KeepRecoveryCopy()
{
    if (!FRecovery)
        return;
    if (FUnsavedTold) {
        StageRecord record;
        FForm.CaptureStage(record);
        // A copy kept back by the interval is written once it has passed.
        if (!FRecovery->Keep(record, FStageNum, FSaved.Origin, FSaved.Remembered(FSaved.Origin), Clock())
            && !FCopyPending) {
            FCopyPending = true;
            FForm.Host.Later(
                [this] {
                    FCopyPending = false;
                    KeepRecoveryCopy();
                },
                TRecovery::Interval);
        }
    } else {
        FRecovery->Drop();
    }
    if (const std::string failure = FRecovery->TakeFailure(); !failure.empty())
        FForm.Host.ReportError(failure);
}

void TDocument::MoveToStage(int number)
{
    number = std::clamp(number, 0, MaxStageNumber);
    if (number == FStageNum)
        return;
    FStageNum = number;
    Notify(StageNumberChanged);
    FForm.UpdateTitle();
}

// --- Operations.

void TDocument::Start(bool keepCopies)
{
    FForm.FormShow();
    if (FRecovery)
        FRecovery->Close();
    FRecovery.reset();
    if (keepCopies) {
        FRecovery = std::make_unique<TRecovery>(RecoveryFolder(RecoveryProgramName), StageFile());
        // From the writer's thread: told on the window thread.
        FRecovery->SetFailureCallback([this] { FForm.Host.Later([this] { KeepRecoveryCopy(); }); });
        // Once the windows show: what is wrong with the file, then what an
        // ended editor left.
        FForm.Host.Later([this] {
            if (const std::optional<TStageFilePiece> piece = FindStageFilePiece(StageFile()); piece && FAsker)
                FAsker->TellDamagedFile(StageFilePieceText(StageFile(), *piece));
            OfferRecovery();
        });
    }
    FDiskChanges.Forget();
    FUnsavedTold = Unsaved();
    // A comparison was of the other folder's stages; a find goes on here.
    FComparison.Stop();
    ReadMarkedStages();
    Notify(FolderChanged | StageNumberChanged | TitleChanged | UnsavedChanged | RecordsChanged | MarksChanged);
}

void TDocument::SetStageNum(int number)
{
    MoveToStage(number);
}

bool TDocument::Load()
{
    if (!AskToSaveChanges())
        return false;
    FForm.LoadStage();
    CheckUnsaved();
    return true;
}

bool TDocument::Save()
{
    if (const std::optional<TReplaceQuestion> question = ReplaceQuestion()) {
        if (!FAsker
            || !FAsker->AskReplaceStage(question->Number, StageFile(), question->FileCaption, question->LiveCaption))
            return false;
    }
    return WriteStage();
}

bool TDocument::WriteStage()
{
    const std::filesystem::path file = StageFile();
    std::string why;
    bool saved = false;
    if (const std::string clash = StageFileClash(FStageFileName); !clash.empty()) {
        why = clash;  // creating a third file would settle nothing
    } else if (!StageFileMissing(file)) {
        // Saving as the game's file format says writes over a piece the
        // file ends with; the designer decides.
        if (const std::optional<TStageFilePiece> piece = FindStageFilePiece(file);
            piece && WritesOverPiece(*piece, FStageNum)
            && (!FAsker || !FAsker->AskSaveOverDamage(StageFilePieceText(file, *piece), FStageNum)))
            return false;
        saved = FForm.WriteStageFile(&why);
    } else {
        if (!FAsker || !FAsker->AskCreateStageFile(file, GameFolder()))
            return false;
        // One another program made meanwhile was not what the designer
        // agreed to replace: it is left alone.
        saved = FForm.WriteStageFile(&why, TNewStageFile::CreateNew);
    }
    // Also after a failure: records may have been appended before it.
    Notify(RecordsChanged | ReadMarkedStages());
    CheckUnsaved();
    if (!saved && FAsker)
        FAsker->TellSaveFailed(why);
    return saved;
}

bool TDocument::AskToSaveChanges()
{
    if (!Unsaved())
        return true;
    switch (FAsker ? FAsker->AskUnsavedChanges(FStageNum, FForm.Caption) : TUnsavedAnswer::Cancel) {
    case TUnsavedAnswer::Save: return Save();
    case TUnsavedAnswer::Discard: return true;
    case TUnsavedAnswer::Cancel: break;
    }
    return false;
}

bool TDocument::OpenStage(int number)
{
    // Cancel leaves even the stage number alone.
    if (number < 0 || number > MaxStageNumber || !AskToSaveChanges())
        return false;
    MoveToStage(number);
    FForm.LoadStage();
    CheckUnsaved();
    return true;
}

bool TDocument::OpenFolder(const std::filesystem::path& folder)
{
    if (!AskToSaveChanges())
        return false;
    FStageFileName = folder / DefaultStageFileName;
    FPictureFolder = folder;
    FForm.ClearHistory();
    FStageSetHistory.Clear();
    FSaved = TSaveState();
    FStageNum = 0;
    Start(FRecovery != nullptr);
    // The picture of the same name may be another one in this folder.
    FForm.Host.RestoreDisplay();
    return true;
}

void TDocument::RestoreStage(const TRecoveryCopy& copy)
{
    MoveToStage(copy.StageNumber);
    FForm.ShadowLayer->Visible = true;
    FForm.BGLayer->Visible = true;
    FForm.FGLayer->Visible = true;
    FForm.ApplyStage(copy.Record);
    StageRecord found;
    const bool present = static_cast<bool>(ReadStageRecord(StageFile(), FStageNum, found));
    FSaved.SetBaseline(present ? &found : nullptr);
    // Where it came from and what the file held there, as the ended editor
    // knew them: Save asks as it would have asked had the editor never
    // stopped. A copy that does not know (an older editor's) has no origin,
    // so Save asks before it replaces any stage.
    FSaved.Origin = copy.Base ? copy.Origin : -1;
    if (FSaved.Origin >= 0) {
        const std::optional<StageRecord>& base = *copy.Base;
        FSaved.Remember(FSaved.Origin, base ? &*base : nullptr);
    }
    StageTouched();
}

void TDocument::OfferRecovery()
{
    if (!FRecovery || !FAsker)
        return;
    std::vector<TLeftCopy> left = FRecovery->LeftCopies();
    for (TLeftCopy& copy : left) {
        const TRecoveryCopy& found = copy.Copy;
        switch (FAsker->AskRestoreCopy(found.StageNumber, StageFile(), found.Time)) {
        case TRestoreAnswer::Restore:
            RestoreStage(found);
            FRecovery->Adopt(copy, found.Record, FStageNum, Clock());
            CheckUnsaved();
            return;  // any older copies stay for a later start
        case TRestoreAnswer::Discard: TRecovery::Discard(copy); break;
        case TRestoreAnswer::Later: break;
        }
    }
}

void TDocument::Close()
{
    if (FRecovery)
        FRecovery->Close();
}

TDiskChange TDocument::FollowDiskChanges()
{
    const TDiskChange change = FDiskChanges.Look();
    if (const unsigned marks = ReadMarkedStages())
        Notify(marks);
    if (change.PictureChanged)
        FForm.Host.RestoreDisplay();
    if (!change.StageChanged || !FAsker)
        return change;
    if (change.Unsaved) {
        FAsker->TellStageChanged(change.Number, StageFile());
    } else if (FAsker->AskLoadChangedStage(change.Number)) {
        MoveToStage(change.Number);
        FForm.LoadStage();
        CheckUnsaved();
    }
    return change;
}

// --- Stage set operations.

TStageSetOutcome TDocument::PreviewStageSet(const TStageSetEdit& edit, bool mayCreate) const
{
    return ::PreviewStageSet(StageFile(), edit, mayCreate);
}

bool TDocument::ReplacesLiveStage(const TStageSetStep& step) const
{
    return FSaved.Origin >= 0 && step.Destination(FSaved.Origin) < 0;
}

bool TDocument::AgreeToReplaceLive(const TStageSetStep& step, bool& discard)
{
    discard = false;
    if (!ReplacesLiveStage(step) || !Unsaved())
        return true;
    switch (FAsker ? FAsker->AskReplacesUnsaved(FSaved.Origin) : TUnsavedAnswer::Cancel) {
    case TUnsavedAnswer::Save: return Save();
    case TUnsavedAnswer::Discard: discard = true; return true;
    case TUnsavedAnswer::Cancel: break;
    }
    return false;
}

TStageSetOutcome TDocument::ChangeStageSet(const TStageSetRequest& request)
{
    TStageSetOutcome cancelled;
    cancelled.Cancelled = true;
    const std::filesystem::path file = StageFile();
    if (request.MayCreate && StageFileMissing(file) && (!FAsker || !FAsker->AskCreateStageFile(file, GameFolder())))
        return cancelled;
    TStageSetOutcome preview = PreviewStageSet(request.Edit, request.MayCreate);
    if (!preview || preview.Step.Empty())
        return preview;
    if (request.AskReplacing) {
        TStageCaptions replaced;
        for (const TStageSetStep::TChange& change : preview.Step.Changes) {
            const StageRecord* before = preview.Step.Before(change.Number);
            if (before && !IsEmptyRecord(*before) && preview.Step.Source[static_cast<std::size_t>(change.Number)] < 0)
                replaced.emplace_back(change.Number, before->Caption);
        }
        if (!replaced.empty() && (!FAsker || !FAsker->AskReplaceStages(replaced)))
            return cancelled;
    }
    bool discard = false;
    if (!AgreeToReplaceLive(preview.Step, discard))
        return cancelled;
    const int liveBefore = FSaved.Origin;
    TStageSetOutcome outcome = RunStageSetEdit(request.Edit, discard, request.MayCreate);
    if (outcome && !outcome.Step.Empty()) {
        const bool replaced = liveBefore >= 0 && outcome.Step.Destination(liveBefore) < 0;
        FStageSetHistory.Push({outcome.Step, request.Label, replaced ? liveBefore : -1});
    }
    return outcome;
}

TStageSetOutcome TDocument::UndoStageSet()
{
    return StepStageSetHistory(true);
}

TStageSetOutcome TDocument::RedoStageSet()
{
    return StepStageSetHistory(false);
}

TStageSetOutcome TDocument::StepStageSetHistory(bool undo)
{
    const TStageSetHistory::TEntry* entry = undo ? FStageSetHistory.NextUndo() : FStageSetHistory.NextRedo();
    if (!entry)
        return TStageSetOutcome{undo ? "there is nothing to undo" : "there is nothing to redo", {}, 0};
    const TStageSetEdit edit = ReplayStageSetStep(undo ? InverseStageSetStep(entry->Step) : entry->Step);
    TStageSetOutcome preview = PreviewStageSet(edit);
    if (!preview)
        return preview;
    bool discard = false;
    if (!AgreeToReplaceLive(preview.Step, discard)) {
        preview.Cancelled = true;
        return preview;
    }
    // Undoing a step that replaced the live stage brings that stage back
    // with its record, while the designer has not worked on the one loaded
    // in its place (nor gone to another stage).
    const int bringBack = undo && entry->ReplacedLive >= 0 && FSaved.Origin == entry->ReplacedLive && !Unsaved()
                              ? entry->ReplacedLive
                              : -1;
    TStageSetOutcome outcome = RunStageSetEdit(edit, discard, false);
    if (!outcome)
        return outcome;
    undo ? FStageSetHistory.Undone() : FStageSetHistory.Redone();
    // Following the set, the live stage may have been loaded there already.
    if (bringBack >= 0 && FSaved.Origin != bringBack) {
        MoveToStage(bringBack);
        FForm.LoadStage();
        CheckUnsaved();
    }
    return outcome;
}

TStageSetOutcome TDocument::RunStageSetEdit(const TStageSetEdit& edit, bool discardUnsaved, bool mayCreate)
{
    const bool keepLive = !discardUnsaved && Unsaved();
    // Decided under the file's lock: the file may have changed since the
    // designer was asked.
    const TStageSetEdit guarded = [&](const std::vector<StageRecord>& records) {
        TStageSetResult result = edit(records);
        if (result.Error.empty() && keepLive && ReplacesLiveStage(MakeStageSetStep(records, result)))
            result =
                TStageSetResult{{}, {}, "stage " + StageNumberText(FSaved.Origin) + " has changes that are not saved"};
        return result;
    };
    TStageSetOutcome outcome = ::ChangeStageSet(StageFile(), guarded, mayCreate);
    if (outcome && !outcome.Step.Empty()) {
        FollowStageSet(outcome.Step);
        Notify(RecordsChanged | ReadMarkedStages());
        CheckUnsaved();
    }
    return outcome;
}

void TDocument::FollowStageSet(const TStageSetStep& step)
{
    const int origin = FSaved.Origin;
    FSaved.FollowRecords(step);
    if (origin < 0)
        return;
    const int destination = step.Destination(origin);
    if (destination < 0) {
        // Its record was replaced: loaded again from there, as Load does.
        MoveToStage(origin);
        FForm.LoadStage();
        return;
    }
    if (destination == origin)
        return;
    if (FStageNum == origin)
        MoveToStage(destination);
    FSaved.Origin = destination;
}
