// A background picture that cannot be read, met in the middle of loading,
// undo, redo, a text map import and the display's own start-up: the whole
// stage is applied, the picture's failure is reported once, and a save right
// after writes exactly the stage shown. A picture mended or otherwise
// changed on disk is noticed.
#include "engine/DXClass.h"
#include "storage/StageFile.h"
#include "support/EngineTestKit.h"
#include "support/FakeHost.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace fs = std::filesystem;

namespace {

// A stage that differs from every other made here in each stored part.
StageRecord MakeStage(const char* caption, const char* picture, int seed)
{
    StageRecord r;
    TMainForm::EmptyStage(r);
    r.Caption.Assign(std::string(caption));
    r.BG_Bitmap.Assign(std::string(picture));
    r.SI_Bitmap.Assign("intro" + std::to_string(seed) + ".bmp");
    r.BG_Color = RGBColor(10 * seed, 20, 30);
    r.BG_H_Tile = static_cast<std::uint8_t>(seed % 2);
    r.BG_V_Tile = static_cast<std::uint8_t>(1 - seed % 2);
    for (int i = 0; i < EnemyTypeCount; ++i)
        r.EnemyCount[i] = static_cast<std::uint16_t>(i + seed);
    r.EnemyCount[20] = 7;  // a slot past the 16 types, which a text map leaves as it is
    r.MaxCount = static_cast<std::uint16_t>(3 + seed);
    for (int x = 0; x < FieldColumns; ++x)
        for (int y = 0; y < FieldRows; ++y) {
            r.BG[x][y] = static_cast<std::int16_t>((x + y + seed) % 4);
            r.FG[x][y] = static_cast<std::int16_t>((x * y + seed) % 5 == 0 ? 8 + (x + seed) % 4 : -1);
        }
    return r;
}

int Total(const StageRecord& r)
{
    int total = 0;
    for (int i = 0; i < EnemyTypeCount; ++i)
        total += r.EnemyCount[i];
    return total;
}

// An editor on a display, in a folder with a stage file of four empty records
// and the pictures "Map\good.bmp" and "Map\cut.bmp" (a cut-short copy).
struct TScene {
    TPlatformScope Platform;
    TMemoryWindow Window{640, 480};
    fs::path Folder;
    TEditorFixture E;
    // Before: the stage on the display, with a picture that loads. After: the
    // stage the operation brings, whose picture is a cut-short BMP.
    StageRecord Before = MakeStage("Before", "good.bmp", 1);
    StageRecord After = MakeStage("After", "cut.bmp", 2);

    std::string PictureError;  // what reading cut.bmp raises

    explicit TScene(const std::string& name)
    {
        Folder = fs::path(testing::TempDir()) / ("damaged-picture-" + name);
        fs::remove_all(Folder);
        fs::create_directories(Folder / "Map");
        const auto bmp = MakeBmpFile(CheckerSpec(64, 64, 8, {0x102030, 0x405060}));
        WriteFile((Folder / "Map" / "good.bmp").string(), bmp);
        WriteFile((Folder / "Map" / "cut.bmp").string(), std::vector<std::uint8_t>(bmp.begin(), bmp.end() - 100));
        try {
            TBitmap().LoadFromFile(Folder / "Map" / "cut.bmp");
        } catch (const std::exception& error) {
            PictureError = error.what();
        }
        E.Form.Document.SetPictureFolder(Folder);
        E.Form.Document.SetStageFileName(Folder / "Stage.Dat");
        StageRecord empty;
        TMainForm::EmptyStage(empty);
        CreateStageFile(E.Form.Document.StageFileName(), 4, empty);
        E.Form.DXDraw->SetWindow(&Window);
        E.Form.DXDraw->Initialize();
        Show(Before);
    }
    ~TScene() { fs::remove_all(Folder); }

    // Applies a stage with its picture, as a plain load does, and forgets
    // what that reported.
    void Show(const StageRecord& r)
    {
        E.Form.ApplyStage(r);
        E.Host.Errors.clear();
    }

    void WriteRecord(int number, const StageRecord& r)
    {
        StageRecord empty;
        TMainForm::EmptyStage(empty);
        ASSERT_TRUE(WriteStageRecord(E.Form.Document.StageFileName(), number, r, empty));
    }

    // The whole of `r` is on the display, titled, without its picture, with
    // the failure reported once; a save writes exactly `r`.
    void ExpectShownAndSaved(const StageRecord& r, const char* what)
    {
        EXPECT_TRUE(SameBytes(E.Capture(), r)) << what;
        EXPECT_EQ(E.Form.EnemyTotal, Total(r)) << what;
        EXPECT_EQ(E.Form.WindowCaption(), std::string(TitleBase) + " - Stage 03 (" + r.Caption.Str() + ")") << what;
        EXPECT_EQ(E.Form.OptionCaption(), "&EC=" + std::to_string(Total(r))) << what;
        EXPECT_FALSE(E.Form.PictureLoaded) << what;
        ASSERT_EQ(E.Host.Errors.size(), 1u) << what;
        EXPECT_FALSE(PictureError.empty());
        EXPECT_EQ(E.Host.Errors[0], PictureError) << what;
        ASSERT_TRUE(E.Form.WriteStageFile()) << what;
        StageRecord saved;
        ASSERT_TRUE(ReadStageRecord(E.Form.Document.StageFileName(), 3, saved)) << what;
        EXPECT_TRUE(SameBytes(saved, r)) << what;
    }
};

TEST(DamagedPicture, EveryPathAppliesTheWholeStageAndReportsOnce)
{
    const struct {
        const char* Name;
        std::function<void(TScene&)> Arrange;
        std::function<void(TScene&)> Act;
        int Position, Count;
    } cases[] = {
        {"load", [](TScene& s) { s.WriteRecord(3, s.After); }, [](TScene& s) { s.E.Form.LoadStage(); }, -1, 0},
        // After is the snapshot that undo brings back.
        {"undo",
         [](TScene& s) {
             s.Show(s.After);
             s.E.Form.PushHistory();
             s.Show(s.Before);
         },
         [](TScene& s) { s.E.Form.Undo(); }, -1, 1},
        // After is the stage that undo took back, and redo brings again.
        {"redo",
         [](TScene& s) {
             s.E.Form.PushHistory();
             s.Show(s.After);
             s.E.Form.Undo();
             s.E.Host.Errors.clear();
         },
         [](TScene& s) { s.E.Form.Redo(); }, 0, 1},
        // The text map of After, as another editor exported it.
        {"import", [](TScene&) {},
         [](TScene& s) {
             TEditorFixture source;
             source.Form.Document.SetStageNum(3);
             source.Form.ApplyStage(s.After);
             EXPECT_TRUE(s.E.Form.ImportTextMap(source.Form.ExportTextMap()));
         },
         0, 1},
    };
    for (const auto& c : cases) {
        TScene s(c.Name);
        s.E.Form.Document.SetStageNum(3);
        s.E.Form.UpdateTitle();
        c.Arrange(s);
        ASSERT_TRUE(s.E.Form.PictureLoaded) << c.Name;
        ASSERT_TRUE(s.E.Host.Errors.empty()) << c.Name;
        EXPECT_NO_THROW(c.Act(s)) << c.Name;
        s.ExpectShownAndSaved(s.After, c.Name);
        EXPECT_EQ(s.E.Form.History.Position(), c.Position) << c.Name;
        EXPECT_EQ(s.E.Form.History.Count(), c.Count) << c.Name;
        EXPECT_EQ(s.E.Host.UndoEnabled, c.Position >= 0) << c.Name;
        EXPECT_EQ(s.E.Host.RedoEnabled, c.Position < c.Count - 1) << c.Name;
    }
}

TEST(DamagedPicture, TheDisplaysOwnStartAndRepairReportAndGoOn)
{
    TScene s("display");
    s.E.Form.Document.SetStageNum(3);
    s.E.Form.DXDraw->Finalize();
    s.Show(s.After);  // no display: the name is only stored
    EXPECT_NO_THROW(s.E.Form.DXDraw->Initialize());
    EXPECT_TRUE(s.E.Form.DXDraw->Initialized());
    EXPECT_TRUE(s.E.Form.DXTimer->Enabled());
    s.ExpectShownAndSaved(s.After, "start");

    // Lost surfaces are restored by the next frame's check, and the frame
    // is still drawn.
    s.E.Host.Errors.clear();
    s.E.Form.DXDraw->DDraw()->IDraw()->LoseAllSurfaces();
    EXPECT_NO_THROW(s.E.Form.DXTimerTimer(0));  // no tick, so nothing animates
    EXPECT_TRUE(s.E.Form.DXDraw->CanDraw());
    s.ExpectShownAndSaved(s.After, "restore");
}

// Whatever another program does to the picture's file counts as a change
// until the display loads it again; the display's own loads never do.
TEST(DamagedPicture, APictureChangedOnDiskIsNoticedUntilReloaded)
{
    TScene s("changed");
    const fs::path good = s.Folder / "Map" / "good.bmp";
    const fs::path cut = s.Folder / "Map" / "cut.bmp";
    const auto other = MakeBmpFile(CheckerSpec(32, 32, 8, {0x111111, 0x222222}));
    // The damaged picture mended: a change, though nothing was shown.
    s.Show(s.After);
    ASSERT_FALSE(s.E.Form.PictureLoaded);
    EXPECT_FALSE(s.E.Form.PictureChangedOnDisk());
    WriteFile(cut.string(), other);
    EXPECT_TRUE(s.E.Form.PictureChangedOnDisk());
    s.E.Form.DXDraw->Restore();
    EXPECT_TRUE(s.E.Form.PictureLoaded);

    s.Show(s.Before);
    const struct {
        const char* Name;
        std::function<void()> Change;
    } cases[] = {
        {"nothing", [] {}},
        {"rewritten", [&] { WriteFile(good.string(), other); }},
        {"replaced by a rename", [&] { fs::rename(cut, good); }},
        {"removed", [&] { fs::remove(good); }},
        {"come back", [&] { WriteFile(cut.string(), other), fs::rename(cut, good); }},
    };
    for (const auto& c : cases) {
        c.Change();
        EXPECT_EQ(s.E.Form.PictureChangedOnDisk(), std::string(c.Name) != "nothing") << c.Name;
        s.E.Form.DXDraw->Restore();
        EXPECT_FALSE(s.E.Form.PictureChangedOnDisk()) << c.Name;
    }
    // Without a display nothing is loaded, so nothing is out of date.
    s.E.Form.DXDraw->Finalize();
    fs::remove(good);
    EXPECT_FALSE(s.E.Form.PictureChangedOnDisk());
}

}  // namespace
