// What the editor counts as unsaved, what it takes as saved after a load or
// a save, and when a save would replace another stage without asking.
#include "storage/StageFile.h"
#include "support/FakeHost.h"
#include "support/ScratchDir.h"
#include "support/StageFileKit.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace {

// A stage as the editor saves it, with tiles of every animated kind.
StageRecord Stage(const char* caption)
{
    StageRecord record;
    EmptyStage(record);
    record.Caption.Assign(std::string(caption));
    record.BG[2][3] = 2;   // turns in bursts
    record.BG[4][3] = 5;   // turns every 32 ticks
    record.FG[6][3] = 61;  // turns every 32 or 96 ticks
    record.FG[10][10] = 40;
    record.EnemyCount[0] = 4;
    return record;
}

struct SaveStateTest : TScratchDirTest {
    std::unique_ptr<TEditorFixture> Editor;
    TEditorFixture& E() { return *Editor; }

    SaveStateTest() : TScratchDirTest("save-state") {}

    // A new editor on a new stage file: records 0 and 1, an empty record 2.
    void SetUp() override
    {
        TScratchDirTest::SetUp();
        Editor = std::make_unique<TEditorFixture>();
        E().Form.StageFileName = Dir / "Stage.Dat";
        Put(0, Stage("Zero"));
        Put(1, Stage("One"));
        StageRecord empty;
        EmptyStage(empty);
        Put(2, empty);
    }

    void Put(int number, const StageRecord& record)
    {
        ASSERT_TRUE(PutStageRecord(E().Form.StageFileName, number, record));
    }
    StageRecord FileRecord(int number)
    {
        StageRecord record{};
        EXPECT_TRUE(ReadStageRecord(E().Form.StageFileName, number, record));
        return record;
    }
    // The stage number control, then Load, as the designer does.
    void Load(int number)
    {
        E().Host.SetStageNumControl(number);
        E().Form.LoadStage();
    }
    // One edit as the tools make it: a snapshot, then the cell.
    void Paint(int column, int row, int code)
    {
        E().Form.PushHistory();
        E().SetFG(column, row, code);
    }
    void Ticks(int count)
    {
        for (int i = 0; i < count; ++i)
            E().Form.RunTick();
    }
    std::string Caption(const std::optional<TReplaceQuestion>& q) const { return q->FileCaption.Str(); }
};

TEST_F(SaveStateTest, UnsavedMeansTheRecordSaveWouldWriteDiffersFromTheBaseline)
{
    const struct {
        const char* Name;
        std::function<void(SaveStateTest&)> Edit;
        bool Unsaved;
    } cases[] = {
        {"nothing", [](SaveStateTest&) {}, false},
        {"a painted cell", [](SaveStateTest& t) { t.Paint(5, 5, 40); }, true},
        {"a cell painted and painted back",
         [](SaveStateTest& t) {
             t.Paint(5, 5, 40);
             t.Paint(5, 5, -1);
         },
         false},
        {"an edit undone",
         [](SaveStateTest& t) {
             t.Paint(5, 5, 40);
             t.E().Form.Undo();
         },
         false},
        {"an edit undone and redone",
         [](SaveStateTest& t) {
             t.Paint(5, 5, 40);
             t.E().Form.Undo();
             t.E().Form.Redo();
         },
         true},
        {"the option dialog's OK without a change",
         [](SaveStateTest& t) {
             t.E().Form.PushHistory();
             t.E().Form.UpdateTitle();
         },
         false},
        {"a setting", [](SaveStateTest& t) { ++t.E().Form.MaxCount; }, true},
        {"a text map with another caption",
         [](SaveStateTest& t) {
             std::string text = t.E().Form.ExportTextMap();
             text.replace(text.find("One"), 3, "Uno");
             ASSERT_TRUE(t.E().Form.ImportTextMap(text));
         },
         true},
        {"the stage's own text map",
         [](SaveStateTest& t) { ASSERT_TRUE(t.E().Form.ImportTextMap(t.E().Form.ExportTextMap())); }, false},
        {"a thousand ticks of animation", [](SaveStateTest& t) { t.Ticks(1000); }, false},
        {"animation around a mirror done twice",
         [](SaveStateTest& t) {
             t.Ticks(300);
             t.E().Form.SelRect = TRect{0, 0, 640, 480};
             t.E().Form.MirrorSelectionH();
             t.Ticks(77);
             t.E().Form.MirrorSelectionH();
         },
         false},
        {"animation around a copy pasted back",
         [](SaveStateTest& t) {
             t.Ticks(300);
             t.E().Form.SelRect = TRect{0, 0, 640, 480};
             t.E().Form.CopySelection();
             t.Ticks(51);
             t.E().Form.PasteSelection();
         },
         false},
        {"another stage number", [](SaveStateTest& t) { t.E().Host.SetStageNumControl(7); }, false},
    };
    for (const auto& c : cases) {
        Load(1);
        ASSERT_FALSE(E().Form.StageUnsaved()) << c.Name;
        c.Edit(*this);
        EXPECT_EQ(E().Form.StageUnsaved(), c.Unsaved) << c.Name;
    }
}

TEST_F(SaveStateTest, TheBaselineFollowsLoadRandomStageAndSaveButNotAFailedSave)
{
    Load(1);
    EXPECT_TRUE(RecordsEqual(*E().Form.Saved.Baseline(), FileRecord(1)));
    EXPECT_EQ(E().Form.Saved.Origin, 1);

    // A number the file does not hold: the random stage is what counts as saved.
    Load(9);
    EXPECT_EQ(E().Form.Caption.Str(), "Random Stage");
    EXPECT_FALSE(E().Form.StageUnsaved());
    ASSERT_NE(E().Form.Saved.Remembered(9), nullptr);
    EXPECT_FALSE(E().Form.Saved.Remembered(9)->has_value());  // no record there

    Load(1);
    Paint(5, 5, 40);
    EXPECT_TRUE(E().Form.StageUnsaved());
    ASSERT_TRUE(E().Form.WriteStageFile());
    EXPECT_FALSE(E().Form.StageUnsaved());
    EXPECT_TRUE(RecordsEqual(*E().Form.Saved.Baseline(), FileRecord(1)));

    Paint(6, 5, 40);
    const StageRecord before = *E().Form.Saved.Baseline();
    std::filesystem::remove(E().Form.StageFileName);
    EXPECT_FALSE(E().Form.WriteStageFile());
    EXPECT_TRUE(E().Form.StageUnsaved());
    EXPECT_TRUE(RecordsEqual(*E().Form.Saved.Baseline(), before));
}

// Saving a stage nobody edited writes the bytes it was loaded from, however
// long its tiles have turned; so does exporting it.
TEST_F(SaveStateTest, SavingAnUneditedAnimatingStageWritesWhatWasLoaded)
{
    const std::string file = ReadFile(E().Form.StageFileName);
    Load(1);
    const std::string text = E().Form.ExportTextMap();
    for (const int ticks : {1, 15, 16, 17, 31, 32, 96, 1000}) {
        Ticks(ticks);
        ASSERT_TRUE(E().Form.WriteStageFile());
        EXPECT_EQ(ReadFile(E().Form.StageFileName), file) << ticks;
        EXPECT_EQ(E().Form.ExportTextMap(), text) << ticks;
    }
}

TEST_F(SaveStateTest, SaveAsksBeforeReplacingAnotherStage)
{
    const struct {
        const char* Name;
        std::function<void(SaveStateTest&)> Steps;
        std::optional<std::string> Replaced;  // the caption the question names; none: no question
    } cases[] = {
        {"the stage it was loaded from", [](SaveStateTest& t) { t.Paint(5, 5, 40); }, std::nullopt},
        {"another number",
         [](SaveStateTest& t) {
             t.Paint(5, 5, 40);
             t.E().Host.SetStageNumControl(1);
         },
         "One"},
        {"an undo across a load",
         [](SaveStateTest& t) {
             t.Paint(5, 5, 40);
             t.Load(1);
             t.E().Form.Undo();
         },
         "One"},
        {"a redo back to the loaded stage",
         [](SaveStateTest& t) {
             t.Paint(5, 5, 40);
             t.Load(1);
             t.E().Form.Undo();
             t.E().Form.Redo();
             t.Paint(7, 7, 40);
         },
         std::nullopt},
        {"an empty record", [](SaveStateTest& t) { t.E().Host.SetStageNumControl(2); }, std::nullopt},
        {"past the end of the file", [](SaveStateTest& t) { t.E().Host.SetStageNumControl(5); }, std::nullopt},
        {"the same stage at the other number",
         [](SaveStateTest& t) {
             t.Put(1, t.FileRecord(0));
             t.E().Host.SetStageNumControl(1);
         },
         std::nullopt},
        {"its record changed by another program",
         [](SaveStateTest& t) {
             t.Paint(5, 5, 40);
             t.Put(0, Stage("Other"));
         },
         "Other"},
        {"a number saved to before",
         [](SaveStateTest& t) {
             t.E().Host.SetStageNumControl(1);
             ASSERT_TRUE(t.E().Form.WriteStageFile());
             t.Paint(5, 5, 40);
         },
         std::nullopt},
        {"a text map imported as its own number",
         [](SaveStateTest& t) {
             std::string text = t.E().Form.ExportTextMap();
             text.replace(text.find("[Stage00]"), 9, "[Stage01]");
             ASSERT_TRUE(t.E().Form.ImportTextMap(text));
         },
         std::nullopt},
        {"a number the file had no stage at, holding one now",
         [](SaveStateTest& t) {
             t.Load(9);
             t.Put(9, Stage("Nine"));
         },
         "Nine"},
    };
    for (const auto& c : cases) {
        SetUp();
        Load(0);
        c.Steps(*this);
        const std::optional<TReplaceQuestion> question = E().Form.ReplaceQuestion();
        ASSERT_EQ(question.has_value(), c.Replaced.has_value()) << c.Name;
        if (question) {
            EXPECT_EQ(question->Number, E().Form.StageNum) << c.Name;
            EXPECT_EQ(Caption(question), *c.Replaced) << c.Name;
            EXPECT_EQ(question->LiveCaption.Str(), E().Form.Caption.Str()) << c.Name;
        }
    }
}

// A restored stage reads as unsaved against the file's record at its number,
// and as saved once the file holds it.
TEST_F(SaveStateTest, ARestoredStageIsUnsavedUntilSaved)
{
    Load(0);
    StageRecord recovered = Stage("One, edited");
    E().Form.RestoreStage(recovered, 1);
    EXPECT_EQ(E().Form.StageNum, 1);
    EXPECT_EQ(E().Host.Caption.substr(E().Host.Caption.find(" - ")), " - Stage 01 (One, edited)");
    EXPECT_TRUE(E().Form.StageUnsaved());
    EXPECT_FALSE(E().Form.ReplaceQuestion().has_value());
    ASSERT_TRUE(E().Form.WriteStageFile());
    EXPECT_FALSE(E().Form.StageUnsaved());
    EXPECT_TRUE(RecordsEqual(FileRecord(1), recovered));

    // Restored for a number the file does not hold: unsaved whatever it holds.
    E().Form.RestoreStage(Stage("Seven"), 7);
    EXPECT_EQ(E().Form.Saved.Baseline(), nullptr);
    EXPECT_TRUE(E().Form.StageUnsaved());
}

}  // namespace
