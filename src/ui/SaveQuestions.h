#pragma once
// The questions the editor asks before a designer's work could be lost or
// overwritten: unsaved changes before a close or a load, a save that would
// replace another stage, work an ended editor left to restore, a stage file
// to create, a stage another program changed, and stage set operations that
// replace, clear or delete stages. Each is a modal message box named by its
// objectName ("UnsavedQuestion", "ReplaceQuestion", "RestoreQuestion",
// "CreateQuestion", "ChangedQuestion", "ChangedNote",
// "ReplacesUnsavedQuestion", "ReplaceStagesQuestion", "ClearQuestion",
// "DeleteQuestion", "DamagedNote", "DamagedQuestion") and titled with the application's title. Captions are
// the stage's bytes shown as the window title shows them.

#include "editor/DocumentAsker.h"

class QWidget;

// The document's questions as message boxes. Each stands over the window
// the designer works in (the Stages window, for its operations), or over the
// main window, where the stage is.
class TQuestionBoxes : public TDocumentAsker {
public:
    // `mainWindow` must outlive this.
    explicit TQuestionBoxes(QWidget* mainWindow) : FMainWindow(mainWindow) {}

    // "Stage 03 (Desert Fort) has changes that are not saved." Save (the
    // default), Discard, Cancel (also Escape and the window's close).
    TUnsavedAnswer AskUnsavedChanges(int number, const TShortString& caption) override;
    // "Stage 01 in Stage.Dat is "Desert Fort". Replace it with "Training
    // Ground"?" Replace or Cancel (the default, also Escape).
    bool AskReplaceStage(int number, const std::filesystem::path& file, const TShortString& fileCaption,
                         const TShortString& liveCaption) override;
    // "Stage 03 of Stage.Dat has unsaved changes from 2024-05-03 14:07.
    // Restore them?" Restore (the default), Discard, or Later (also Escape
    // and the window's close), which leaves the copy for a later start. The
    // time is shown in local time.
    TRestoreAnswer AskRestoreCopy(int number, const std::filesystem::path& file, std::int64_t when) override;
    // "Stage.Dat does not exist in /home/ann/game. Create it?" Yes (the
    // default) or No (also Escape).
    bool AskCreateStageFile(const std::filesystem::path& file, const std::filesystem::path& folder) override;
    // "Stage 03 changed on disk. Load it?" Yes (the default) or No (also Escape).
    bool AskLoadChangedStage(int number) override;
    // OK only.
    void TellStageChanged(int number, const std::filesystem::path& file) override;
    // "Stage 03 has changes that are not saved; this replaces it." Save first
    // (the default), Discard, Cancel (also Escape and the window's close).
    TUnsavedAnswer AskReplacesUnsaved(int number) override;
    // "This replaces 2 stages that are not empty: 04 "Desert Fort", 05
    // "Caves". Replace them?" Replace or Cancel (the default, also Escape).
    bool AskReplaceStages(const TStageCaptions& stages) override;
    // "Saving Stage": "Cannot Save to File "Stage.Dat"!", with why below.
    void TellSaveFailed(const std::string& why) override;
    // The piece, and what Save will do about it. OK only.
    void TellDamagedFile(const std::string& piece) override;
    // "Stage.Dat ends inside stage 04 (3000 of 6000 bytes). Saving stage 07
    // writes over that piece." Save or Cancel (the default, also Escape).
    bool AskSaveOverDamage(const std::string& piece, int number) override;

private:
    QWidget* Parent() const;
    QWidget* FMainWindow;
};

// "Clear stage 03 "Desert Fort"?" (or "Clear 3 stages: ...?"), and with
// `remove` "Delete stage 03 ...? The stages after it move up." Clear or
// Delete, or Cancel (the default, also Escape).
bool AskClearStages(QWidget* parent, const TStageCaptions& stages, bool remove);
