// What the editor counts as unsaved, when a save would replace another
// stage, and when another program changed the live stage's record. Cases are
// steps ("paint; load 1; undo") run on a new editor over a stage file holding
// 0 "Zero", 1 "One" and the empty record 2.
#include "editor/DiskChanges.h"
#include "storage/StageFile.h"
#include "support/FakeHost.h"
#include "support/ScratchDir.h"
#include "support/StageFileKit.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <sstream>
#include <string>

namespace {

// A stage as the editor saves it, with tiles of every animated kind.
StageRecord Stage(const std::string& caption)
{
    StageRecord record;
    EmptyStage(record);
    record.Caption.Assign(caption);
    record.BG[2][3] = 2;   // turns in bursts
    record.BG[4][3] = 5;   // turns every 32 ticks
    record.FG[6][3] = 61;  // turns every 32 or 96 ticks
    record.EnemyCount[0] = 4;
    return record;
}

struct SaveStateTest : TScratchDirTest {
    std::unique_ptr<TEditorFixture> E;
    std::unique_ptr<TDiskChanges> Disk;
    std::string SetError;  // the last stage set operation's

    SaveStateTest() : TScratchDirTest("save-state") {}

    void SetUp() override
    {
        TScratchDirTest::SetUp();
        E = std::make_unique<TEditorFixture>();
        Disk = std::make_unique<TDiskChanges>(E->Form);
        E->Form.StageFileName = Dir / "Stage.Dat";
        StageRecord empty;
        EmptyStage(empty);
        ASSERT_TRUE(PutStageRecord(E->Form.StageFileName, 0, Stage("Zero")));
        ASSERT_TRUE(PutStageRecord(E->Form.StageFileName, 1, Stage("One")));
        ASSERT_TRUE(PutStageRecord(E->Form.StageFileName, 2, empty));
    }

    // "set move A B", "set copy A B", "set swap A B", "set insert N", "set
    // delete N", "set clear N", "set undo", "set redo"; "discard" after them
    // gives up unsaved changes.
    void RunSet(const std::string& what, std::istream& words)
    {
        TMainForm& form = E->Form;
        int a = 0;
        int b = 0;
        if (what != "undo" && what != "redo")
            words >> a;
        if (what == "move" || what == "copy" || what == "swap")
            words >> b;
        std::string discard;
        words >> discard;
        using TRecords = const std::vector<StageRecord>&;
        const std::map<std::string, TStageSetEdit> edits = {
            {"move", [&](TRecords r) { return MoveStages(r, a, 1, b); }},
            {"copy", [&](TRecords r) { return CopyStages(r, {a}, b); }},
            {"swap", [&](TRecords r) { return SwapStages(r, a, b); }},
            {"insert", [&](TRecords r) { return InsertStage(r, a); }},
            {"delete", [&](TRecords r) { return DeleteStages(r, {a}); }},
            {"clear", [&](TRecords r) { return ClearStages(r, {a}); }},
        };
        const bool discarding = discard == "discard";
        const TStageSetOutcome outcome = what == "undo"   ? form.UndoStageSet(discarding)
                                         : what == "redo" ? form.RedoStageSet(discarding)
                                                          : form.ChangeStageSet(edits.at(what), discarding);
        SetError = outcome.Error;
    }

    // Steps separated by ";": "paint" puts 40 (or 41 over 40) into FG cell
    // (5, 5) as a tool does, "paint back" empties it; "number N" is the stage
    // number box without Load; "ok" is the option dialog's OK without a
    // change; "import other|same|as N" a text map; "save fails" a Save that
    // must fail; "restore N Caption" a recovery copy; "put N Caption" and
    // "remove" are another program's writes; "look" looks at changes on disk.
    void Run(const std::string& steps)
    {
        TMainForm& form = E->Form;
        std::istringstream all(steps);
        for (std::string step; std::getline(all, step, ';');) {
            std::istringstream words(step);
            std::string verb, word;
            int number = 0;
            words >> verb >> word;
            std::istringstream(word) >> number;
            auto ticks = [&](int count) {
                for (int i = 0; i < count; ++i)
                    form.RunTick();
            };
            auto importWith = [&](const std::string& from, const std::string& to) {
                std::string text = form.ExportTextMap();
                text.replace(text.find(from), from.size(), to);
                ASSERT_TRUE(form.ImportTextMap(text)) << step;
            };
            if (verb == "load" || verb == "number")
                E->Host.SetStageNumControl(number);
            if (verb == "load")
                form.LoadStage();
            else if (verb == "paint" || verb == "ok")
                form.PushHistory();
            if (verb == "paint")
                E->SetFG(5, 5, word == "back" ? -1 : E->FG(5, 5) == 40 ? 41 : 40);
            else if (verb == "undo")
                form.Undo();
            else if (verb == "redo")
                form.Redo();
            else if (verb == "ok")
                form.UpdateTitle();
            else if (verb == "setting")
                ++form.MaxCount;
            else if (verb == "ticks")
                ticks(number);
            else if (verb == "mirror" || verb == "copy") {
                form.SelRect = TRect{0, 0, 640, 480};
                ticks(300);
                verb == "mirror" ? form.MirrorSelectionH() : form.CopySelection();
                ticks(77);
                verb == "mirror" ? form.MirrorSelectionH() : form.PasteSelection();
            } else if (verb == "import") {
                int as = 0;
                words >> as;
                if (word == "other")
                    importWith(form.Caption.Str(), "Other");
                else if (word == "as")
                    importWith("[Stage00]", "[Stage0" + std::to_string(as) + "]");
                else
                    importWith("[", "[");
            } else if (verb == "save")
                ASSERT_EQ(form.WriteStageFile(), word != "fails") << step;
            else if (verb == "put" || verb == "restore") {
                std::string caption;
                words >> caption;
                if (verb == "restore")
                    form.RestoreStage(Stage(caption), number);
                else
                    ASSERT_TRUE(PutStageRecord(form.StageFileName, number, Stage(caption)));
            } else if (verb == "remove")
                std::filesystem::remove(form.StageFileName);
            else if (verb == "look")
                Disk->Look();
            else if (verb == "set")
                RunSet(word, words);
        }
    }
};

TEST_F(SaveStateTest, UnsavedMeansTheRecordSaveWouldWriteDiffersFromTheBaseline)
{
    const struct {
        const char* Steps;  // after "load 1"
        bool Unsaved;
    } cases[] = {
        {"", false},
        {"paint", true},
        {"paint; paint back", false},
        {"paint; undo", false},
        {"paint; undo; redo", true},
        {"ok", false},
        {"setting", true},
        {"import other", true},
        {"import same", false},
        {"ticks 1000", false},
        {"mirror twice", false},
        {"copy paste", false},
        {"number 7", false},
        {"load 9", false},  // the random stage standing in for no record
        {"paint; save", false},
        {"paint; remove; save fails", true},
        {"restore 1 Edited", true},  // against the file's record at 1
        {"restore 1 Edited; save", false},
        {"restore 7 Seven", true},  // no record there
    };
    for (const auto& c : cases) {
        SetUp();
        Run("load 1");
        ASSERT_FALSE(E->Form.StageUnsaved());
        Run(c.Steps);
        EXPECT_EQ(E->Form.StageUnsaved(), c.Unsaved) << c.Steps;
    }
}

// Saving a stage nobody edited writes the bytes it was loaded from, however
// long its tiles have turned; so does exporting it.
TEST_F(SaveStateTest, SavingAnUneditedAnimatingStageWritesWhatWasLoaded)
{
    const std::string file = ReadFile(E->Form.StageFileName);
    Run("load 1");
    const std::string text = E->Form.ExportTextMap();
    for (const int ticks : {1, 15, 16, 17, 31, 32, 96, 1000}) {
        Run("ticks " + std::to_string(ticks) + "; save");
        EXPECT_EQ(ReadFile(E->Form.StageFileName), file) << ticks;
        EXPECT_EQ(E->Form.ExportTextMap(), text) << ticks;
    }
}

TEST_F(SaveStateTest, SaveAsksBeforeReplacingAnotherStage)
{
    const struct {
        const char* Steps;     // after "load 0"
        const char* Replaced;  // the caption the question names; null: no question
    } cases[] = {
        {"paint", nullptr},              // where it came from
        {"paint; number 1", "One"},      // the number box changed
        {"paint; load 1; undo", "One"},  // an undo across a load
        {"paint; load 1; undo; redo; paint", nullptr},
        {"number 2", nullptr},               // the empty record
        {"number 5", nullptr},               // past the end
        {"put 1 Zero; number 1", nullptr},   // the same stage there
        {"paint; put 0 Other", "Other"},     // another program changed it
        {"number 1; save; paint", nullptr},  // saved there before
        {"import as 1", nullptr},            // a text map of stage 01
        {"load 9; put 9 Nine", "Nine"},      // no stage there when loaded
        {"restore 1 Edited", nullptr},       // restored for 1
    };
    for (const auto& c : cases) {
        SetUp();
        Run("load 0");
        Run(c.Steps);
        const std::optional<TReplaceQuestion> question = E->Form.ReplaceQuestion();
        ASSERT_EQ(question.has_value(), c.Replaced != nullptr) << c.Steps;
        if (question) {
            EXPECT_EQ(question->Number, E->Form.StageNum) << c.Steps;
            EXPECT_EQ(question->FileCaption.Str(), c.Replaced) << c.Steps;
            EXPECT_EQ(question->LiveCaption.Str(), E->Form.Caption.Str()) << c.Steps;
        }
    }
}

// Another program's change to the record the live stage came from is told
// once per new content, with whether the live stage has changes of its own;
// the editor's own saves and loads never count.
TEST_F(SaveStateTest, ChangesOnDiskToTheLiveStagesRecordAreToldOncePerContent)
{
    const struct {
        const char* Steps;  // after "load 1"
        int Number;         // the record told changed; -1: none
        bool Unsaved;
    } cases[] = {
        {"", -1, false},
        {"put 1 Other", 1, false},
        {"paint; put 1 Other", 1, true},
        {"put 1 Other; look", -1, false},                               // told already
        {"put 1 Other; look; put 1 Another", 1, false},                 // new content
        {"put 1 Other; look; put 1 One; look; put 1 Other", 1, false},  // back, then changed again
        {"put 1 One", -1, false},                                       // the same bytes written again
        {"put 2 Other", -1, false},                                     // another record
        {"number 2; put 1 Other", 1, false},                            // where the live stage came from
        {"paint; save", -1, false},                                     // the editor's own save
        {"number 5; save; put 1 Other", -1, false},                     // saved elsewhere: it comes from there
        {"put 1 Other; load 1", -1, false},                             // loaded meanwhile
        {"load 9; put 9 Nine", 9, false},                               // a record came where there was none
        {"remove", -1, false},                                          // nothing to load
        {"paint; put 1 Other; undo", 1, false},                         // decided when looked at
        {"put 1 Other; look; set move 1 2", -1, false},                 // told already, wherever it moved
    };
    for (const auto& c : cases) {
        SetUp();
        Run("load 1");
        Run(c.Steps);
        const TDiskChange change = Disk->Look();
        EXPECT_EQ(change.StageChanged, c.Number >= 0) << c.Steps;
        EXPECT_EQ(change.Number, c.Number) << c.Steps;
        EXPECT_EQ(change.Unsaved, c.Unsaved) << c.Steps;
        EXPECT_FALSE(change.PictureChanged) << c.Steps;  // no display
    }
}

// The live stage follows its record through the stage set operations: to
// its new number when it moves, loaded again when it is replaced (asked
// first while it has changes that are not saved), back again on undo.
TEST_F(SaveStateTest, TheLiveStageFollowsItsRecordThroughSetOperations)
{
    const struct {
        const char* Steps;  // after "load 1"
        int Number;
        int Origin;
        const char* Caption;
        bool Unsaved;
        const char* Error;
    } cases[] = {
        {"set move 1 2", 2, 2, "One", false, ""},
        {"paint; set move 0 2", 0, 0, "One", true, ""},
        {"set swap 0 1", 0, 0, "One", false, ""},
        {"set insert 0", 2, 2, "One", false, ""},
        {"set delete 0", 0, 0, "One", false, ""},
        {"set copy 1 0", 1, 1, "One", false, ""},
        {"set clear 1", 1, 1, "Undefined Stage", false, ""},
        {"set copy 0 1", 1, 1, "Zero", false, ""},
        {"paint; set clear 1", 1, 1, "One", true, "stage 01 has changes that are not saved"},
        {"paint; set clear 1 discard", 1, 1, "Undefined Stage", false, ""},
        {"set delete 1", 1, 1, "Undefined Stage", false, ""},
        {"number 7; set move 1 2", 7, 2, "One", false, ""},
        {"set move 1 2; set undo", 1, 1, "One", false, ""},
        {"set move 1 2; set undo; set redo", 2, 2, "One", false, ""},
        {"set clear 1; set undo", 1, 1, "One", false, ""},
        {"set move 1 2; put 1 Other; set undo", 2, 2, "One", false,
         "stage 01 has changed since (another program or a Save wrote it)"},
        {"set move 1 2; paint; save; set undo", 2, 2, "One", false,
         "stage 02 has changed since (another program or a Save wrote it)"},
        {"set undo", 1, 1, "One", false, "there is nothing to undo"},
        {"set insert 100", 1, 1, "One", false, "stage 100 is past 99"},
    };
    for (const auto& c : cases) {
        SetUp();
        Run("load 1");
        Run(c.Steps);
        EXPECT_EQ(SetError, c.Error) << c.Steps;
        EXPECT_EQ(E->Form.StageNum, c.Number) << c.Steps;
        EXPECT_EQ(E->Form.Saved.Origin, c.Origin) << c.Steps;
        EXPECT_EQ(E->Form.Caption.Str(), c.Caption) << c.Steps;
        EXPECT_EQ(E->Form.StageUnsaved(), c.Unsaved) << c.Steps;
        EXPECT_EQ(E->Host.Caption.substr(E->Host.Caption.find(" - Stage ") + 9, 2),
                  (c.Number < 10 ? "0" : "") + std::to_string(c.Number))
            << c.Steps;
        // What the editor remembers followed: no question, no change told.
        EXPECT_FALSE(E->Form.ReplaceQuestion().has_value()) << c.Steps;
        EXPECT_FALSE(Disk->Look().StageChanged) << c.Steps;
    }
}

// A stage file that appeared since Save found none is left alone: the
// creation is refused and the stage stays unsaved.
TEST_F(SaveStateTest, ANewStageFileNeverReplacesOneThatAppeared)
{
    Run("load 1; paint");
    const std::string before = ReadFile(E->Form.StageFileName);
    const TWriteResult created = E->Form.WriteNewStageFile();
    EXPECT_TRUE(created.AlreadyExists);
    EXPECT_EQ(ReadFile(E->Form.StageFileName), before);
    EXPECT_TRUE(E->Form.StageUnsaved());
}

// Another game folder: nothing of the old folder's file is remembered, so
// its records raise no question there.
TEST_F(SaveStateTest, EnteringAnotherGameFolderForgetsTheOldOne)
{
    Run("load 1; paint");
    const std::filesystem::path other = Dir / "other";
    std::filesystem::create_directories(other);
    ASSERT_TRUE(PutStageRecord(other / "STAGE.DAT", 1, Stage("Elsewhere")));
    E->Form.EnterGameFolder(other / ".");
    EXPECT_EQ(E->Form.GameFolder(), other);
    EXPECT_EQ(E->Form.Saved.Origin, -1);
    EXPECT_EQ(E->Form.Saved.Remembered(1), nullptr);
    EXPECT_FALSE(E->Form.StageUnsaved());
    Run("load 1");  // found ignoring letter case
    EXPECT_EQ(E->Form.Caption.Str(), "Elsewhere");
    EXPECT_FALSE(Disk->Look().StageChanged);
}

}  // namespace
