#pragma once
// The questions the editor asks before a designer's work could be lost or
// overwritten: unsaved changes before a close or a load, a save that would
// replace another stage, work an ended editor left to restore, a stage file
// to create, a stage another program changed, and stage set operations that
// replace, clear or delete stages. Each is a modal message box named by its
// objectName ("UnsavedQuestion", "ReplaceQuestion", "RestoreQuestion",
// "CreateQuestion", "ChangedQuestion", "ChangedNote",
// "ReplacesUnsavedQuestion", "ReplaceStagesQuestion", "ClearQuestion",
// "DeleteQuestion") and titled with the application's title. Captions are the stage's bytes shown
// as the window title shows them.

#include "stage/StageRecord.h"

#include <QString>

#include <cstdint>
#include <filesystem>
#include <utility>
#include <vector>

class QWidget;

// In the order of the buttons.
enum class TUnsavedAnswer { Save, Discard, Cancel };

// "Stage 03 (Desert Fort) has changes that are not saved." Save (the
// default), Discard, Cancel (also Escape and the window's close).
TUnsavedAnswer AskUnsavedChanges(QWidget* parent, int number, const QString& caption);

// "Stage 01 in Stage.Dat is "Desert Fort". Replace it with "Training
// Ground"?" Replace or Cancel (the default, also Escape). True to replace.
bool AskReplaceStage(QWidget* parent, int number, const QString& fileName, const QString& fileCaption,
                     const QString& liveCaption);

// In the order of the buttons.
enum class TRestoreAnswer { Restore, Discard, Later };

// "Stage 03 of Stage.Dat has unsaved changes from 2024-05-03 14:07.
// Restore them?" Restore (the default), Discard, or Later (also Escape and
// the window's close), which leaves the copy for a later start. `when` is in
// seconds since 1970, shown in local time.
TRestoreAnswer AskRestoreCopy(QWidget* parent, int number, const QString& fileName, std::int64_t when);

// "Stage.Dat does not exist in /home/ann/game. Create it?" Yes (the
// default) or No (also Escape). True to create.
bool AskCreateStageFile(QWidget* parent, const QString& fileName, const QString& folder);

// "Stage 03 changed on disk. Load it?" Yes (the default) or No (also
// Escape). True to load.
bool AskLoadChangedStage(QWidget* parent, int number);

// Says that stage `number` changed on disk while the live stage has changes
// of its own, which stay; the next Save asks before replacing it. OK only.
void TellStageChanged(QWidget* parent, int number, const QString& fileName);

// "Stage 03 has changes that are not saved; this replaces it." Save first
// (the default), Discard, Cancel (also Escape and the window's close).
TUnsavedAnswer AskReplacesUnsaved(QWidget* parent, int number);

// Stages by number and caption, as the stage set questions name them.
using TStageNames = std::vector<std::pair<int, QString>>;

// "This replaces 2 stages that are not empty: 04 "Desert Fort", 05 "Caves".
// Replace them?" Replace or Cancel (the default, also Escape).
bool AskReplaceStages(QWidget* parent, const TStageNames& stages);

// "Clear stage 03 "Desert Fort"?" (or "Clear 3 stages: ...?"), and with
// `remove` "Delete stage 03 ...? The stages after it move up." Clear or
// Delete, or Cancel (the default, also Escape).
bool AskClearStages(QWidget* parent, const TStageNames& stages, bool remove);

// A stage number as the windows show it: "07".
QString NumberText(int number);
// A stage's caption as the title shows it (each byte one character).
QString CaptionText(const TShortString& caption);
// The name a question gives a file: its last part ("Stage.Dat").
QString FileNameText(const std::filesystem::path& file);
// A file or folder as the windows name it: its whole path, without "." or "..".
QString PathText(const std::filesystem::path& path);
