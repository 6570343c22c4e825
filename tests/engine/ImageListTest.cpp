// The image list: lookup by name, cutting pictures into patterns, drawing
// patterns, and the colour table; with the embedded art as well.
#include "support/EngineTestKit.h"

#include "art/ArtData.h"

#include <gtest/gtest.h>

namespace {

struct ImageListTest : testing::Test {
    TPlatformScope Platform;
    TMemoryWindow Window{640, 480};
    TDXDraw Display{&Window};
    TDXImageList Images;

    TPictureCollectionItem& AddArt(const char* name, const TArtBlob& blob, int pattern, TColor transparent)
    {
        TPictureCollectionItem& item = Images.Items.Add();
        item.SetName(name);
        auto dib = std::make_unique<TDIB>();
        dib->LoadFromPackedDIB(blob.Data, blob.Size);
        item.Picture = std::move(dib);
        item.PatternWidth = item.PatternHeight = pattern;
        item.TransparentColor = transparent;
        return item;
    }
    void Start()
    {
        Display.AutoSize = false;
        Display.SurfaceWidth = 640;
        Display.SurfaceHeight = 480;
        Images.SetDXDraw(&Display);
        Display.Initialize();
    }
    ~ImageListTest() override { Images.SetDXDraw(nullptr); }
};

TEST_F(ImageListTest, FindIgnoresCaseAndRaisesForUnknownNames)
{
    TPictureCollectionItem& flag = AddArt("Flag", ArtFlag, 32, RGBColor(255, 0, 255));
    TPictureCollectionItem& back = AddArt("Back", ArtBack, 16, 16253176);
    for (const char* name : {"flag", "FLAG", "fLaG", "Flag"})
        EXPECT_EQ(&Images.Items.Find(name), &flag) << name;
    EXPECT_EQ(&Images.Items.Find("BACK"), &back);
    for (const char* name : {"flags", "fla", "", "Back "}) {
        try {
            Images.Items.Find(name);
            FAIL() << name;
        } catch (const EPictureCollectionError& e) {
            EXPECT_EQ(std::string(e.what()), std::string("Image '") + name + "' not found");
        }
    }
    // Among equal names the most recently named item wins; renaming moves it.
    TPictureCollectionItem& other = Images.Items.Add();
    other.SetName("FLAG");
    EXPECT_EQ(&Images.Items.Find("flag"), &other);
    other.SetName("pennant");
    EXPECT_EQ(&Images.Items.Find("flag"), &flag);
    EXPECT_EQ(&Images.Items.Find("Pennant"), &other);
    Images.Items.Delete(0);
    EXPECT_EQ(back.Index(), 0);
    EXPECT_EQ(other.Index(), 1);
}

TEST(PictureCollectionHash, BucketOfTheLowerCasedName)
{
    EXPECT_EQ(TPictureCollection::HashOf("Flag"), (4 * 16 + 'f' + 'a') % 256);
    EXPECT_EQ(TPictureCollection::HashOf("back"), (4 * 16 + 'b' + 'c') % 256);
    EXPECT_EQ(TPictureCollection::HashOf("X"), 16);
    EXPECT_EQ(TPictureCollection::HashOf(""), 0);
}

TEST_F(ImageListTest, TheArtIsCutIntoItsPatterns)
{
    TPictureCollectionItem& flag = AddArt("Flag", ArtFlag, 32, RGBColor(255, 0, 255));
    TPictureCollectionItem& back = AddArt("Back", ArtBack, 16, 16253176);
    EXPECT_EQ(flag.PatternCount(), 24);  // before building
    EXPECT_EQ(back.PatternCount(), 64);
    EXPECT_EQ(back.PatternRect(0), TRect{});
    Start();
    EXPECT_EQ(flag.PatternCount(), 24);
    EXPECT_EQ(flag.SurfaceCount(), 1);
    EXPECT_EQ(flag.PatternRect(9), Bounds(32, 32, 32, 32));
    ASSERT_EQ(back.PatternCount(), 64);
    EXPECT_EQ(back.SurfaceCount(), 1);
    for (int n = 0; n < 64; ++n)
        EXPECT_EQ(back.PatternRect(n), Bounds(16 * (n % 16), 16 * (n / 16), 16, 16)) << n;
    EXPECT_EQ(back.PatternRect(64), TRect{});
    EXPECT_EQ(back.PatternRect(-1), TRect{});
    EXPECT_EQ(back.PatternSurface(64), nullptr);
    EXPECT_EQ(back.Width(), 16);
}

TEST_F(ImageListTest, WidePicturesAreSplitIntoBlocksOfWholePatterns)
{
    TPictureCollectionItem& wide = Images.Items.Add();
    wide.SetName("wide");
    wide.Picture = MakeDib(CheckerSpec(1000, 16, 16, {0x112233, 0x445566}));
    wide.PatternWidth = wide.PatternHeight = 16;
    TPictureCollectionItem& whole = Images.Items.Add();
    whole.SetName("whole");
    whole.Picture = MakeDib(CheckerSpec(40, 30, 8, {0x010203, 0x040506}));
    whole.PatternWidth = 40;
    whole.PatternHeight = 30;
    TPictureCollectionItem& tiny = Images.Items.Add();  // narrower than one pattern
    tiny.SetName("tiny");
    tiny.Picture = MakeDib(CheckerSpec(8, 8, 8, {0x010203}));
    tiny.PatternWidth = tiny.PatternHeight = 16;
    Start();
    ASSERT_EQ(wide.SurfaceCount(), 2);
    EXPECT_EQ(wide.SurfaceAt(0)->Width(), 512);
    EXPECT_EQ(wide.SurfaceAt(1)->Width(), 488);
    EXPECT_EQ(wide.PatternCount(), 62);
    EXPECT_EQ(wide.PatternSurface(32), wide.SurfaceAt(1));
    EXPECT_EQ(wide.PatternRect(32), Bounds(0, 0, 16, 16));
    EXPECT_EQ(wide.PatternSurface(31), wide.SurfaceAt(0));
    EXPECT_EQ(wide.PatternRect(31), Bounds(496, 0, 16, 16));
    ASSERT_EQ(whole.PatternCount(), 1);
    EXPECT_EQ(whole.PatternRect(0), Bounds(0, 0, 40, 30));
    EXPECT_EQ(tiny.PatternCount(), 0);
}

TEST_F(ImageListTest, DrawKeysOutTheTransparentColourAndIgnoresBadIndices)
{
    TPictureCollectionItem& back = AddArt("Back", ArtBack, 16, 16253176);
    TDirectDrawSurface probe(nullptr);
    back.Draw(&probe, 0, 0, 0);  // not initialised: nothing
    Start();
    TDirectDrawSurface& target = *Display.Surface();
    const std::uint32_t mark = 0x00ABCDEF;
    target.Fill(mark);
    for (const int index : {-1, 64, 1000, INT32_MIN})
        back.Draw(&target, 0, 0, index);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            ASSERT_EQ(target.Pixel(x, y), mark);
    // Every pattern: keyed pixels keep the mark, the others come from the picture.
    const std::uint32_t key = back.PatternSurface(0)->ColorToPixel(16253176);
    for (int n = 0; n < 64; ++n) {
        back.Draw(&target, 16 * (n % 16), 16 * (n / 16), n);
        const TRect r = back.PatternRect(n);
        for (int y = 0; y < 16; y += 3)
            for (int x = 0; x < 16; x += 3) {
                const std::uint32_t p = back.PatternSurface(n)->Pixel(r.Left + x, r.Top + y);
                ASSERT_EQ(target.Pixel(r.Left + x, r.Top + y), p == key ? mark : p) << n;
            }
    }
}

TEST(BuildColorTable, FixedEntriesThenColoursInUseInOrder)
{
    TPictureCollection items;
    items.BuildColorTable();
    const std::pair<int, std::array<std::uint8_t, 4>> fixed[] = {
        {0, {0, 0, 0, 0}},         {1, {0, 0, 128, 0}},     {2, {0, 128, 0, 0}},     {3, {0, 128, 128, 0}},
        {4, {128, 0, 0, 0}},       {5, {128, 0, 128, 0}},   {6, {128, 128, 0, 0}},   {7, {192, 192, 192, 0}},
        {248, {128, 128, 128, 0}}, {249, {0, 0, 255, 0}},   {250, {0, 255, 0, 0}},   {251, {0, 255, 255, 0}},
        {252, {255, 0, 0, 0}},     {253, {255, 0, 255, 0}}, {254, {255, 255, 0, 0}}, {255, {255, 255, 255, 0}},
    };
    for (const auto& [index, entry] : fixed)
        EXPECT_EQ(items.ColorTable[static_cast<std::size_t>(index)], entry) << index;
    for (int i = 8; i < 248; ++i)
        EXPECT_EQ(items.ColorTable[static_cast<std::size_t>(i)], (std::array<std::uint8_t, 4>{0, 0, 0, 0})) << i;

    // Only the indices a picture uses count, in ascending order; known colours are not repeated.
    TDibPicture picture;
    picture.Width = 3;
    picture.Height = 1;
    picture.Palette = {0x0A0B0C, 0xFF0000, 0x112233, 0x445566};
    picture.Indices = {3, 1, 3};
    items.Add().Picture = MakeDib(picture);
    items.Add();  // no picture: skipped
    items.BuildColorTable();
    EXPECT_EQ(items.ColorTable[8], (std::array<std::uint8_t, 4>{0x66, 0x55, 0x44, 0}));
    EXPECT_EQ(items.ColorTable[9], (std::array<std::uint8_t, 4>{0, 0, 0, 0}));
}

}  // namespace
