#include "engine/Graphics.h"

#include <cstring>

namespace {

std::uint32_t Read32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8)
           | (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::uint16_t Read16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

[[noreturn]] void Damaged(const char* what)
{
    throw EInvalidGraphic(std::string("Bitmap image is not valid: ") + what);
}

constexpr std::uint32_t BI_RGB = 0;
constexpr std::uint32_t BI_RLE8 = 1;

// What the rows need from the BITMAPINFOHEADER and its colour table.
struct TDibHeader {
    std::int32_t Width = 0;
    std::int32_t Height = 0;  // without the sign
    bool TopDown = false;     // a negative height stores the top row first
    int BitCount = 0;
    std::uint32_t Compression = BI_RGB;
    std::size_t BitsAt = 0;  // where the rows follow the colour table, from data's start
};

// Checks the header at data (size bytes from there) and reads the colour
// table of a picture of 8 bits or fewer into palette.
TDibHeader ReadHeader(const std::uint8_t* data, std::size_t size, std::vector<std::uint32_t>& palette)
{
    if (!data || size < 40)
        Damaged("the header is truncated");
    const std::uint32_t headerSize = Read32(data);
    if (headerSize < 40 || headerSize > size)
        Damaged("unknown header");
    const auto width = static_cast<std::int32_t>(Read32(data + 4));
    const auto rawHeight = static_cast<std::int32_t>(Read32(data + 8));
    const int bitCount = Read16(data + 14);
    const std::uint32_t compression = Read32(data + 16);
    std::uint32_t colorsUsed = Read32(data + 32);
    if (Read16(data + 12) != 1)
        Damaged("planes must be 1");
    if (width < 0 || rawHeight == INT32_MIN)
        Damaged("bad size");
    const bool topDown = rawHeight < 0;
    const std::int32_t height = topDown ? -rawHeight : rawHeight;
    if (width > MaxPictureSide || height > MaxPictureSide)
        throw EInvalidGraphic("Picture is too large (" + std::to_string(width) + "x" + std::to_string(height)
                              + "); at most 8192x8192 pixels are allowed");
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32)
        Damaged("unsupported bit count");
    if (compression != BI_RGB && !(compression == BI_RLE8 && bitCount == 8 && !topDown))
        Damaged("unsupported compression");

    std::size_t offset = headerSize;
    if (bitCount <= 8) {
        const std::uint32_t maxColors = 1u << bitCount;
        if (colorsUsed == 0 || colorsUsed > maxColors)
            colorsUsed = maxColors;
        if (offset + static_cast<std::size_t>(colorsUsed) * 4 > size)
            Damaged("the colour table is truncated");
        palette.resize(colorsUsed);
        for (std::uint32_t i = 0; i < colorsUsed; ++i) {
            const std::uint8_t* e = data + offset + i * 4;
            palette[i] = (static_cast<std::uint32_t>(e[2]) << 16) | (static_cast<std::uint32_t>(e[1]) << 8) | e[0];
        }
        offset += static_cast<std::size_t>(colorsUsed) * 4;
    }
    return {width, height, topDown, bitCount, compression, offset};
}

// The stored rows of a picture at least one pixel wide and high.
struct TDibRows {
    const std::uint8_t* Bits = nullptr;
    std::size_t Available = 0;  // bytes from Bits to the end of the data
    std::size_t Width = 0;
    std::size_t Height = 0;
    bool TopDown = false;
    // The picture row (top row 0) of a stored row.
    std::size_t RowOf(std::size_t stored) const { return TopDown ? stored : Height - 1 - stored; }
};

// Run-length coded 8-bit rows into one index per pixel. Pixels the codes do
// not reach stay 0; runs and moves beyond the picture are cut off.
void ReadRle8Rows(const TDibRows& rows, std::vector<std::uint8_t>& indices)
{
    const std::uint8_t* bits = rows.Bits;
    const std::size_t available = rows.Available;
    const std::size_t w = rows.Width, h = rows.Height;

    indices.assign(w * h, 0);
    std::size_t at = 0, x = 0, y = 0;  // y counts stored rows, bottom first
    for (;;) {
        if (at + 2 > available)
            Damaged("the run-length data are truncated");
        const std::uint8_t count = bits[at], value = bits[at + 1];
        at += 2;
        if (count > 0) {
            for (int i = 0; i < count; ++i, ++x)
                if (x < w && y < h)
                    indices[rows.RowOf(y) * w + x] = value;
            continue;
        }
        if (value == 0) {  // end of line
            x = 0;
            ++y;
        } else if (value == 1) {  // end of bitmap
            break;
        } else if (value == 2) {  // move right and up
            if (at + 2 > available)
                Damaged("the run-length data are truncated");
            x += bits[at];
            y += bits[at + 1];
            at += 2;
        } else {  // literal run, padded to a whole word
            const std::size_t n = value;
            if (at + n > available)
                Damaged("the run-length data are truncated");
            for (std::size_t i = 0; i < n; ++i, ++x)
                if (x < w && y < h)
                    indices[rows.RowOf(y) * w + x] = bits[at + i];
            at += n + (n & 1);
        }
    }
}

// Uncompressed rows, each padded to a whole 32-bit word: indices for 8 bits
// or fewer, else 0x00RRGGBB colours.
void ReadPlainRows(const TDibRows& rows, int bitCount, std::vector<std::uint8_t>& indices,
                   std::vector<std::uint32_t>& rgb)
{
    const std::uint8_t* bits = rows.Bits;
    const std::size_t available = rows.Available;
    const std::size_t w = rows.Width, h = rows.Height;

    const std::size_t stride = ((w * static_cast<std::size_t>(bitCount) + 31) / 32) * 4;
    if (stride * h > available)
        Damaged("the pixel rows are truncated");
    if (bitCount <= 8) {
        indices.resize(w * h);
        const unsigned mask = (1u << bitCount) - 1;
        for (std::size_t s = 0; s < h; ++s) {
            const std::uint8_t* row = bits + s * stride;
            std::uint8_t* out = indices.data() + rows.RowOf(s) * w;
            for (std::size_t x = 0; x < w; ++x) {
                const std::size_t bit = x * static_cast<std::size_t>(bitCount);
                const unsigned shift = 8 - static_cast<unsigned>(bitCount) - static_cast<unsigned>(bit % 8);
                out[x] = static_cast<std::uint8_t>((row[bit / 8] >> shift) & mask);
            }
        }
    } else {
        rgb.resize(w * h);
        const std::size_t bytes = static_cast<std::size_t>(bitCount) / 8;
        for (std::size_t s = 0; s < h; ++s) {
            const std::uint8_t* row = bits + s * stride;
            std::uint32_t* out = rgb.data() + rows.RowOf(s) * w;
            for (std::size_t x = 0; x < w; ++x) {
                const std::uint8_t* p = row + x * bytes;
                out[x] = (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[1]) << 8) | p[0];
            }
        }
    }
}

}  // namespace

TImageView TDIB::View() const
{
    TImageView view;
    view.Width = FWidth;
    view.Height = FHeight;
    if (FBitCount <= 8) {
        view.Kind = TImageView::TKind::Indexed8;
        view.Bits = FIndices.data();
        view.Stride = FWidth;
        view.Palette = FPalette.data();
        view.PaletteSize = static_cast<int>(FPalette.size());
    } else {
        view.Kind = TImageView::TKind::XRGB32;
        view.Bits = reinterpret_cast<const std::uint8_t*>(FRGB.data());
        view.Stride = static_cast<std::ptrdiff_t>(FWidth) * 4;
    }
    return view;
}

void TDIB::Clear()
{
    FWidth = FHeight = FBitCount = 0;
    FPalette.clear();
    FIndices.clear();
    FRGB.clear();
}

void TDIB::LoadFromFile(const std::filesystem::path& path)
{
    const std::vector<std::uint8_t> data = ReadPictureFile(path);
    if (data.size() < 14 || data[0] != 'B' || data[1] != 'M') {
        Clear();
        Damaged("no bitmap file header");
    }
    try {
        ReadInfo(data.data() + 14, data.size() - 14, Read32(data.data() + 10), true);
    } catch (...) {
        Clear();
        throw;
    }
}

void TDIB::LoadFromPackedDIB(const std::uint8_t* data, std::size_t size)
{
    try {
        ReadInfo(data, size, 0, false);
    } catch (...) {
        Clear();
        throw;
    }
}

// data starts at the BITMAPINFOHEADER; with a file offset the rows start
// bitsOffset bytes before it (counted from the file's start, 14 bytes earlier).
void TDIB::ReadInfo(const std::uint8_t* data, std::size_t size, std::size_t bitsOffset, bool fileOffsetGiven)
{
    Clear();
    const TDibHeader header = ReadHeader(data, size, FPalette);
    std::size_t offset = header.BitsAt;
    if (fileOffsetGiven) {
        if (bitsOffset < 14 + offset || bitsOffset - 14 > size)
            Damaged("bad pixel offset");
        offset = bitsOffset - 14;
    }
    FWidth = header.Width;
    FHeight = header.Height;
    FBitCount = header.BitCount;
    if (FWidth == 0 || FHeight == 0)
        return;  // an empty picture: nothing to read
    const TDibRows rows{data + offset, size - offset, static_cast<std::size_t>(FWidth),
                        static_cast<std::size_t>(FHeight), header.TopDown};
    if (header.Compression == BI_RLE8)
        ReadRle8Rows(rows, FIndices);
    else
        ReadPlainRows(rows, FBitCount, FIndices, FRGB);
}
