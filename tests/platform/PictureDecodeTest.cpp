// Picture files: every common BMP kind, JPEG, and damaged or oversized input,
// which must raise a readable error and never end the process; plus a short
// deterministic fuzz of the BMP, DIB and JPEG readers.
#include "support/EngineTestKit.h"

#include "platform/PictureDecode.h"
#include "platform/TextRenderer.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <cstdlib>

namespace {

const std::uint32_t Palette[4] = {0x000000, 0xF80000, 0x00F800, 0x0000F8};
int IndexAt(int x, int y, int colours)
{
    return (x + 3 * y) % colours;
}

void Put(std::vector<std::uint8_t>& out, std::uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// A 5 x 3 BMP file of the given kind; compression 1 is RLE8, 2 is RLE4.
std::vector<std::uint8_t> BmpKind(int bpp, int compression, bool topDown)
{
    const int w = 5, h = 3, colours = bpp == 1 ? 2 : 4;
    const bool indexed = bpp <= 8;
    std::vector<std::uint8_t> bits;
    for (int s = 0; s < h; ++s) {
        const int y = topDown ? s : h - 1 - s;
        std::vector<std::uint8_t> row;
        if (compression == 1 || compression == 2) {
            for (int x = 0; x < w; ++x) {
                bits.push_back(1);
                const auto i = static_cast<std::uint8_t>(IndexAt(x, y, colours));
                bits.push_back(compression == 1 ? i : static_cast<std::uint8_t>(i << 4));
            }
            bits.push_back(0);
            bits.push_back(0);
            continue;
        }
        std::uint32_t acc = 0;
        int accBits = 0;
        for (int x = 0; x < w; ++x) {
            const int i = IndexAt(x, y, colours);
            const std::uint32_t c = Palette[i];
            if (indexed) {
                acc = (acc << bpp) | static_cast<std::uint32_t>(i);
                accBits += bpp;
                if (accBits == 8) {
                    row.push_back(static_cast<std::uint8_t>(acc));
                    acc = 0;
                    accBits = 0;
                }
            } else if (bpp == 16) {
                Put(row, ((c >> 19) & 31) << 10 | ((c >> 11) & 31) << 5 | ((c >> 3) & 31), 2);
            } else {
                Put(row, c, bpp / 8);
            }
        }
        if (accBits)
            row.push_back(static_cast<std::uint8_t>(acc << (8 - accBits)));
        while (row.size() % 4)
            row.push_back(0);
        bits.insert(bits.end(), row.begin(), row.end());
    }
    if (compression) {
        bits.push_back(0);
        bits.push_back(1);
    }
    const std::uint32_t paletteBytes = indexed ? 4u * (1u << bpp) : 0;
    std::vector<std::uint8_t> out{'B', 'M'};
    Put(out, 14 + 40 + paletteBytes + static_cast<std::uint32_t>(bits.size()), 4);
    Put(out, 0, 4);
    Put(out, 14 + 40 + paletteBytes, 4);
    Put(out, 40, 4);
    Put(out, w, 4);
    Put(out, static_cast<std::uint32_t>(topDown ? -h : h), 4);
    Put(out, 1, 2);
    Put(out, static_cast<std::uint32_t>(bpp), 2);
    Put(out, static_cast<std::uint32_t>(compression), 4);
    Put(out, static_cast<std::uint32_t>(bits.size()), 4);
    for (int i = 0; i < 4; ++i)
        Put(out, 0, 4);  // resolution and colour counts
    for (std::uint32_t i = 0; indexed && i < (1u << bpp); ++i)
        Put(out, i < 4 ? Palette[i] : 0, 4);
    out.insert(out.end(), bits.begin(), bits.end());
    return out;
}

TEST(PictureDecode, EveryCommonBmpKind)
{
    EnsureGuiApplication();
    const struct {
        int Bpp, Compression;
        bool TopDown;
    } kinds[] = {{1, 0, false},  {4, 0, false}, {8, 0, false}, {16, 0, false}, {24, 0, false},
                 {32, 0, false}, {8, 0, true},  {24, 0, true}, {8, 1, false},  {4, 2, false}};
    for (const auto& k : kinds) {
        const auto file = BmpKind(k.Bpp, k.Compression, k.TopDown);
        SCOPED_TRACE(testing::Message() << k.Bpp << " bits, compression " << k.Compression << ", top-down "
                                        << k.TopDown);
        const TDecodedPicture picture = DecodeBmp(file.data(), file.size());
        ASSERT_EQ(picture.Width, 5);
        ASSERT_EQ(picture.Height, 3);
        const int colours = k.Bpp == 1 ? 2 : 4;
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x)
                EXPECT_EQ(picture.Pixels[static_cast<std::size_t>(y * 5 + x)], Palette[IndexAt(x, y, colours)])
                    << x << "," << y;
    }
}

TEST(PictureDecode, JpegAtFullSize)
{
    std::vector<std::uint32_t> rgb(40 * 24);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 40; ++x)
            rgb[static_cast<std::size_t>(y * 40 + x)] = x < 16 ? 0xC03020 : 0x2040C0;
    const auto file = MakeJpeg(40, 24, rgb, 100);
    const TDecodedPicture picture = DecodeJpeg(file.data(), file.size());
    ASSERT_EQ(picture.Width, 40);
    ASSERT_EQ(picture.Height, 24);
    auto near = [](std::uint32_t a, std::uint32_t b) {
        for (int shift : {0, 8, 16})
            if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > 6)
                return false;
        return true;
    };
    EXPECT_TRUE(near(picture.Pixels[5 * 40 + 4], 0xC03020));
    EXPECT_TRUE(near(picture.Pixels[20 * 40 + 35], 0x2040C0));
}

TEST(PictureDecode, DamagedAndOversizedPicturesRaiseReadableErrors)
{
    EnsureGuiApplication();
    const auto bmp = BmpKind(24, 0, false);
    const auto rle = BmpKind(8, 1, false);
    std::vector<std::uint32_t> rgb(16 * 16, 0x808080);
    const auto jpeg = MakeJpeg(16, 16, rgb);
    std::vector<std::uint32_t> wide(9000 * 8, 0x808080);
    const auto wideJpeg = MakeJpeg(9000, 8, wide);
    auto cut = [](const std::vector<std::uint8_t>& v, std::size_t n) {
        return std::vector<std::uint8_t>(v.begin(), v.begin() + n);
    };
    auto withWidth = [&](std::uint32_t width, std::uint32_t height) {
        auto v = bmp;
        for (int i = 0; i < 4; ++i) {
            v[18 + i] = static_cast<std::uint8_t>(width >> (8 * i));
            v[22 + i] = static_cast<std::uint8_t>(height >> (8 * i));
        }
        return v;
    };
    const std::string text = "this is not a picture at all, just words";
    const std::vector<std::uint8_t> words(text.begin(), text.end());
    const struct {
        const char* What;
        bool Jpeg;
        std::vector<std::uint8_t> Bytes;
        const char* MessageStart;
    } cases[] = {
        {"empty bmp", false, {}, "Bitmap image is not valid"},
        {"text named .bmp", false, words, "Bitmap image is not valid"},
        {"bmp header only", false, cut(bmp, 30), "Bitmap image is not valid"},
        {"bmp rows cut", false, cut(bmp, bmp.size() - 10), "Bitmap image is not valid"},
        {"rle rows cut", false, cut(rle, rle.size() - 6), "Bitmap image is not valid"},
        {"bmp 0 wide", false, withWidth(0, 3), "Bitmap image is not valid"},
        {"bmp 9000 wide", false, withWidth(9000, 1), "Picture is too large (9000x1)"},
        {"bmp 8193 tall", false, withWidth(5, 8193), "Picture is too large (5x8193)"},
        {"empty jpeg", true, {}, "JPEG picture cannot be read"},
        {"text named .jpg", true, words, "JPEG picture cannot be read"},
        {"jpeg cut", true, cut(jpeg, jpeg.size() / 2), "JPEG picture cannot be read"},
        {"jpeg header only", true, cut(jpeg, 20), "JPEG picture cannot be read"},
        {"jpeg 9000 wide", true, wideJpeg, "Picture is too large (9000x8)"},
    };
    for (const auto& c : cases) {
        try {
            if (c.Jpeg)
                DecodeJpeg(c.Bytes.data(), c.Bytes.size());
            else
                DecodeBmp(c.Bytes.data(), c.Bytes.size());
            ADD_FAILURE() << c.What << " was accepted";
        } catch (const EInvalidGraphic& e) {
            EXPECT_EQ(std::string(e.what()).rfind(c.MessageStart, 0), 0u) << c.What << ": " << e.what();
        }
    }
    // A FIFO put where a picture was is refused at once, never waited for.
    const std::string fifo = ::testing::TempDir() + "picture-" + std::to_string(::getpid()) + ".bmp";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_THROW(ReadPictureFile(fifo), EInvalidGraphic);
    ::unlink(fifo.c_str());
}

// A corner kept of a picture is that corner of the whole; the rest of the
// file is decoded all the same, so damage past the corner is found.
TEST(PictureDecode, KeepsOnlyTheCornerAskedForButReadsEverything)
{
    EnsureGuiApplication();
    std::vector<std::uint32_t> rgb(40 * 24);
    for (std::size_t i = 0; i < rgb.size(); ++i)
        rgb[i] = static_cast<std::uint32_t>(i * 0x010305);
    const auto jpeg = MakeJpeg(40, 24, rgb, 90);
    const auto bmp = BmpKind(24, 0, false);
    struct Case {
        bool Jpeg;
        int KeepWidth, KeepHeight;
        int Width, Height;
    };
    const Case cases[] = {
        {true, 16, 8, 16, 8}, {true, 100, 5, 40, 5}, {true, 1, 1, 1, 1}, {false, 3, 2, 3, 2}, {false, 9, 9, 5, 3}};
    for (const Case& c : cases) {
        const auto& file = c.Jpeg ? jpeg : bmp;
        const auto decode = [&](int width, int height) {
            return c.Jpeg ? DecodeJpeg(file.data(), file.size(), width, height)
                          : DecodeBmp(file.data(), file.size(), width, height);
        };
        const TDecodedPicture whole = decode(MaxPictureSide, MaxPictureSide);
        const TDecodedPicture corner = decode(c.KeepWidth, c.KeepHeight);
        ASSERT_EQ(corner.Width, c.Width);
        ASSERT_EQ(corner.Height, c.Height);
        ASSERT_EQ(corner.Pixels.size(), static_cast<std::size_t>(c.Width * c.Height));
        for (int y = 0; y < c.Height; ++y)
            for (int x = 0; x < c.Width; ++x)
                EXPECT_EQ(corner.Pixels[static_cast<std::size_t>(y * c.Width + x)],
                          whole.Pixels[static_cast<std::size_t>(y * whole.Width + x)])
                    << c.Jpeg << " " << x << "," << y;
    }
    const std::vector<std::uint8_t> cut(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(jpeg.size() * 3 / 4));
    EXPECT_THROW(DecodeJpeg(cut.data(), cut.size(), 1, 1), EInvalidGraphic);
}

// Mutates and truncates valid files many times; every outcome must be a
// picture of consistent size or EInvalidGraphic.
TEST(PictureDecode, FuzzedFilesNeverCrash)
{
    EnsureGuiApplication();
    std::uint64_t state = 0x9E3779B97F4A7C15ull;
    auto next = [&] {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<std::uint32_t>(state >> 33);
    };
    std::vector<std::uint32_t> rgb(24 * 16);
    for (std::size_t i = 0; i < rgb.size(); ++i)
        rgb[i] = static_cast<std::uint32_t>(i * 0x030507);
    TDibPicture rle8 = CheckerSpec(24, 16, 3, {0x000000, 0xFF00FF, 0x00FF00});
    rle8.Rle8 = true;
    const std::vector<std::uint8_t> seeds[] = {BmpKind(8, 0, false),
                                               BmpKind(4, 2, false),
                                               BmpKind(8, 1, true),
                                               BmpKind(24, 0, true),
                                               MakeJpeg(24, 16, rgb, 80),
                                               MakePackedDib(rle8),
                                               MakePackedDib(CheckerSpec(24, 16, 4, {1, 2, 3}))};
    int accepted = 0, refused = 0;
    for (int round = 0; round < 3000; ++round) {
        const std::size_t which = static_cast<std::size_t>(round) % std::size(seeds);
        std::vector<std::uint8_t> bytes = seeds[which];
        const int flips = 1 + static_cast<int>(next() % 6);
        for (int f = 0; f < flips; ++f)
            bytes[next() % bytes.size()] ^= static_cast<std::uint8_t>(1u << (next() % 8));
        if (next() % 3 == 0)
            bytes.resize(next() % bytes.size());
        try {
            if (which == 4) {
                const auto p = DecodeJpeg(bytes.data(), bytes.size());
                ASSERT_EQ(p.Pixels.size(), static_cast<std::size_t>(p.Width) * p.Height);
            } else if (which >= 5) {
                TDIB dib;
                dib.LoadFromPackedDIB(bytes.data(), bytes.size());
                const TImageView view = dib.View();
                if (!dib.Empty())
                    (void)view.RGBAt(dib.Width() - 1, dib.Height() - 1);
            } else {
                const auto p = DecodeBmp(bytes.data(), bytes.size());
                ASSERT_LE(p.Width, MaxPictureSide);
                ASSERT_EQ(p.Pixels.size(), static_cast<std::size_t>(p.Width) * p.Height);
            }
            ++accepted;
        } catch (const EInvalidGraphic&) {
            ++refused;
        }
    }
    EXPECT_GT(accepted, 100);
    EXPECT_GT(refused, 100);
}

}  // namespace
