#pragma once
// What the document must ask the designer before work could be lost or
// overwritten, and what it must tell them. The windows answer with modal
// message boxes (ui/SaveQuestions); tests fake it. Every call is made on the
// window thread and returns the answer before the operation goes on, so each
// operation of the document stays one function.

#include "stage/StageRecord.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

// In the order of the buttons.
enum class TUnsavedAnswer { Save, Discard, Cancel };
enum class TRestoreAnswer { Restore, Discard, Later };

// Stages by number and caption, as the stage set questions name them.
using TStageCaptions = std::vector<std::pair<int, TShortString>>;

class TDocumentAsker {
public:
    virtual ~TDocumentAsker() = default;

    // The live stage `number` (`caption`) has unsaved changes: save them,
    // discard them, or leave everything as it is.
    virtual TUnsavedAnswer AskUnsavedChanges(int number, const TShortString& caption) = 0;
    // Save would replace stage `number` of `file`, which holds another
    // stage; true to replace.
    virtual bool AskReplaceStage(int number, const std::filesystem::path& file, const TShortString& fileCaption,
                                 const TShortString& liveCaption) = 0;
    // An ended editor left unsaved changes to stage `number` of `file`,
    // taken at `when` (seconds since 1970).
    virtual TRestoreAnswer AskRestoreCopy(int number, const std::filesystem::path& file, std::int64_t when) = 0;
    // There is no stage file `file` in `folder`; true to create it.
    virtual bool AskCreateStageFile(const std::filesystem::path& file, const std::filesystem::path& folder) = 0;
    // Another program changed stage `number`, which the live stage came
    // from; true to load it.
    virtual bool AskLoadChangedStage(int number) = 0;
    // The same while the live stage has changes of its own, which stay.
    virtual void TellStageChanged(int number, const std::filesystem::path& file) = 0;
    // A stage set operation replaces the live stage `number`, which is unsaved.
    virtual TUnsavedAnswer AskReplacesUnsaved(int number) = 0;
    // A stage set operation gives these stages, which are not empty, other
    // stages; true to go on.
    virtual bool AskReplaceStages(const TStageCaptions& stages) = 0;
    // Save failed; `why` in the system's words with the file's name.
    virtual void TellSaveFailed(const std::string& why) = 0;
    // The stage file ends inside a stage; `piece` says where ("Stage.Dat
    // ends inside stage 04 (3000 of 6000 bytes)."). Told when the folder opens.
    virtual void TellDamagedFile(const std::string& piece) = 0;
    // Saving stage `number` would write into or past that piece; true to save.
    virtual bool AskSaveOverDamage(const std::string& piece, int number) = 0;
};
