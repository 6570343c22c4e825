#include "support/EngineTestKit.h"

#include <cstdio>
#include <fstream>

#include <jpeglib.h>

namespace {

void Put16(std::vector<std::uint8_t>& out, unsigned v)
{
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

std::vector<std::uint8_t> EncodeRle8Row(const std::uint8_t* row, int width)
{
    std::vector<std::uint8_t> out;
    int x = 0;
    while (x < width) {
        int run = 1;
        while (x + run < width && run < 255 && row[x + run] == row[x])
            ++run;
        if (run >= 2 || width - x < 3) {
            out.push_back(static_cast<std::uint8_t>(run));
            out.push_back(row[x]);
            x += run;
            continue;
        }
        // A literal run of pixels that do not repeat.
        int n = 0;
        while (x + n < width && n < 255 && !(x + n + 1 < width && row[x + n] == row[x + n + 1]))
            ++n;
        if (n < 3) {
            out.push_back(1);
            out.push_back(row[x]);
            ++x;
            continue;
        }
        out.push_back(0);
        out.push_back(static_cast<std::uint8_t>(n));
        out.insert(out.end(), row + x, row + x + n);
        if (n & 1)
            out.push_back(0);
        x += n;
    }
    out.push_back(0);
    out.push_back(0);
    return out;
}

}  // namespace

std::vector<std::uint8_t> MakePackedDib(const TDibPicture& picture)
{
    std::vector<std::uint8_t> bits;
    const int stride = (picture.Width + 3) & ~3;
    for (int s = 0; s < picture.Height; ++s) {
        const int y = picture.TopDown ? s : picture.Height - 1 - s;
        const std::uint8_t* row = picture.Indices.data() + static_cast<std::size_t>(y) * picture.Width;
        if (picture.Rle8) {
            const auto encoded = EncodeRle8Row(row, picture.Width);
            bits.insert(bits.end(), encoded.begin(), encoded.end());
        } else {
            bits.insert(bits.end(), row, row + picture.Width);
            bits.resize(bits.size() + static_cast<std::size_t>(stride - picture.Width), 0);
        }
    }
    if (picture.Rle8) {
        bits.push_back(0);
        bits.push_back(1);
    }
    std::vector<std::uint8_t> out;
    Put32(out, 40);
    Put32(out, static_cast<std::uint32_t>(picture.Width));
    Put32(out, static_cast<std::uint32_t>(picture.TopDown ? -picture.Height : picture.Height));
    Put16(out, 1);
    Put16(out, 8);
    Put32(out, picture.Rle8 ? 1 : 0);
    Put32(out, static_cast<std::uint32_t>(bits.size()));
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, static_cast<std::uint32_t>(picture.Palette.size()));
    Put32(out, 0);
    for (const std::uint32_t c : picture.Palette)
        Put32(out, c & 0x00FFFFFFu);  // blue, green, red, 0 in memory
    out.insert(out.end(), bits.begin(), bits.end());
    return out;
}

std::vector<std::uint8_t> MakeBmpFile(const TDibPicture& picture)
{
    const auto dib = MakePackedDib(picture);
    std::vector<std::uint8_t> out{'B', 'M'};
    Put32(out, static_cast<std::uint32_t>(14 + dib.size()));
    Put32(out, 0);
    Put32(out, static_cast<std::uint32_t>(14 + 40 + picture.Palette.size() * 4));
    out.insert(out.end(), dib.begin(), dib.end());
    return out;
}

std::unique_ptr<TDIB> MakeDib(const TDibPicture& picture)
{
    auto dib = std::make_unique<TDIB>();
    const auto bytes = MakePackedDib(picture);
    dib->LoadFromPackedDIB(bytes.data(), bytes.size());
    return dib;
}

TDibPicture CheckerSpec(int width, int height, int cell, std::vector<std::uint32_t> palette)
{
    TDibPicture picture;
    picture.Width = width;
    picture.Height = height;
    picture.Palette = std::move(palette);
    picture.Indices.resize(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.Indices[static_cast<std::size_t>(y) * width + x] =
                static_cast<std::uint8_t>((x / cell + y / cell) % static_cast<int>(picture.Palette.size()));
    return picture;
}

std::vector<std::uint8_t> MakeJpeg(int width, int height, const std::vector<std::uint32_t>& rgb, int quality)
{
    jpeg_compress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * 3);
    while (info.next_scanline < info.image_height) {
        for (int x = 0; x < width; ++x) {
            const std::uint32_t c = rgb[static_cast<std::size_t>(info.next_scanline) * width + x];
            row[3 * x] = static_cast<std::uint8_t>(c >> 16);
            row[3 * x + 1] = static_cast<std::uint8_t>(c >> 8);
            row[3 * x + 2] = static_cast<std::uint8_t>(c);
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<std::uint8_t> out(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return out;
}

void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}
