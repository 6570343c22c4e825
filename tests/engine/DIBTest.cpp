// TDIB: packed device-independent bitmaps, plain and run-length encoded, and
// damaged data, which must raise and leave the picture empty.
#include "support/EngineTestKit.h"

#include <gtest/gtest.h>

namespace {

TDibPicture Sample()
{
    TDibPicture picture;
    picture.Width = 7;
    picture.Height = 3;
    picture.Palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    picture.Indices = {1, 1, 1, 1, 2, 3, 0,  //
                       0, 1, 2, 3, 0, 1, 2,  //
                       3, 3, 3, 3, 3, 3, 3};
    return picture;
}

void ExpectPixels(const TDIB& dib, const TDibPicture& picture)
{
    ASSERT_EQ(dib.Width(), picture.Width);
    ASSERT_EQ(dib.Height(), picture.Height);
    EXPECT_EQ(dib.BitCount(), 8);
    for (int y = 0; y < picture.Height; ++y)
        for (int x = 0; x < picture.Width; ++x)
            EXPECT_EQ(dib.Index(x, y), picture.Indices[static_cast<std::size_t>(y * picture.Width + x)])
                << x << "," << y;
    const TImageView view = dib.View();
    EXPECT_EQ(view.RGBAt(0, 0), 0xFF0000u);
    EXPECT_EQ(view.RGBAt(6, 2), 0x0000FFu);
}

TEST(DIB, ReadsPlainRunLengthAndTopDownRows)
{
    for (const bool rle : {false, true})
        for (const bool topDown : {false, true}) {
            if (rle && topDown)
                continue;
            TDibPicture picture = Sample();
            picture.Rle8 = rle;
            picture.TopDown = topDown;
            SCOPED_TRACE(testing::Message() << "rle " << rle << " top-down " << topDown);
            ExpectPixels(*MakeDib(picture), picture);
            TDIB fromFile;
            const std::string path = testing::TempDir() + "dib.bmp";
            WriteFile(path, MakeBmpFile(picture));
            fromFile.LoadFromFile(path);
            ExpectPixels(fromFile, picture);
        }
}

TEST(DIB, RunLengthDeltaAndLiteralRunsStayInsideThePicture)
{
    // 4 x 2: a delta past the row's end, a literal run longer than the row,
    // and rows beyond the picture are all clipped.
    std::vector<std::uint8_t> dib(40, 0);
    auto put32 = [&](int at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            dib[static_cast<std::size_t>(at + i)] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    put32(0, 40);
    put32(4, 4);
    put32(8, 2);
    dib[12] = 1;
    dib[14] = 8;
    put32(16, 1);  // RLE8
    put32(32, 2);
    for (std::uint32_t c : {0x000000u, 0xFFFFFFu})
        for (int i = 0; i < 4; ++i)
            dib.push_back(static_cast<std::uint8_t>(c >> (8 * i)));
    const std::uint8_t rle[] = {0, 5, 1,   1, 1, 1, 1, 0,  // literal of 5 on a row of 4
                                0, 0,                      // end of line
                                0, 2, 200, 0,              // move right far past the end
                                3, 1,                      // run clipped away
                                0, 2, 0,   9,              // move up past the top
                                2, 1, 0,   1};
    dib.insert(dib.end(), std::begin(rle), std::end(rle));
    TDIB picture;
    picture.LoadFromPackedDIB(dib.data(), dib.size());
    EXPECT_EQ(picture.Index(0, 1), 1);  // bottom row first
    EXPECT_EQ(picture.Index(3, 1), 1);
    EXPECT_EQ(picture.Index(0, 0), 0);
}

TEST(DIB, DamagedDataRaiseAndLeaveThePictureEmpty)
{
    TDibPicture rle = Sample();
    rle.Rle8 = true;
    const auto plain = MakePackedDib(Sample());
    const auto encoded = MakePackedDib(rle);
    auto patched = [](std::vector<std::uint8_t> bytes, std::size_t at, std::uint32_t value) {
        for (int i = 0; i < 4; ++i)
            bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
        return bytes;
    };
    const struct {
        const char* What;
        std::vector<std::uint8_t> Bytes;
    } cases[] = {
        {"empty", {}},
        {"header cut", std::vector<std::uint8_t>(plain.begin(), plain.begin() + 20)},
        {"rows cut", std::vector<std::uint8_t>(plain.begin(), plain.end() - 5)},
        {"run-length cut", std::vector<std::uint8_t>(encoded.begin(), encoded.end() - 3)},
        {"colour table cut", std::vector<std::uint8_t>(plain.begin(), plain.begin() + 44)},
        {"header size 0", patched(plain, 0, 0)},
        {"header size huge", patched(plain, 0, 0x7FFFFFFF)},
        {"negative width", patched(plain, 4, 0xFFFFFFF0u)},
        {"height INT_MIN", patched(plain, 8, 0x80000000u)},
        {"too wide", patched(plain, 4, 9000)},
        {"too tall", patched(plain, 8, 100000)},
        {"bit count 7", patched(plain, 12, 1 | (7u << 16))},
        {"planes 2", patched(plain, 12, 2 | (8u << 16))},
        {"compression 4", patched(plain, 16, 4)},
    };
    for (const auto& c : cases) {
        TDIB dib;
        dib.LoadFromPackedDIB(plain.data(), plain.size());
        EXPECT_THROW(dib.LoadFromPackedDIB(c.Bytes.data(), c.Bytes.size()), EInvalidGraphic) << c.What;
        EXPECT_EQ(dib.Width(), 0) << c.What;
        EXPECT_EQ(dib.Height(), 0) << c.What;
    }
    TDIB none;
    EXPECT_THROW(none.LoadFromFile(testing::TempDir() + "no-such-file.bmp"), EInvalidGraphic);
}

TEST(DIB, ZeroSizedPictureIsEmptyNotAnError)
{
    TDibPicture picture;
    picture.Width = 0;
    picture.Height = 5;
    picture.Palette = {0};
    TDIB dib;
    const auto bytes = MakePackedDib(picture);
    dib.LoadFromPackedDIB(bytes.data(), bytes.size());
    EXPECT_TRUE(dib.Empty());
}

}  // namespace
