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

    // A damaged or vanished file raises as the display's load does, every time.
    WriteFile(b.string(), {'B', 'M', 1, 2, 3});
    EXPECT_THROW(cache.Load(b, TPictureFormat::Bmp), EInvalidGraphic);
    EXPECT_THROW(cache.Load(b, TPictureFormat::Bmp), EInvalidGraphic);
    EXPECT_THROW(cache.Load(folder / "gone.jpg", TPictureFormat::Jpeg), EInvalidGraphic);
    fs::remove_all(folder);
}
