// The offscreen stage renderer: the pixels a freshly started editor shows,
// for any number of records in a row, without disturbing a running editor.
#include "editor/Main.h"
#include "editor/RandomGen.h"
#include "editor/StageRenderer.h"
#include "editor/WindowlessEditor.h"
#include "engine/DXDraws.h"
#include "platform/Application.h"
#include "support/EngineTestKit.h"
#include "support/ExampleStages.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

// What `stagetool render` drew before the renderer existed: a new form, the
// record applied, then the display started on a memory window and one frame.
std::vector<std::uint32_t> DrawAsFreshEditor(const StageRecord& record, const fs::path& folder)
{
    TPlatformScope platform;
    TWindowlessHost host;
    TMainForm form(host);
    host.Form = &form;
    form.ToolMode = TToolMode::Pencil;
    form.Document.SetPictureFolder(folder);
    form.ClearLayers();
    form.ApplyStage(record);
    TMemoryWindow window(DisplayWidth, DisplayHeight);
    form.DXDraw->SetWindow(&window);
    form.DXDraw->Initialize();
    form.ShowGrid = false;
    form.ShowStatus = false;
    form.DownPos = TPoint{-1, -1};
    form.DXTimerTimer(0);
    form.DXDraw->Finalize();
    return window.Pixels;
}

// A stage full of exclusive pairs (BG water under FG walls) and shadows, so
// the change rules decide what shows.
StageRecord Crowded(int seed, const char* picture)
{
    StageRecord r;
    EmptyStage(r);
    for (int x = 0; x < FieldColumns; ++x)
        for (int y = 0; y < FieldRows; ++y) {
            r.BG[x][y] = static_cast<std::int16_t>(4 + (x + y + seed) % 4);
            r.FG[x][y] = static_cast<std::int16_t>((x * 7 + y * 3 + seed) % 5 == 0 ? 24 + (x + seed) % 40 : -1);
        }
    r.BG_Bitmap.Assign(std::string(picture));
    r.BG_H_Tile = static_cast<std::uint8_t>(seed % 2);
    return r;
}

struct TFolder {
    fs::path Path;
    explicit TFolder(const std::string& name) : Path(fs::path(testing::TempDir()) / ("renderer-" + name))
    {
        fs::remove_all(Path);
        fs::create_directories(Path / "Map");
    }
    ~TFolder() { fs::remove_all(Path); }
};

}  // namespace

TEST(StageRenderer, DrawsTheExamplesAsAFreshEditorDoesInAnyOrder)
{
    const std::vector<StageRecord> records = ExampleRecords();
    ASSERT_GE(records.size(), 5u);
    std::vector<std::vector<std::uint32_t>> expected;
    for (const StageRecord& r : records)
        expected.push_back(DrawAsFreshEditor(r, ExamplesFolder()));

    TStageRenderer renderer(ExamplesFolder());
    // Forward, backward and each twice: what came before never shows through.
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < records.size(); ++i)
        order.push_back(i);
    for (std::size_t i = records.size(); i-- > 0;)
        order.insert(order.end(), {i, i});
    for (const std::size_t i : order) {
        const TRenderedStage stage = renderer.Render(records[i]);
        EXPECT_EQ(stage.PictureError, "") << i;
        EXPECT_TRUE(stage.Pixels == expected[i]) << "stage " << i;
    }
    // Two pictures among the examples, each decoded once however often shown.
    EXPECT_EQ(renderer.PictureDecodes(), 2);
}

TEST(StageRenderer, ChangeRulesAndPicturesComeOutAsFromAFreshEditor)
{
    TFolder folder("rules");
    WriteFile((folder.Path / "Map" / "a.bmp").string(), MakeBmpFile(CheckerSpec(48, 40, 8, {0x804020, 0x2040A0})));
    WriteFile((folder.Path / "Map" / "b.jpg").string(),
              MakeJpeg(32, 32, std::vector<std::uint32_t>(32 * 32, 0x30C060)));
    const StageRecord stages[] = {Crowded(1, "a.bmp"), Crowded(2, "b.jpg"), Crowded(3, "a.bmp"), Crowded(4, ""),
                                  Crowded(5, "A.BMP")};
    TStageRenderer renderer(folder.Path);
    for (const StageRecord& r : stages)
        EXPECT_TRUE(renderer.Render(r).Pixels == DrawAsFreshEditor(r, folder.Path)) << r.BG_Bitmap.Str();
    EXPECT_EQ(renderer.PictureDecodes(), 2);
}

// Only the picture's top-left 640 x 480 pixels are kept: tiled or not, a
// picture larger than the display shows as the editor shows it whole.
TEST(StageRenderer, APictureLargerThanTheDisplayShowsAsTheEditorShowsIt)
{
    TFolder folder("large");
    WriteFile((folder.Path / "Map" / "wide.bmp").string(), MakeBmpFile(CheckerSpec(700, 300, 9, {0x804020, 0x2040A0})));
    WriteFile((folder.Path / "Map" / "tall.bmp").string(), MakeBmpFile(CheckerSpec(300, 500, 9, {0x102030, 0xA0C0E0})));
    TStageRenderer renderer(folder.Path);
    for (const char* name : {"wide.bmp", "tall.bmp"})
        for (const std::uint8_t across : {std::uint8_t{0}, std::uint8_t{1}})
            for (const std::uint8_t down : {std::uint8_t{0}, std::uint8_t{1}}) {
                StageRecord r;
                EmptyStage(r);
                r.BG_Bitmap.Assign(std::string(name));
                r.BG_H_Tile = across;
                r.BG_V_Tile = down;
                EXPECT_TRUE(renderer.Render(r).Pixels == DrawAsFreshEditor(r, folder.Path)) << name << +across << +down;
            }
    EXPECT_EQ(renderer.PictureDecodes(), 2);
}

TEST(StageRenderer, ReportsADamagedPictureEachTimeAndFollowsAReplacedOne)
{
    TFolder folder("damaged");
    const fs::path file = folder.Path / "Map" / "p.bmp";
    const auto bmp = MakeBmpFile(CheckerSpec(64, 64, 8, {0x102030, 0x405060}));
    WriteFile(file.string(), std::vector<std::uint8_t>(bmp.begin(), bmp.end() - 100));
    const StageRecord stage = Crowded(1, "p.bmp");
    TStageRenderer renderer(folder.Path);
    const TRenderedStage first = renderer.Render(stage);
    EXPECT_NE(first.PictureError, "");
    const TRenderedStage again = renderer.Render(stage);
    EXPECT_EQ(again.PictureError, first.PictureError);
    EXPECT_TRUE(again.Pixels == first.Pixels);
    EXPECT_EQ(renderer.PictureDecodes(), 1);  // reported again, not decoded again

    // Mended under the same name while the renderer lives: the picture shows.
    WriteFile(file.string(), bmp);
    const TRenderedStage mended = renderer.Render(stage);
    EXPECT_EQ(mended.PictureError, "");
    EXPECT_TRUE(mended.Pixels == DrawAsFreshEditor(stage, folder.Path));
    EXPECT_FALSE(mended.Pixels == first.Pixels);
}

TEST(StageRenderer, LeavesTheProgramsStateAlone)
{
    const std::vector<StageRecord> records = ExampleRecords();
    const std::vector<std::uint32_t> expected = DrawAsFreshEditor(records[1], ExamplesFolder());
    // A running editor's state: display settings, idle handler, generator, blank count.
    TDisplayPlatformSettings& settings = DisplayPlatformSettings();
    const TDisplayPlatformSettings saved = settings;
    TPlatformScope::TFakeClock clock;
    settings.Format = TPixelFormat::RGB565;
    settings.ScreenLeft = -1280;
    settings.ScreenWidth = 3200;
    settings.RefreshRate = 75;
    settings.Clock = &clock;
    const TDisplayPlatformSettings before = settings;
    TManualApplication application;
    int idles = 0;
    application.Idle = [&idles](TIdleAnswer& answer) {
        ++idles;
        answer.Done = false;
    };
    SetApplicationHooks(&application);
    RandomSeed = 12345;
    const std::uint64_t waits = VerticalBlankRecord().Waits;

    {
        TStageRenderer renderer(ExamplesFolder());
        for (const StageRecord& r : records)
            renderer.Render(r);
        // Drawn in its own format, whatever the program's.
        EXPECT_TRUE(renderer.Render(records[1]).Pixels == expected);
        EXPECT_EQ(DisplayPlatformSettings().Format, TPixelFormat::RGB565);
    }

    EXPECT_EQ(settings.Format, before.Format);
    EXPECT_EQ(settings.ScreenLeft, before.ScreenLeft);
    EXPECT_EQ(settings.ScreenWidth, before.ScreenWidth);
    EXPECT_EQ(settings.RefreshRate, before.RefreshRate);
    EXPECT_EQ(settings.Clock, &clock);
    EXPECT_EQ(RandomSeed, 12345u);
    EXPECT_EQ(VerticalBlankRecord().Waits, waits);
    EXPECT_FALSE(application.RunIdle().Done);  // the editor's idle handler is still the one
    EXPECT_EQ(idles, 1);
    SetApplicationHooks(nullptr);
    settings = saved;
}

TEST(Downscale, AveragesEachBlock)
{
    // A 4 x 2 picture: a black one with one white pixel, and a two-colour block.
    const std::vector<std::uint32_t> pixels = {0xFFFFFF, 0x000000, 0x102030, 0x304050,
                                               0x000000, 0x000000, 0x102030, 0x304051};
    EXPECT_EQ(Downscale(pixels, 4, 2, 2), (std::vector<std::uint32_t>{0x404040, 0x203040}));
    EXPECT_EQ(Downscale(pixels, 4, 2, 1), pixels);
    // A partial block at the edge is dropped.
    EXPECT_EQ(Downscale(pixels, 4, 2, 3), std::vector<std::uint32_t>{});
    // A wall one pixel thin across an 8 x 8 block still tints it.
    std::vector<std::uint32_t> thin(64, 0);
    for (int x = 0; x < 8; ++x)
        thin[static_cast<std::size_t>(3 * 8 + x)] = 0xF0F0F0;
    EXPECT_EQ(Downscale(thin, 8, 8, 8), std::vector<std::uint32_t>{0x1E1E1E});
    EXPECT_THROW(Downscale(pixels, 4, 3, 2), std::invalid_argument);
    EXPECT_THROW(Downscale(pixels, 4, 2, 0), std::invalid_argument);
    EXPECT_THROW(Downscale(pixels, 4, 2, MaxDownscale + 1), std::invalid_argument);
    // The largest blocks, all white, stay white: no channel spills into another.
    const std::vector<std::uint32_t> white(MaxDownscale * MaxDownscale, 0xFFFFFF);
    EXPECT_EQ(Downscale(white, MaxDownscale, MaxDownscale, MaxDownscale), std::vector<std::uint32_t>{0xFFFFFF});
}
