// Decoded pictures kept by file: read once while unchanged, again once
// replaced, within their bound.
#include "editor/PictureCache.h"
#include "support/EngineTestKit.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

TEST(PictureCache, DecodesAFileOnceWhileItIsUnchanged)
{
    const fs::path folder = fs::path(testing::TempDir()) / "picture-cache";
    fs::remove_all(folder);
    fs::create_directories(folder);
    const fs::path a = folder / "a.bmp";
    const fs::path b = folder / "b.bmp";
    WriteFile(a.string(), MakeBmpFile(CheckerSpec(16, 16, 4, {0x112233, 0x445566})));
    WriteFile(b.string(), MakeBmpFile(CheckerSpec(32, 16, 4, {0x112233, 0x445566})));
    // Room for one 16 x 16 picture and a 32 x 16 one, not for two of the latter.
    TPictureCache cache(16 * 16 * 4 + 32 * 16 * 4);
    const auto first = cache.Load(a, TPictureFormat::Bmp);
    EXPECT_EQ(cache.Load(a, TPictureFormat::Bmp), first);
    EXPECT_EQ(cache.Decodes(), 1);
    cache.Load(b, TPictureFormat::Bmp);
    EXPECT_EQ(cache.Decodes(), 2);
    EXPECT_EQ(cache.KeptBytes(), std::size_t{16 * 16 * 4 + 32 * 16 * 4});

    // Replaced by a larger picture: read again, and the least recently used
    // one (b) makes room.
    WriteFile(a.string(), MakeBmpFile(CheckerSpec(32, 16, 4, {0x112233, 0x445566})));
    EXPECT_EQ(cache.Load(a, TPictureFormat::Bmp)->Width(), 32);
    EXPECT_EQ(cache.Decodes(), 3);
    EXPECT_EQ(cache.KeptBytes(), std::size_t{32 * 16 * 4});
    cache.Load(b, TPictureFormat::Bmp);
    EXPECT_EQ(cache.Decodes(), 4);

    // A damaged or vanished file raises as the display's load does, every
    // time; it is read again only once it changed.
    WriteFile(b.string(), {'B', 'M', 1, 2, 3});
    EXPECT_THROW(cache.Load(b, TPictureFormat::Bmp), EInvalidGraphic);
    EXPECT_THROW(cache.Load(b, TPictureFormat::Bmp), EInvalidGraphic);
    EXPECT_EQ(cache.Decodes(), 5);
    EXPECT_THROW(cache.Load(folder / "gone.jpg", TPictureFormat::Jpeg), EInvalidGraphic);
    fs::remove_all(folder);
}

// A stage shows a picture's top-left 640 x 480 pixels, repeated from there:
// that is all that is kept, so a picture larger than the whole bound is
// decoded once however many stages name it.
TEST(PictureCache, KeepsTheCornerAStageShowsOfALargePicture)
{
    const fs::path folder = fs::path(testing::TempDir()) / "picture-cache-large";
    fs::remove_all(folder);
    fs::create_directories(folder);
    struct Case {
        const char* Name;
        int Width, Height;
        int KeptWidth, KeptHeight;
    };
    const Case cases[] = {{"wide.bmp", 1000, 300, 640, 300},
                          {"tall.bmp", 200, 700, 200, 480},
                          {"large.bmp", 1000, 900, 640, 480},
                          {"small.bmp", 64, 32, 64, 32}};
    // Room for the corner of one, far less than the large pictures take whole.
    TPictureCache cache(640 * 480 * 4);
    for (const Case& c : cases) {
        const fs::path file = folder / c.Name;
        WriteFile(file.string(), MakeBmpFile(CheckerSpec(c.Width, c.Height, 7, {0x112233, 0x445566, 0x778899})));
        const auto whole = LoadPicture(file, TPictureFormat::Bmp);
        const int decodes = cache.Decodes();
        const auto kept = cache.Load(file, TPictureFormat::Bmp);
        EXPECT_EQ(cache.Load(file, TPictureFormat::Bmp), kept) << c.Name;
        EXPECT_EQ(cache.Decodes(), decodes + 1) << c.Name;
        ASSERT_EQ(kept->Width(), c.KeptWidth) << c.Name;
        ASSERT_EQ(kept->Height(), c.KeptHeight) << c.Name;
        for (const auto& [x, y] :
             {std::pair{0, 0}, {c.KeptWidth - 1, 0}, {5, c.KeptHeight - 1}, {c.KeptWidth - 1, c.KeptHeight - 1}})
            EXPECT_EQ(kept->View().RGBAt(x, y), whole->View().RGBAt(x, y)) << c.Name << " " << x << "," << y;
    }
    fs::remove_all(folder);
}
