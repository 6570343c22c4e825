// The document: what the editor counts as unsaved, the questions that Load,
// Save, opening, closing, restoring and the stage set operations ask, and
// what the windows are told. Cases are steps ("paint; load 1; undo") run on a
// new editor over a stage file holding 0 "Zero", 1 "One" and the empty record
// 2, with the questions answered from a list.
#include "editor/Recovery.h"
#include "storage/RecoveryFolder.h"
#include "storage/StageFile.h"
#include "support/FakeHost.h"
#include "support/ScratchDir.h"
#include "support/StageFileKit.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <map>
#include <memory>
#include <sstream>
#include <string>

namespace {

using namespace std::chrono_literals;

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

// Answers the document's questions from a list ("save", "discard",
// "cancel", "yes", "no", "restore", "later"; Cancel's answer when it runs
// out) and writes down each question as "unsaved 01 One".
struct TListAsker : TDocumentAsker {
    std::deque<std::string> Answers;
    std::vector<std::string> Asked;
    std::function<void()> WhileAsking;  // another program at work meanwhile

    std::string Next(const std::string& question)
    {
        Asked.push_back(question);
        if (WhileAsking)
            WhileAsking();
        if (Answers.empty())
            return "cancel";
        std::string answer = Answers.front();
        Answers.pop_front();
        return answer;
    }
    static TUnsavedAnswer Unsaved(const std::string& answer)
    {
        return answer == "save"      ? TUnsavedAnswer::Save
               : answer == "discard" ? TUnsavedAnswer::Discard
                                     : TUnsavedAnswer::Cancel;
    }
    TUnsavedAnswer AskUnsavedChanges(int number, const TShortString& caption) override
    {
        return Unsaved(Next("unsaved " + StageNumberText(number) + " " + caption.Str()));
    }
    bool AskReplaceStage(int number, const std::filesystem::path& file, const TShortString& fileCaption,
                         const TShortString& liveCaption) override
    {
        return Next("replace " + StageNumberText(number) + " of " + file.filename().string() + ": " + fileCaption.Str()
                    + " by " + liveCaption.Str())
               == "yes";
    }
    TRestoreAnswer AskRestoreCopy(int number, const std::filesystem::path&, std::int64_t) override
    {
        const std::string answer = Next("restore " + StageNumberText(number));
        return answer == "restore"   ? TRestoreAnswer::Restore
               : answer == "discard" ? TRestoreAnswer::Discard
                                     : TRestoreAnswer::Later;
    }
    bool AskCreateStageFile(const std::filesystem::path& file, const std::filesystem::path&) override
    {
        return Next("create " + file.filename().string()) == "yes";
    }
    bool AskLoadChangedStage(int number) override { return Next("changed " + StageNumberText(number)) == "yes"; }
    void TellStageChanged(int number, const std::filesystem::path&) override
    {
        Asked.push_back("told changed " + StageNumberText(number));
    }
    TUnsavedAnswer AskReplacesUnsaved(int number) override
    {
        return Unsaved(Next("replaces unsaved " + StageNumberText(number)));
    }
    bool AskReplaceStages(const TStageCaptions& stages) override
    {
        std::string question = "replace stages";
        for (const auto& [number, caption] : stages)
            question += " " + StageNumberText(number);
        return Next(question) == "yes";
    }
    void TellSaveFailed(const std::string& why) override { Asked.push_back("save failed: " + why); }
    void TellDamagedFile(const std::string& piece) override { Asked.push_back("told " + piece); }
    bool AskSaveOverDamage(const std::string&, int number) override
    {
        return Next("save over the piece as " + StageNumberText(number)) == "yes";
    }
};

std::string Joined(const std::vector<std::string>& lines)
{
    std::string all;
    for (const std::string& line : lines)
        all += (all.empty() ? "" : "; ") + line;
    return all;
}

struct DocumentTest : TScratchDirTest {
    std::unique_ptr<TEditorFixture> E;
    TListAsker Asker;
    std::string SetError;  // the last stage set operation's
    TDiskChange Change;    // the last look at the disk
    std::vector<unsigned> Told;
    std::chrono::steady_clock::time_point Now{};

    DocumentTest() : TScratchDirTest("document") {}

    TDocument& Doc() { return E->Form.Document; }
    std::filesystem::path File() const { return Dir / "Stage.Dat"; }
    std::filesystem::path StateFolder() const { return Dir / "state" / RecoveryProgramName; }

    // The editor as it starts, keeping recovery copies in the scratch folder.
    void SetUp() override
    {
        E.reset();
        TScratchDirTest::SetUp();
        ::setenv("XDG_STATE_HOME", (Dir / "state").c_str(), 1);
        E = std::make_unique<TEditorFixture>();
        Asker = {};
        Told.clear();
        Doc().SetStageFileName(File());
        Doc().SetAsker(&Asker);
        Doc().Clock = [this] { return Now; };
        Doc().Observe([this](unsigned changes) { Told.push_back(changes); });
        StageRecord empty;
        EmptyStage(empty);
        ASSERT_TRUE(PutStageRecord(File(), 0, Stage("Zero")));
        ASSERT_TRUE(PutStageRecord(File(), 1, Stage("One")));
        ASSERT_TRUE(PutStageRecord(File(), 2, empty));
        Doc().Start(true);
        E->Host.RunLater();
    }
    void TearDown() override
    {
        E.reset();
        ::unsetenv("XDG_STATE_HOME");
        TScratchDirTest::TearDown();
    }

    // "set move A B", "set copy A B", "set swap A B", "set insert N", "set
    // delete N", "set clear N", "set undo", "set redo"; SetError is the
    // outcome's error, or "cancelled".
    void RunSet(const std::string& what, std::istream& words)
    {
        int a = 0;
        int b = 0;
        if (what != "undo" && what != "redo")
            words >> a;
        if (what == "move" || what == "copy" || what == "swap")
            words >> b;
        using TRecords = const std::vector<StageRecord>&;
        const std::map<std::string, TStageSetEdit> edits = {
            {"move", [&](TRecords r) { return MoveStages(r, a, 1, b); }},
            {"copy", [&](TRecords r) { return CopyStages(r, {a}, b); }},
            {"swap", [&](TRecords r) { return SwapStages(r, a, b); }},
            {"insert", [&](TRecords r) { return InsertStage(r, a); }},
            {"delete", [&](TRecords r) { return DeleteStages(r, {a}); }},
            {"clear", [&](TRecords r) { return ClearStages(r, {a}); }},
        };
        const TStageSetOutcome outcome = what == "undo"   ? Doc().UndoStageSet()
                                         : what == "redo" ? Doc().RedoStageSet()
                                                          : Doc().ChangeStageSet({edits.at(what), what, false, false});
        SetError = outcome.Cancelled ? "cancelled" : outcome.Error;
    }

    // A copy of stage `number` that an editor left when it was killed,
    // knowing what the file then held there, or (`knowing` false) in the
    // format of an editor that did not keep that.
    void LeaveCopy(int number, const std::string& caption, bool knowing)
    {
        StageRecord there;
        const std::optional<StageRecord> base =
            ReadStageRecord(File(), number, there) ? std::optional(there) : std::nullopt;
        TRecovery ended(StateFolder(), File());
        ended.Keep(Stage(caption), number, number, knowing ? &base : nullptr, {});
        ended.Finish();
    }

    // Steps separated by ";": "paint" puts 40 (or 41 over 40) into FG cell
    // (5, 5) as a tool does, "paint back" empties it; "number N" is the stage
    // number box; "load N" loads without a question; "Load", "Save", "close"
    // and "open N" are the designer's, with their questions; "answer A B"
    // gives the next answers; "ok" is the option dialog's OK without a
    // change; "import other|same|as N" a text map; "save [fails]" a write
    // without questions; "restore N Caption" offers a copy an ended editor
    // left (answered "restore" unless answers are waiting); "put N Caption"
    // "remove", "cut BYTES" and "twins" (two stage files in other letter
    // cases) are another program's writes ("left N Caption" and "left
    // unknowing N Caption" a killed editor's copy, "offer" the offer); "look"
    // follows changes on disk; "events" runs what waits for the end of an
    // event, "second" what waits a second. "compare" compares with the
    // file as it is now, "find CODE" seeks a code, "next" and "previous"
    // open the stages holding it.
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
                Doc().SetStageNum(number);
            if (verb == "load")
                form.LoadStage();
            else if (verb == "paint" || verb == "ok")
                form.PushHistory();
            if (verb == "paint")
                E->SetFG(5, 5, word == "back" ? -1 : E->FG(5, 5) == 40 ? 41 : 40);
            else if (verb == "answer") {
                for (std::string answer = word; !answer.empty(); answer.clear(), words >> answer)
                    Asker.Answers.push_back(answer);
            } else if (verb == "Load")
                Doc().Load();
            else if (verb == "Save")
                Doc().Save();
            else if (verb == "close")
                Doc().AskToSaveChanges();
            else if (verb == "open")
                Doc().OpenStage(number);
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
            else if (verb == "put" || verb == "restore" || verb == "left") {
                const bool knowing = word != "unknowing";
                if (!knowing)
                    words >> number;
                std::string caption;
                words >> caption;
                if (verb == "put")
                    ASSERT_TRUE(PutStageRecord(File(), number, Stage(caption)));
                else
                    LeaveCopy(number, caption, knowing);
            }
            if (verb == "restore" || verb == "offer") {
                if (Asker.Answers.empty())
                    Asker.Answers.push_back("restore");
                Doc().OfferRecovery();
            } else if (verb == "remove")
                std::filesystem::remove(File());
            else if (verb == "cut")
                std::filesystem::resize_file(File(), static_cast<std::uintmax_t>(number));
            else if (verb == "twins") {
                WriteFile(Dir / "STAGE.DAT", "");
                WriteFile(Dir / "stage.dat", "");
            } else if (verb == "look")
                Change = Doc().FollowDiskChanges();
            else if (verb == "set")
                RunSet(word, words);
            else if (verb == "compare")
                Doc().CompareWith(ReadStageRecords(File(), StageCount).Records, "HEAD");
            else if (verb == "find")
                Doc().Find({{number}, "", word});
            else if (verb == "next" || verb == "previous")
                E->Key(VK::F3, verb == "next" ? 0 : ssShift);
            else if (verb == "press")
                E->Press(E->Px(5), E->Px(5));
            else if (verb == "events")
                E->Host.RunLater();
            else if (verb == "second") {
                Now += 1s;
                E->Host.RunDelayed();
            }
        }
    }
};

TEST_F(DocumentTest, UnsavedMeansTheRecordSaveWouldWriteDiffersFromTheBaseline)
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
        ASSERT_FALSE(Doc().Unsaved());
        Run(c.Steps);
        EXPECT_EQ(Doc().Unsaved(), c.Unsaved) << c.Steps;
    }
}

// Saving a stage nobody edited writes the bytes it was loaded from, however
// long its tiles have turned; so does exporting it.
TEST_F(DocumentTest, SavingAnUneditedAnimatingStageWritesWhatWasLoaded)
{
    const std::string file = ReadFile(File());
    Run("load 1");
    const std::string text = E->Form.ExportTextMap();
    for (const int ticks : {1, 15, 16, 17, 31, 32, 96, 1000}) {
        Run("ticks " + std::to_string(ticks) + "; save");
        EXPECT_EQ(ReadFile(File()), file) << ticks;
        EXPECT_EQ(E->Form.ExportTextMap(), text) << ticks;
    }
}

TEST_F(DocumentTest, SaveAsksBeforeReplacingAnotherStage)
{
    const struct {
        const char* Steps;     // after "load 0"
        const char* Replaced;  // the caption the question names; null: no question
    } cases[] = {
        {"paint", nullptr},              // where it came from
        {"paint; number 1", "One"},      // the number box changed
        {"paint; load 1; undo", "One"},  // an undo across a load
        {"paint; load 1; undo; redo; paint", nullptr},
        {"number 2", nullptr},                           // the empty record
        {"number 5", nullptr},                           // past the end
        {"put 1 Zero; number 1", nullptr},               // the same stage there
        {"paint; put 0 Other", "Other"},                 // another program changed it
        {"number 1; save; paint", nullptr},              // saved there before
        {"import as 1", nullptr},                        // a text map of stage 01
        {"load 9; put 9 Nine", "Nine"},                  // no stage there when loaded
        {"restore 1 Edited", nullptr},                   // restored for 1, as the file still holds it
        {"left 1 Edited; put 1 Newer; offer", "Newer"},  // another program wrote it meanwhile
        {"left unknowing 1 Edited; offer", "One"},       // a copy that does not know what was there
        {"left 1 Edited; put 1 Newer; offer; save; paint", nullptr},
    };
    for (const auto& c : cases) {
        SetUp();
        Run("load 0");
        Run(c.Steps);
        const std::optional<TReplaceQuestion> question = Doc().ReplaceQuestion();
        ASSERT_EQ(question.has_value(), c.Replaced != nullptr) << c.Steps;
        if (question) {
            EXPECT_EQ(question->Number, Doc().StageNum()) << c.Steps;
            EXPECT_EQ(question->FileCaption.Str(), c.Replaced) << c.Steps;
            EXPECT_EQ(question->LiveCaption.Str(), E->Form.Caption.Str()) << c.Steps;
        }
    }
}

// The comparison's marks and the find's counts follow the stage file, however
// it changes; F3 and Shift+F3 open the stages holding the tile as opening does,
// but not while a button is held.
TEST_F(DocumentTest, MarksFollowTheStageFileAndFindOpensTheNextStage)
{
    const struct {
        const char* Steps;
        const char* Marks;  // stages 0..2: the change's kind (comparing), or the count found
        int Number;         // the live stage's afterwards
        const char* Asked;
    } cases[] = {
        {"compare; put 1 Uno; look", ".c.", 0, ""},
        {"compare; put 2 Two; look", "..a", 0, ""},
        {"compare; set move 0 1", "mm.", 1, ""},
        {"compare; paint; Save", "c..", 0, ""},
        {"find 61; next", "110", 1, ""},
        {"find 61; put 2 Two; look; previous", "111", 2, ""},
        {"find 61; paint; answer cancel; next", "110", 0, "unsaved 00 Zero"},
        {"find 40; next", "000", 0, ""},
        {"find 61; press; next", "110", 0, ""},  // not under a held button: it would take the stroke
    };
    for (const auto& c : cases) {
        SetUp();
        Run(c.Steps);
        std::string marks;
        for (int n = 0; n < 3; ++n) {
            const TStageChange* change = Doc().Comparison().Change(n);
            marks += Doc().Comparison().On() ? (change ? "mcar"[static_cast<int>(change->Kind)] : '.')
                                             : static_cast<char>('0' + Doc().Search().Found(n));
        }
        EXPECT_EQ(marks, c.Marks) << c.Steps;
        EXPECT_EQ(Doc().StageNum(), c.Number) << c.Steps;
        EXPECT_EQ(Joined(Asker.Asked), c.Asked) << c.Steps;
    }
}

// Closing, Load, opening stage 02 and Save ask first, and do what the
// answer says; Cancel changes nothing, not even the stage number.
TEST_F(DocumentTest, OperationsAskBeforeWorkIsLostOrReplaced)
{
    const struct {
        const char* Steps;  // after "load 1"
        const char* Asked;
        int Number;           // the stage number afterwards
        const char* Caption;  // the live stage's afterwards
        bool FileHoldsEdit;   // record 01 holds the painted stage
        bool Unsaved;
    } cases[] = {
        {"close", "", 1, "One", false, false},
        {"paint; answer save; close", "unsaved 01 One", 1, "One", true, false},
        {"paint; answer discard; close", "unsaved 01 One", 1, "One", false, true},
        {"paint; answer cancel; close", "unsaved 01 One", 1, "One", false, true},
        {"paint; answer save; Load", "unsaved 01 One", 1, "One", true, false},
        {"paint; answer discard; Load", "unsaved 01 One", 1, "One", false, false},
        {"paint; answer discard; open 0", "unsaved 01 One", 0, "Zero", false, false},
        {"paint; answer cancel; open 0", "unsaved 01 One", 1, "One", false, true},
        {"paint; remove; answer save no; open 0", "unsaved 01 One; create Stage.Dat", 1, "One", false, true},
        {"paint; number 0; answer no; Save", "replace 00 of Stage.Dat: Zero by One", 0, "One", false, true},
        {"paint; number 0; answer yes; Save", "replace 00 of Stage.Dat: Zero by One", 0, "One", false, false},
        {"paint; remove; answer yes; Save", "create Stage.Dat", 1, "One", true, false},
        {"paint; remove; twins; Save", "save failed: STAGE.DAT and stage.dat both exist; remove one", 1, "One", false,
         true},
        // A file that ends inside stage 01: a Save there or past it asks.
        {"paint; cut 9000; Save", "save over the piece as 01", 1, "One", false, true},
        {"paint; cut 9000; answer yes; Save", "save over the piece as 01", 1, "One", true, false},
        {"paint; cut 3000; number 0; answer yes; Save", "save over the piece as 00", 0, "One", false, false},
        {"paint; cut 9000; number 0; answer yes; Save", "replace 00 of Stage.Dat: Zero by One", 0, "One", false, false},
    };
    for (const auto& c : cases) {
        SetUp();
        Run("load 1; paint");
        const StageRecord edited = E->Capture();
        Run("paint back; " + std::string(c.Steps));
        EXPECT_EQ(Joined(Asker.Asked), c.Asked) << c.Steps;
        EXPECT_EQ(Doc().StageNum(), c.Number) << c.Steps;
        EXPECT_EQ(E->Form.Caption.Str(), c.Caption) << c.Steps;
        StageRecord record;
        EXPECT_EQ(ReadStageRecord(File(), 1, record) && RecordsEqual(record, edited), c.FileHoldsEdit) << c.Steps;
        EXPECT_EQ(Doc().Unsaved(), c.Unsaved) << c.Steps;
    }
}

// A Save that fails says why, once, and changes nothing: a folder in the
// stage file's place, or a stage file another program made while Save asked
// to create one (it is left alone).
TEST_F(DocumentTest, AFailedSaveSaysWhyAndChangesNothing)
{
    Run("load 1; paint; remove");
    std::filesystem::create_directory(File());
    Run("Save");
    ASSERT_EQ(Asker.Asked.size(), 1u);
    EXPECT_EQ(Asker.Asked[0].rfind("save failed: Stage.Dat: ", 0), 0u) << Asker.Asked[0];
    EXPECT_TRUE(Doc().Unsaved());

    std::filesystem::remove(File());
    Asker.Asked.clear();
    const std::string other = RecordBytes(Stage("Other"));
    Asker.WhileAsking = [&] { WriteFile(File(), other); };
    Run("answer yes; Save");
    ASSERT_EQ(Asker.Asked.size(), 2u);
    EXPECT_EQ(Asker.Asked[0], "create Stage.Dat");
    EXPECT_EQ(Asker.Asked[1].rfind("save failed: ", 0), 0u);
    EXPECT_EQ(ReadFile(File()), other);
    EXPECT_TRUE(Doc().Unsaved());
}

// Another program's change to the record the live stage came from is told
// once per new content: a question to load it, or, while the live stage has
// changes of its own, a note. The editor's own saves and loads never count.
TEST_F(DocumentTest, ChangesOnDiskToTheLiveStagesRecordAreToldOncePerContent)
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
        Asker.Asked.clear();
        Run("look");
        EXPECT_EQ(Change.StageChanged, c.Number >= 0) << c.Steps;
        EXPECT_EQ(Change.Number, c.Number) << c.Steps;
        EXPECT_EQ(Change.Unsaved, c.Unsaved) << c.Steps;
        const std::string told = c.Number < 0 ? ""
                                 : c.Unsaved  ? "told changed " + StageNumberText(c.Number)
                                              : "changed " + StageNumberText(c.Number);
        EXPECT_EQ(Joined(Asker.Asked), told) << c.Steps;
    }
    // Answered yes, the changed stage is loaded.
    SetUp();
    Run("load 1; put 1 Other; answer yes; look");
    EXPECT_EQ(E->Form.Caption.Str(), "Other");
    EXPECT_FALSE(Doc().Unsaved());
}

// The live stage follows its record through the stage set operations: to
// its new number when it moves, loaded again when it is replaced (asked
// first while it has changes that are not saved), back again on undo.
TEST_F(DocumentTest, TheLiveStageFollowsItsRecordThroughSetOperations)
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
        {"paint; set clear 1", 1, 1, "One", true, "cancelled"},
        {"paint; answer discard; set clear 1", 1, 1, "Undefined Stage", false, ""},
        {"paint; answer save; set clear 1", 1, 1, "Undefined Stage", false, ""},
        {"set delete 1", 1, 1, "Undefined Stage", false, ""},
        {"number 7; set move 1 2", 7, 2, "One", false, ""},
        {"set move 1 2; set undo", 1, 1, "One", false, ""},
        {"set move 1 2; set undo; set redo", 2, 2, "One", false, ""},
        {"set clear 1; set undo", 1, 1, "One", false, ""},
        {"set delete 1; set undo", 1, 1, "One", false, ""},  // back with its record
        {"set delete 1; paint; set undo", 2, 2, "Undefined Stage", true, ""},
        {"set delete 1; load 0; set undo", 0, 0, "Zero", false, ""},  // gone to another stage
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
        EXPECT_EQ(Doc().StageNum(), c.Number) << c.Steps;
        EXPECT_EQ(Doc().Saved().Origin, c.Origin) << c.Steps;
        EXPECT_EQ(E->Form.Caption.Str(), c.Caption) << c.Steps;
        EXPECT_EQ(Doc().Unsaved(), c.Unsaved) << c.Steps;
        EXPECT_EQ(E->Form.WindowCaption().substr(E->Form.WindowCaption().find(" - Stage ") + 9, 2),
                  StageNumberText(c.Number))
            << c.Steps;
        // What the editor remembers followed: no question, no change told.
        EXPECT_FALSE(Doc().ReplaceQuestion().has_value()) << c.Steps;
        Run("look");
        EXPECT_FALSE(Change.StageChanged) << c.Steps;
    }
}

// Another game folder, once the question over unsaved work allows it:
// nothing of the old folder's file is remembered, so its records raise no
// question there, and the editor starts over at stage 0.
TEST_F(DocumentTest, AnotherGameFolderStartsOver)
{
    Run("load 1; paint; number 4");
    const std::filesystem::path other = Dir / "other";
    std::filesystem::create_directories(other);
    ASSERT_TRUE(PutStageRecord(other / "STAGE.DAT", 1, Stage("Elsewhere")));
    ASSERT_TRUE(PutStageRecord(other / "STAGE.DAT", 0, Stage("First")));
    std::filesystem::resize_file(other / "STAGE.DAT", 9000);
    EXPECT_FALSE(Doc().OpenFolder(other / "."));  // cancelled
    EXPECT_EQ(Doc().GameFolder(), Dir);
    Run("answer discard");
    Told.clear();
    ASSERT_TRUE(Doc().OpenFolder(other / "."));
    EXPECT_EQ(Doc().GameFolder(), other);
    EXPECT_EQ(Doc().StageNum(), 0);
    EXPECT_EQ(E->Form.Caption.Str(), "First");  // found ignoring letter case
    EXPECT_EQ(Doc().Saved().Remembered(1), nullptr);
    EXPECT_FALSE(Doc().Unsaved());
    EXPECT_EQ(E->Form.History.Count(), 0);
    ASSERT_FALSE(Told.empty());
    EXPECT_TRUE(Told.back() & FolderChanged);
    Asker.Asked.clear();
    Run("events");  // once the windows show: the piece the file ends with
    EXPECT_EQ(Joined(Asker.Asked), "told STAGE.DAT ends inside stage 01 (3000 of 6000 bytes).");
    Run("look");
    EXPECT_FALSE(Change.StageChanged);
}

// The observers hear of each change once, after the event that made it;
// frames that only turn the tiles tell nothing.
TEST_F(DocumentTest, ObserversAreToldWhatChanged)
{
    Run("load 1; events");
    Told.clear();
    const struct {
        const char* Steps;
        unsigned Told;  // or-ed over the steps
    } cases[] = {
        {"ticks 500; events", 0},
        {"paint", 0},  // nothing until the event is done
        {"events", UnsavedChanged},
        {"paint; events", 0},
        {"undo; undo; events", UnsavedChanged | TitleChanged},
        {"number 3", StageNumberChanged | TitleChanged},
        {"number 3", 0},
        {"setting; ok; events", TitleChanged | UnsavedChanged},
        {"save", 0},
        {"events", UnsavedChanged},
        {"Save", RecordsChanged},
    };
    for (const auto& c : cases) {
        Told.clear();
        Run(c.Steps);
        unsigned told = 0;
        for (const unsigned changes : Told)
            told |= changes;
        EXPECT_EQ(told, c.Told) << c.Steps;
    }
}

// While the stage is unsaved a copy is kept, at most once a second and at
// once under a new number; it goes once the stage is saved. A copy an ended
// editor left is offered: restored (and then kept as this editor's own),
// discarded, or left for later.
TEST_F(DocumentTest, TheRecoveryCopyFollowsTheStage)
{
    const auto copy = [&]() -> std::optional<TRecoveryCopy> {
        Doc().Recovery()->Finish();
        return DecodeRecoveryCopy(ReadFile(Doc().Recovery()->CopyFile()));
    };
    Run("load 1; events");
    EXPECT_FALSE(copy().has_value());  // saved
    Run("paint; events");
    std::optional<TRecoveryCopy> kept = copy();
    ASSERT_TRUE(kept.has_value());
    EXPECT_EQ(kept->StageNumber, 1);
    EXPECT_TRUE(RecordsEqual(kept->Record, E->Capture()));
    Run("paint; events");
    EXPECT_FALSE(RecordsEqual(copy()->Record, E->Capture()));  // within the second
    Run("second");
    EXPECT_TRUE(RecordsEqual(copy()->Record, E->Capture()));
    Run("set move 1 3; events");
    EXPECT_EQ(copy()->StageNumber, 3);  // at once
    Run("save; events");
    EXPECT_FALSE(copy().has_value());
    EXPECT_TRUE(E->Host.Errors.empty());

    const struct {
        const char* Answer;
        bool Restored;
        int CopiesLeft;  // the ended editor's
    } offers[] = {{"restore", true, 0}, {"discard", false, 0}, {"later", false, 1}};
    for (const auto& o : offers) {
        SetUp();
        Run("answer " + std::string(o.Answer) + "; restore 2 Edited");
        EXPECT_EQ(Joined(Asker.Asked), "restore 02");
        EXPECT_EQ(E->Form.Caption.Str(), o.Restored ? "Edited" : "Zero") << o.Answer;
        EXPECT_EQ(Doc().StageNum(), o.Restored ? 2 : 0) << o.Answer;
        EXPECT_EQ(Doc().Unsaved(), o.Restored) << o.Answer;
        EXPECT_EQ(Doc().Recovery()->LeftCopies().size(), static_cast<std::size_t>(o.CopiesLeft)) << o.Answer;
    }
}

}  // namespace
