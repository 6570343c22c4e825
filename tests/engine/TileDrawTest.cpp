// Tile layers and image sprites drawn through the engine onto a display.
#include "support/EngineTestKit.h"

#include "engine/DXSprite.h"

#include <gtest/gtest.h>

namespace {

// 4 x 1 patterns of 4 x 4; pattern n is filled with colour n + 1, and pattern 3
// is wholly transparent.
struct TileDrawTest : testing::Test {
    TPlatformScope Platform;
    TMemoryWindow Window{64, 48};
    TDXDraw Display{&Window};
    TDXImageList Images;
    TDXSpriteEngine Sprites;
    TPictureCollectionItem* Tiles = nullptr;
    static constexpr std::uint32_t Mark = 0x777777;
    static constexpr std::uint32_t Colours[] = {0x110000, 0x002200, 0x000033, 0xF800F8};

    TileDrawTest()
    {
        TDibPicture picture;
        picture.Width = 16;
        picture.Height = 4;
        picture.Palette.assign(std::begin(Colours), std::end(Colours));
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 16; ++x)
                picture.Indices.push_back(static_cast<std::uint8_t>(x / 4));
        Tiles = &Images.Items.Add();
        Tiles->SetName("tiles");
        Tiles->Picture = MakeDib(picture);
        Tiles->PatternWidth = Tiles->PatternHeight = 4;
        Tiles->TransparentColor = RGBColor(248, 0, 248);
        Images.SetDXDraw(&Display);
        Sprites.SetDXDraw(&Display);
        Display.Initialize();
        Display.Surface()->Fill(Mark);
    }
    ~TileDrawTest() override
    {
        Sprites.SetDXDraw(nullptr);
        Images.SetDXDraw(nullptr);
    }
    std::uint32_t At(int x, int y) { return Display.Surface()->Pixel(x, y); }
    std::uint32_t Pattern(int n) { return Colours[n]; }
};

TEST_F(TileDrawTest, LayerAtMinusOneCellShowsColumnOneAndRowOneAtTheOrigin)
{
    auto* layer = new TBackgroundSprite(&Sprites.Engine);
    layer->TileImage = Tiles;
    layer->SetGridSize(3, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x)
            layer->PutCell(x, y, (x + y) % 3);
    layer->X = -4;
    layer->Y = -4;
    EXPECT_EQ(layer->ExtentRect(), (TRect{-4, -4, 8, 8}));
    Sprites.Draw();
    EXPECT_EQ(Sprites.Engine.DrawnCount(), 1);
    EXPECT_EQ(At(0, 0), Pattern((1 + 1) % 3));  // cell (1, 1)
    EXPECT_EQ(At(4, 0), Pattern((2 + 1) % 3));  // cell (2, 1)
    EXPECT_EQ(At(0, 4), Pattern((1 + 2) % 3));  // cell (1, 2)
    EXPECT_EQ(At(8, 0), Mark);
}

TEST_F(TileDrawTest, EmptyAndOutOfRangeCodesLeaveThePixels)
{
    auto* layer = new TBackgroundSprite(&Sprites.Engine);
    layer->TileImage = Tiles;
    layer->SetGridSize(6, 1);
    const int codes[] = {-1, 4, 3, INT32_MIN, INT32_MAX, 1};
    for (int x = 0; x < 6; ++x)
        layer->PutCell(x, 0, codes[x]);
    Sprites.Draw();
    for (int x = 0; x < 5; ++x)
        EXPECT_EQ(At(4 * x + 1, 1), Mark) << codes[x];
    EXPECT_EQ(At(21, 1), Pattern(1));
}

TEST_F(TileDrawTest, LayerWithoutImageHasNoExtentAndFarLayersDrawNothing)
{
    auto* bare = new TBackgroundSprite(&Sprites.Engine);
    bare->SetGridSize(4, 4);
    EXPECT_EQ(bare->ExtentRect(), TRect{});
    auto* far = new TBackgroundSprite(&Sprites.Engine);
    far->TileImage = Tiles;
    far->SetGridSize(2, 2);
    far->X = -1e300;
    far->Y = 1e300;
    Sprites.Draw();
    EXPECT_EQ(Sprites.Engine.DrawnCount(), 0);
    far->X = 2147483000.0;
    far->Y = -2147483000.0;
    Sprites.Draw();
    EXPECT_EQ(At(0, 0), Mark);
}

TEST_F(TileDrawTest, ImageSpritesShowTheirFrameCentredInTheirBox)
{
    auto* sprite = new TImageSprite(&Sprites.Engine);
    sprite->SetSpriteImage(Tiles);
    EXPECT_EQ(sprite->FrameCount, 4);
    EXPECT_EQ(sprite->Width, 4);
    sprite->Width = 8;  // the pattern sits 2 pixels in
    sprite->X = 10;
    sprite->Y = 10;
    sprite->FramePos = 2.7;
    Sprites.Draw();
    EXPECT_EQ(At(12, 10), Pattern(2));
    EXPECT_EQ(At(11, 10), Mark);
    sprite->FirstFrame = 5;  // past the last pattern: nothing
    Display.Surface()->Fill(Mark);
    Sprites.Draw();
    EXPECT_EQ(At(12, 10), Mark);
}

TEST_F(TileDrawTest, EngineTargetFollowsTheDisplay)
{
    EXPECT_EQ(Sprites.Engine.Target(), Display.Surface());
    EXPECT_EQ(Sprites.Engine.TargetRect, (TRect{0, 0, 64, 48}));
    Display.Finalize();
    EXPECT_EQ(Sprites.Engine.Target(), nullptr);
    EXPECT_EQ(Sprites.Engine.TargetRect, (TRect{0, 0, 64, 48}));
    Sprites.Draw();  // not initialised: nothing happens
}

}  // namespace
