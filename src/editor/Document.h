#pragma once
// What the editor has open, and what can be done with it: the game folder,
// its stage file and picture folder, the stage number, what the live stage
// counts as saved against (baseline and origin, TSaveState), whether it is
// unsaved, its recovery copy, and the undo history of the stage set
// operations. The operations that open, load, save, restore or reorder
// stages live here, with the questions they ask (TDocumentAsker); the live
// stage itself (its settings, layers and history) is TMainForm's, which owns
// this document.
//
// The windows translate the designer's input into these calls and redraw
// from what the observers are told; they never read the document's state
// back from a widget. Everything runs on the window thread; the recovery
// copy's writer thread reports through the host's Later.

#include "editor/DiskChanges.h"
#include "editor/DocumentAsker.h"
#include "editor/SaveState.h"
#include "editor/StageComparison.h"
#include "editor/StageSetHistory.h"
#include "editor/TileSearch.h"
#include "stage/StageRecord.h"
#include "storage/StageSetFile.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class TMainForm;
class TRecovery;
struct TRecoveryCopy;

// Save would replace another stage: the stage file's record Number holds
// a stage that differs from the live one, and that record is not where the
// live stage came from, or no longer what the editor last read or wrote
// there (another program changed it).
struct TReplaceQuestion {
    int Number = 0;
    TShortString FileCaption;  // the stage the file holds
    TShortString LiveCaption;  // the stage Save would write
};

// What an observer is told changed; several at once are or-ed together.
enum TDocumentChange : unsigned {
    StageNumberChanged = 1,  // StageNum
    TitleChanged = 2,        // the window and option captions (TMainForm::WindowCaption)
    UnsavedChanged = 4,      // Unsaved()
    RecordsChanged = 8,      // the editor wrote the stage file (a save, a stage set operation)
    FolderChanged = 16,      // another game folder: everything above may be new
    MarksChanged = 32,       // what Comparison() or Search() says of the stages
};

// A stage set operation as the designer gives it: the edit, its name in the
// history ("Moved 03 to 07"), whether stages that are not empty may get
// other stages only after a question, and whether a missing stage file may
// be made (after a question).
struct TStageSetRequest {
    TStageSetEdit Edit;
    std::string Label;
    bool AskReplacing = false;
    bool MayCreate = false;
};

class TDocument {
public:
    // The document of `form`, which owns it and must outlive every call.
    explicit TDocument(TMainForm& form);
    ~TDocument();
    TDocument(const TDocument&) = delete;
    TDocument& operator=(const TDocument&) = delete;

    // --- What is open.
    // The stage file as named ("…/Stage.Dat"), and as found now ignoring
    // letter case (the name itself when nothing matches).
    const std::filesystem::path& StageFileName() const { return FStageFileName; }
    std::filesystem::path StageFile() const;
    // The folder "Map" is looked up in.
    const std::filesystem::path& PictureFolder() const { return FPictureFolder; }
    // The folder the stage file is in, absolute, without "." or "..".
    std::filesystem::path GameFolder() const;
    // Points the document at a stage file or a picture folder, as at
    // start-up; nothing is loaded. Without them: "Stage.Dat" and "Map" in
    // the current folder.
    void SetStageFileName(std::filesystem::path stageFile) { FStageFileName = std::move(stageFile); }
    void SetPictureFolder(std::filesystem::path pictureFolder) { FPictureFolder = std::move(pictureFolder); }
    // The stage Load and Save work on, 0..99.
    int StageNum() const { return FStageNum; }

    // Baseline, origin and what the file held. The live stage's history
    // carries the origin (Origin), so an undo across a Load brings it back.
    TSaveState& Saved() { return FSaved; }
    const TSaveState& Saved() const { return FSaved; }
    // True when the record Save would write now differs from the baseline.
    bool Unsaved();
    // What the observers were last told of Unsaved (the marks show it).
    bool UnsavedTold() const { return FUnsavedTold; }
    // The recovery copy of the live stage; none before Start(true).
    TRecovery* Recovery() const { return FRecovery.get(); }
    // What Save to StageNum would replace without asking; none when it
    // replaces nothing or the stage that is meant to be there.
    std::optional<TReplaceQuestion> ReplaceQuestion() const;
    // The live stage as it stands is what the stage file holds at StageNum
    // (read as `found`, or none): the baseline, the origin and what is
    // remembered of that record follow. Called by the form's load and save.
    void TakeAsSaved(const StageRecord* found);
    // The live stage now comes from stage `number` (a text map's header):
    // StageNum and the origin follow, kept within 0..99.
    void ImportedAs(int number);

    // --- Observers and questions.
    using TObserver = std::function<void(unsigned changes)>;
    // `observer` is told each change from now on, on the window thread.
    void Observe(TObserver observer);
    // Who answers the questions (not owned); without one every question is
    // answered as Cancel would answer it, and tellings go unseen.
    void SetAsker(TDocumentAsker* asker) { FAsker = asker; }
    // The live stage changed (a cell or a setting): once the current event
    // is handled, Unsaved is looked at again, the observers are told when it
    // changed, and the recovery copy follows.
    void StageTouched();
    // Told by TMainForm::UpdateTitle.
    void TitleWritten();
    // What the recovery copy's interval is counted on; tests put a clock of
    // their own.
    std::function<std::chrono::steady_clock::time_point()> Clock = std::chrono::steady_clock::now;

    // --- Operations. Each asks what it must first; false: the designer
    // cancelled or it failed (and said so), nothing changed.
    // The editor starts on the game files: the tool window shown, the layers
    // cleared and stage StageNum loaded (FormShow); with `keepCopies`,
    // recovery copies of this stage file are kept from now on.
    void Start(bool keepCopies);
    // The stage number box: StageNum and the title. Nothing is loaded or saved.
    void SetStageNum(int number);
    // Load: stage StageNum from the stage file, after the question over
    // unsaved work.
    bool Load();
    // Save: the live stage as stage StageNum, asking before it replaces
    // another stage or creates the stage file.
    bool Save();
    // Before the live stage is replaced or the editor closes: asks to save,
    // discard or cancel when it is unsaved. True when the caller may go on.
    bool AskToSaveChanges();
    // Opens stage `number` as the stage number and Load would, after the
    // question over unsaved work.
    bool OpenStage(int number);
    // Works in `folder` from now on, after the question over unsaved work:
    // the editor starts over there as at start-up, at stage 0 with empty
    // histories.
    bool OpenFolder(const std::filesystem::path& folder);
    // Offers each copy an ended editor left for this stage file, newest
    // first, until one is restored.
    void OfferRecovery();
    // The editor closes normally: the recovery copy and its lock go.
    void Close();
    // Another program changed the game folder: a changed background picture
    // is shown anew; when the live stage's record changed, asks to load it
    // (or tells, while the live stage is unsaved). Returns what was found.
    TDiskChange FollowDiskChanges();

    // --- Stage set operations: one transaction on the stage file each,
    // after which the live stage follows its record (moved: its number and
    // origin go with it, unsaved changes stay; replaced: loaded again). An
    // operation that would replace the unsaved live stage asks first.
    TStageSetHistory& StageSetHistory() { return FStageSetHistory; }
    // What `edit` would do to the stage file now; nothing is written.
    TStageSetOutcome PreviewStageSet(const TStageSetEdit& edit, bool mayCreate = false) const;
    // True when `step` replaces or removes the record the live stage came
    // from (its origin), or puts one where there was none.
    bool ReplacesLiveStage(const TStageSetStep& step) const;
    // Runs `request` after its questions; a step that changed anything goes
    // on StageSetHistory. Cancelled: the designer said no (no Error).
    TStageSetOutcome ChangeStageSet(const TStageSetRequest& request);
    // Takes back the history's newest step, or makes the undone one again;
    // refused, nothing changed, when the file no longer holds what that step
    // left (another program or a Save changed those records since).
    TStageSetOutcome UndoStageSet();
    TStageSetOutcome RedoStageSet();

    // --- Comparing and finding across the stage set. While either is on,
    // the stage file is read again whenever the editor writes it, another
    // program changes it or another folder opens, and MarksChanged is told.
    // Another folder ends a comparison; a find goes on there.
    const TStageComparison& Comparison() const { return FComparison; }
    // Compares the stage file with `compared`, another version of the set
    // that the designer knows as `source`, until StopComparing.
    void CompareWith(std::vector<StageRecord> compared, std::string source);
    void StopComparing();
    const TTileSearch& Search() const { return FSearch; }
    void Find(TSought sought);
    void StopFinding();
    // Opens the next stage after StageNum that holds what Find seeks (the
    // previous one, backwards), around the end, as OpenStage does; false
    // when no other stage holds it or the designer cancelled.
    bool OpenFound(bool forward);

private:
    void Notify(unsigned changes);
    // Reads the stage file for the comparison and the find while either is
    // on: MarksChanged then, else nothing.
    unsigned ReadMarkedStages();
    // Looks at Unsaved now, tells a change, keeps the recovery copy.
    void CheckUnsaved();
    void KeepRecoveryCopy();
    // The stage number becomes `number` (kept within 0..99); the title follows.
    void MoveToStage(int number);
    // Applies a recovered copy as a load does; the stage file's record
    // there as found now becomes the baseline (none when the file holds
    // none), so the restored stage shows as unsaved.
    void RestoreStage(const TRecoveryCopy& copy);
    // Save once the designer agreed: into the stage file, or into a new one.
    bool WriteStage();
    // The questions before `step` replaces the live stage: `discard` says
    // its changes may go. False when the designer cancelled.
    bool AgreeToReplaceLive(const TStageSetStep& step, bool& discard);
    TStageSetOutcome StepStageSetHistory(bool undo);
    // The transaction of a stage set operation, refused under the lock when
    // it would replace the unsaved live stage and `discardUnsaved` is false.
    TStageSetOutcome RunStageSetEdit(const TStageSetEdit& edit, bool discardUnsaved, bool mayCreate);
    // The live stage follows `step`, which the editor just made.
    void FollowStageSet(const TStageSetStep& step);

    TMainForm& FForm;
    TDocumentAsker* FAsker = nullptr;
    std::vector<TObserver> FObservers;
    std::filesystem::path FStageFileName;
    std::filesystem::path FPictureFolder;
    int FStageNum = 0;
    TSaveState FSaved;
    TStageSetHistory FStageSetHistory;
    TDiskChanges FDiskChanges;
    TStageComparison FComparison;
    TTileSearch FSearch;
    std::unique_ptr<TRecovery> FRecovery;
    bool FUnsavedTold = false;   // what the observers last heard
    bool FCheckPending = false;  // a CheckUnsaved is on its way
    bool FCopyPending = false;   // a copy waits for the interval to pass
};
