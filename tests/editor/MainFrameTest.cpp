// The frame handler's pixels: background rules, layer order with shadows,
// animation ticks, the overlay's pens, the status text, and no allocation
// per frame; the picture loading from "Map".
#include "engine/DXClass.h"
#include "support/AllocCounter.h"
#include "support/EngineTestKit.h"
#include "support/FakeHost.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <utility>
#include <vector>

namespace {

constexpr TColor Sky = RGBColor(10, 20, 30);
constexpr std::uint32_t ColourA = 0x204080, ColourB = 0xC0A060;

struct FrameTest : testing::Test {
    TPlatformScope Platform;
    TMemoryWindow Window{640, 480};
    std::filesystem::path Folder;
    TEditorFixture E;

    FrameTest()
    {
        Folder =
            std::filesystem::path(testing::TempDir()) / testing::UnitTest::GetInstance()->current_test_info()->name();
        std::filesystem::remove_all(Folder);
        std::filesystem::create_directories(Folder / "Map");
        E.Form.Document.SetPictureFolder(Folder);
        E.Form.DXDraw->SetWindow(&Window);
        E.Form.DXDraw->Initialize();
        E.ApplyEmpty();
        E.Form.BG_Color = Sky;
        E.Form.ToolMode = TToolMode::Pencil;  // pencil: no overlay of its own
    }
    ~FrameTest() override { std::filesystem::remove_all(Folder); }

    TDirectDrawSurface& Back() { return *E.Form.DXDraw->Surface(); }
    std::uint32_t At(int x, int y) { return Back().Pixel(x, y); }
    std::uint32_t Pixel(std::uint32_t rgb)
    {
        return Back().ColorToPixel(RGBColor(rgb >> 16, (rgb >> 8) & 0xFF, rgb & 0xFF));
    }
    std::uint32_t Colour(TColor c) { return Back().ColorToPixel(c); }
    void Frame(int lag = 1) { E.Form.DXTimerTimer(lag); }
    // A two-colour checker picture of 10-pixel squares, A at (0, 0).
    void UsePicture(int width, int height, const char* name = "pic.bmp")
    {
        WriteFile((Folder / "Map" / name).string(), MakeBmpFile(CheckerSpec(width, height, 10, {ColourA, ColourB})));
        TShortString bitmap;
        bitmap.Assign(name);
        E.Form.SetBGBitmap(bitmap);
        E.Form.DXDraw->Restore();
    }
    // What a cell of the field shows: the first code (top to bottom) whose
    // pattern pixel is not transparent, else the background colour.
    void ExpectCell(int column, int row, std::vector<int> codesTopDown)
    {
        TPictureCollectionItem& tiles = E.Form.DXImageList->Items.Find("back");
        const std::uint32_t key = tiles.PatternSurface(0)->ColorToPixel(16253176);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                std::uint32_t expected = Colour(E.Form.BG_Color);
                for (const int code : codesTopDown) {
                    const TRect r = tiles.PatternRect(code);
                    const std::uint32_t p = tiles.PatternSurface(code)->Pixel(r.Left + x, r.Top + y);
                    if (p != key) {
                        expected = p;
                        break;
                    }
                }
                ASSERT_EQ(At(column * 16 + x, row * 16 + y), expected) << column << "," << row << " +" << x << "," << y;
            }
    }
};

TEST_F(FrameTest, PlainColourWithoutAPicture)
{
    Frame();
    EXPECT_FALSE(E.Form.PictureLoaded);
    EXPECT_EQ(At(0, 0), Colour(Sky));
    EXPECT_EQ(At(639, 300), Colour(Sky));
    EXPECT_EQ(Window.Pixel(5, 5), 0x0A141Eu) << "the frame was presented";
}

TEST_F(FrameTest, PictureTilingRules)
{
    const struct {
        int Width, Height;
        std::uint8_t H, V;  // any byte but 0 tiles
        int X, Y;
        bool Colour;
    } cases[] = {
        // 100 x 50, across only: 7 copies on row 0, colour below.
        {100, 50, true, false, 605, 5, false},
        {100, 50, true, false, 635, 45, false},
        {100, 50, true, false, 5, 55, true},
        // 100 x 50, both ways: 7 x 10 copies.
        {100, 50, true, true, 605, 455, false},
        {100, 50, 2, 255, 605, 455, false},
        // 100 x 50, no repetition: colour right of and below the picture.
        {100, 50, false, false, 105, 5, true},
        {100, 50, false, false, 5, 55, true},
        // Down only: the colour right of the picture runs the full height.
        {100, 50, false, true, 150, 470, true},
        {100, 50, false, true, 5, 455, false},
        // 800 x 600 once, clipped, no colour anywhere.
        {800, 600, false, false, 635, 475, false},
    };
    // Each case on an empty field, and on ground in every cell but the one
    // looked at and its right neighbour (the background shows only there).
    for (const bool ground : {false, true})
        for (const auto& c : cases) {
            E.Form.ClearLayers();
            for (int row = 0; row < FieldRows && ground; ++row)
                for (int column = 0; column < FieldColumns; ++column)
                    if (row != c.Y / 16 || (column != c.X / 16 && column != c.X / 16 + 1))
                        E.SetBG(column, row, 0);
            E.Form.BG_H_Tile = c.H;
            E.Form.BG_V_Tile = c.V;
            UsePicture(c.Width, c.Height, c.Width == 100 ? "small.bmp" : "large.bmp");
            ASSERT_TRUE(E.Form.PictureLoaded);
            Frame();
            const int px = c.X % c.Width, py = c.Y % c.Height;
            const std::uint32_t picture = Pixel((px / 10 + py / 10) % 2 ? ColourB : ColourA);
            EXPECT_EQ(At(c.X, c.Y), c.Colour ? Colour(Sky) : picture)
                << c.Width << " H" << +c.H << " V" << +c.V << " at " << c.X << "," << c.Y << " ground " << ground;
        }
}

TEST_F(FrameTest, LayersShadowsAndTheFlagInDepthOrder)
{
    E.SetBG(10, 10, 1);
    E.SetBG(11, 10, 2);
    E.SetBG(10, 11, 3);
    E.SetFG(10, 10, 40);  // casts 17 right, 19 below, 16 at the corner
    E.SetFG(5, 5, 12);
    E.SetBG(5, 5, 0);
    ASSERT_EQ(E.Shadow(11, 10), 17);
    Frame();
    // The frame's one tick turned BG codes 0..3 on by one.
    ExpectCell(10, 10, {40, 2});
    ExpectCell(11, 10, {17, 3});
    ExpectCell(10, 11, {19, 0});
    ExpectCell(11, 11, {16});
    ExpectCell(5, 5, {12, 1});
    EXPECT_EQ(E.Form.Engine().SpriteCount(), 4);
    EXPECT_EQ(E.Form.Engine().DrawnCount(), 4);
    // The flag's first pattern at (303, 448).
    TPictureCollectionItem& flag = E.Form.DXImageList->Items.Find("flag");
    const std::uint32_t key = flag.PatternSurface(0)->ColorToPixel(RGBColor(255, 0, 255));
    int shown = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const std::uint32_t p = flag.PatternSurface(0)->Pixel(x, y);
            if (p != key) {
                ASSERT_EQ(At(303 + x, 448 + y), p);
                ++shown;
            }
        }
    EXPECT_GT(shown, 50);
}

TEST_F(FrameTest, LagBecomesSixteenMillisecondTicksAndAnimates)
{
    E.SetBG(3, 3, 2);
    const struct {
        int Lag, LagTime, FrameTick;
    } steps[] = {{10, -6, 1}, {10, -12, 2}, {10, -2, 2}, {5, -13, 3}};
    for (const auto& s : steps) {
        Frame(s.Lag);
        EXPECT_EQ(E.Form.LagTime, s.LagTime);
        EXPECT_EQ(E.Form.FrameTick, s.FrameTick);
    }
    // 2 -> 3 -> 0 -> 1 at ticks 1, 2, 3, drawn; the stage keeps its 2.
    EXPECT_EQ(E.Form.BGLayer->DrawnCell(4, 4), 1);
    EXPECT_EQ(E.BG(3, 3), 2);
    ExpectCell(3, 3, {1});
    // With the display finalised nothing runs and the lag is kept.
    E.Form.DXDraw->Finalize();
    Frame(100);
    EXPECT_EQ(E.Form.LagTime, -13);
}

TEST_F(FrameTest, OverlayPensByTool)
{
    E.Form.BG_Color = 0;
    // Pencil, no grid, no drag: nothing over the black field.
    Frame();
    for (int y = 0; y < 440; y += 3)
        for (int x = 0; x < 640; x += 3)
            ASSERT_EQ(At(x, y), 0u);
    const std::uint32_t notMaroon = ~Colour(RGBColor(128, 0, 0)) & 0xFFFFFF;
    const std::uint32_t notGreen = ~Colour(RGBColor(0, 128, 0)) & 0xFFFFFF;
    const std::uint32_t notBlue = ~Colour(RGBColor(0, 0, 255)) & 0xFFFFFF;
    const std::uint32_t notRed = ~Colour(RGBColor(255, 0, 0)) & 0xFFFFFF;
    const std::uint32_t notSilver = ~Colour(RGBColor(192, 192, 192)) & 0xFFFFFF;
    const std::uint32_t notYellow = ~Colour(RGBColor(255, 255, 0)) & 0xFFFFFF;

    E.Form.ToolMode = TToolMode::Select;  // selection: dotted maroon around SelRect
    E.Form.SelRect = TRect{32, 48, 96, 112};
    Frame();
    EXPECT_EQ(At(32, 48), notMaroon);
    EXPECT_EQ(At(34, 48), notMaroon);
    EXPECT_EQ(At(35, 48), 0u);
    EXPECT_EQ(At(31, 48), 0u);
    E.Form.DownPos = TPoint{200, 100};  // and the dashed red drag rectangle
    E.Form.MousePos = TPoint{150, 160};
    Frame();
    EXPECT_EQ(At(150, 100), notRed);
    EXPECT_EQ(At(167, 100), notRed);
    EXPECT_EQ(At(168, 100), 0u);

    E.Form.ToolMode = TToolMode::Fill;  // fill: solid blue, three pixels wide
    Frame();
    EXPECT_EQ(At(149, 130), notBlue);
    EXPECT_EQ(At(151, 130), notBlue);
    EXPECT_EQ(At(152, 130), 0u);
    E.Form.DownPos = TPoint{-1, -1};

    E.Form.ToolMode = TToolMode::Box;  // box cursor
    const struct {
        TPoint Mouse;
        TRect Box;
    } boxes[] = {{{100, 50}, {96, 32, 128, 64}}, {{19, 19}, {0, 0, 32, 32}}};
    for (const auto& b : boxes) {
        E.Form.MousePos = b.Mouse;
        Frame();
        EXPECT_EQ(At(b.Box.Left, b.Box.Top), notGreen);
        EXPECT_EQ(At(b.Box.Left, b.Box.Bottom - 1), 0u);  // a gap of the dash-dot style at index 45
        EXPECT_EQ(At(b.Box.Right - 1, b.Box.Top), notGreen);
        EXPECT_EQ(At(b.Box.Right, b.Box.Top), 0u);
        EXPECT_EQ(At(b.Box.Left + 1, b.Box.Top + 1), 0u);
    }

    E.Form.ToolMode = TToolMode::Pencil;
    E.Form.ShowGrid = true;
    Frame();
    EXPECT_EQ(At(80, 0), notSilver);
    EXPECT_EQ(At(160, 0), notYellow);
    EXPECT_EQ(At(80, 9), 0u);  // dash-dot-dot gap
    EXPECT_EQ(At(0, 400), notSilver);
    EXPECT_EQ(At(0, 320), notYellow);
}

TEST_F(FrameTest, StatusTextHasFourLines)
{
    E.Form.BG_Color = 0;
    auto inkRows = [&] {
        std::vector<int> rows;
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 200; ++x)
                if (At(x, y) != 0) {
                    rows.push_back(y);
                    break;
                }
        return rows;
    };
    Frame();
    EXPECT_TRUE(inkRows().empty());
    E.Form.ShowStatus = true;
    Frame();
    const auto rows = inkRows();
    ASSERT_FALSE(rows.empty());
    for (const int top : {0, 24, 48, 72})
        EXPECT_TRUE(std::any_of(rows.begin(), rows.end(), [&](int y) { return y >= top && y < top + 20; })) << top;
    EXPECT_TRUE(std::all_of(rows.begin(), rows.end(), [](int y) { return y < 96; }));
    EXPECT_EQ(At(0, 200), 0u);  // nothing below the four lines
}

TEST_F(FrameTest, FramesAllocateNothingAfterTheFirst)
{
    UsePicture(100, 50);
    E.Form.BG_H_Tile = E.Form.BG_V_Tile = true;
    E.Form.ShowGrid = E.Form.ShowStatus = true;
    E.Form.ToolMode = TToolMode::Select;
    E.Form.DownPos = TPoint{10, 10};
    E.Form.MousePos = TPoint{300, 200};
    for (int x = 0; x < 40; ++x)
        E.SetFG(x, 7, 40 + x % 16);
    // Our outlines too: every cell of the row differs from the empty stage, a quarter is found.
    E.Form.Document.CompareWith({}, "nothing");
    E.Form.ShowCompareOutline = true;
    E.Form.Document.Find({{40}, "", "40 steel"});
    Frame(16);
    const std::size_t before = AllocCounter::Allocations();
    for (int i = 0; i < 5; ++i)
        Frame(16);
    EXPECT_EQ(AllocCounter::Allocations(), before);
}

TEST_F(FrameTest, ActivationSwitchesTheTimer)
{
    E.Form.DXTimerDeactivate();
    EXPECT_FALSE(E.Form.DXTimer->Enabled());
    E.Form.DXTimerActivate();
    EXPECT_TRUE(E.Form.DXTimer->Enabled());
    E.Form.DXDraw->Finalize();
    EXPECT_FALSE(E.Form.DXTimer->Enabled());
    E.Form.DXTimerActivate();
    EXPECT_FALSE(E.Form.DXTimer->Enabled());
}

// --- Loading "Map\" + BG_Bitmap

TEST_F(FrameTest, PictureNamesIgnoreCaseAndUseBackslashes)
{
    std::filesystem::create_directories(Folder / "Map" / "Deserts");
    const auto bmp = MakeBmpFile(CheckerSpec(20, 20, 10, {ColourA, ColourB}));
    WriteFile((Folder / "Map" / "Sky.BMP").string(), bmp);
    WriteFile((Folder / "Map" / "Deserts" / "dune.bmp").string(), bmp);
    WriteFile((Folder / "Map" / "sky.gif").string(), bmp);
    std::filesystem::create_directories(Folder / "Map" / "folder.bmp");
    const struct {
        const char* Name;
        bool Loads;
    } cases[] = {
        {"sky.bmp", true},
        {"SKY.bmp", true},
        {"deserts\\DUNE.BMP", true},
        {"Deserts/dune.bmp", true},
        {"sky.gif", false},
        {"folder.bmp", false},
        {"", false},
        {"missing.bmp", false},
        {"..\\Map\\sky.bmp", true},
    };
    for (const auto& c : cases) {
        TShortString name;
        name.Assign(c.Name);
        E.Form.BG_Bitmap = name;
        E.Form.DXDraw->Restore();
        EXPECT_EQ(E.Form.PictureLoaded, c.Loads) << c.Name;
    }
}

TEST_F(FrameTest, DamagedPictureIsReportedAndTheStageShowsItsColour)
{
    std::vector<std::uint32_t> rgb(64 * 64, 0x336699);
    const auto jpeg = MakeJpeg(64, 64, rgb);
    WriteFile((Folder / "Map" / "cut.JPEG").string(), std::vector<std::uint8_t>(jpeg.begin(), jpeg.begin() + 200));
    WriteFile((Folder / "Map" / "words.bmp").string(), std::vector<std::uint8_t>(300, 'x'));
    for (const char* name : {"cut.JPEG", "words.bmp"}) {
        UsePicture(100, 50);  // a picture that loads, so the failure must clear it
        ASSERT_TRUE(E.Form.PictureLoaded);
        TShortString bitmap;
        bitmap.Assign(name);
        E.Form.BG_Bitmap = bitmap;
        E.Host.Errors.clear();
        EXPECT_NO_THROW(E.Form.DXDraw->Restore()) << name;
        EXPECT_FALSE(E.Form.PictureLoaded) << name;
        ASSERT_EQ(E.Host.Errors.size(), 1u) << name;
        EXPECT_FALSE(E.Host.Errors[0].empty()) << name;
        Frame();
        EXPECT_EQ(At(5, 5), Colour(Sky)) << name;
    }
}

}  // namespace

// A frame equal to the one the back buffer holds is not drawn again; any
// change of what the frame shows draws it, and so does a restore of the
// display's surfaces (their contents are gone).
TEST_F(FrameTest, OnlyAChangedFrameIsDrawnAgain)
{
    // No lag: no tick runs, so only the changes below change the frame.
    Frame(0);
    const int shown = Window.PresentCount;
    Frame(0);
    Frame(0);
    EXPECT_EQ(Window.PresentCount, shown) << "nothing changed";

    const std::vector<std::pair<const char*, std::function<void()>>> changes = {
        {"a BG cell", [&] { E.Form.BGLayer->SetCell(5, 5, 2); }},
        {"an FG cell written silently", [&] { E.Form.FGLayer->PutCell(6, 6, 40); }},
        {"the colour", [&] { E.Form.BG_Color = RGBColor(1, 2, 3); }},
        {"a layer hidden", [&] { E.Form.FGLayer->Visible = false; }},
        {"the grid", [&] { E.Form.ShowGrid = true; }},
        {"the tool", [&] { E.Form.ToolMode = TToolMode::Select; }},
        {"the selection",
         [&] {
             E.Form.SelRect = TRect{16, 16, 64, 64};
         }},
        {"the pointer",
         [&] {
             E.Form.MousePos = TPoint{100, 100};
         }},
        {"a drag",
         [&] {
             E.Form.DownPos = TPoint{10, 10};
         }},
        {"the status lines", [&] { E.Form.ShowStatus = true; }},
        {"the flag's pattern", [&] { E.Form.FlagSprite->FramePos += 1; }},
        {"the surfaces restored", [&] { E.Form.DXDraw->Restore(); }},
    };
    for (const auto& [what, change] : changes) {
        const int before = Window.PresentCount;
        change();
        Frame(0);
        EXPECT_GT(Window.PresentCount, before) << what;
        const int drawn = Window.PresentCount;
        Frame(0);
        EXPECT_EQ(Window.PresentCount, drawn) << what << ": drawn once";
    }

    // Ticks that turn animated tiles draw; ticks that turn nothing do not.
    E.Form.ShowStatus = false;
    E.Form.BGLayer->SetCell(1, 1, 4);  // water turns every 32 ticks
    E.Form.FlagSprite->FrameSpeed = 0;
    E.Form.FrameTick = 4;  // tick 5 turns nothing
    Frame(0);
    int before = Window.PresentCount;
    Frame(16);
    EXPECT_EQ(Window.PresentCount, before) << "a tick that turns nothing";
    for (int i = 0; i < 32; ++i)
        Frame(16);
    EXPECT_GT(Window.PresentCount, before) << "the water turned";

    // Measuring the frame loop draws every frame.
    TMainForm::DrawUnchangedFrames = true;
    before = Window.PresentCount;
    Frame(0);
    TMainForm::DrawUnchangedFrames = false;
    EXPECT_EQ(Window.PresentCount, before + 1);
}
