// Bitmap, PNG and JPEG writers of the art generator.
#include "ArtWriters.h"

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include <jpeglib.h>

namespace art {

namespace {
void put16(Bytes& b, unsigned v)
{
    b.push_back(std::uint8_t(v));
    b.push_back(std::uint8_t(v >> 8));
}
void put32(Bytes& b, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.push_back(std::uint8_t(v >> (8 * i)));
}
void put32be(Bytes& b, std::uint32_t v)
{
    for (int i = 3; i >= 0; --i)
        b.push_back(std::uint8_t(v >> (8 * i)));
}

void infoHeader(Bytes& b, int w, int h, int bpp, std::uint32_t compression, std::uint32_t imageSize, int colours)
{
    put32(b, 40);
    put32(b, std::uint32_t(w));
    put32(b, std::uint32_t(h));  // positive: bottom-up
    put16(b, 1);
    put16(b, unsigned(bpp));
    put32(b, compression);
    put32(b, imageSize);
    put32(b, 2835);  // 72 dpi
    put32(b, 2835);
    put32(b, std::uint32_t(colours));
    put32(b, 0);
}

void colourTable(Bytes& b, const Indexed& img)
{
    for (int i = 0; i < 256; ++i) {
        Color c = i < int(img.palette.size()) ? img.palette[i] : 0;
        b.push_back(std::uint8_t(blue(c)));
        b.push_back(std::uint8_t(green(c)));
        b.push_back(std::uint8_t(red(c)));
        b.push_back(0);
    }
}

Bytes rows8(const Indexed& img)
{
    int stride = (img.w + 3) & ~3;
    Bytes b;
    for (int y = img.h - 1; y >= 0; --y) {
        for (int x = 0; x < img.w; ++x)
            b.push_back(img.idx[std::size_t(y) * img.w + x]);
        for (int x = img.w; x < stride; ++x)
            b.push_back(0);
    }
    return b;
}

Bytes fileHeader(std::uint32_t fileSize, std::uint32_t offBits)
{
    Bytes b;
    b.push_back('B');
    b.push_back('M');
    put32(b, fileSize);
    put32(b, 0);
    put32(b, offBits);
    return b;
}

std::uint32_t crc32(const std::uint8_t* p, std::size_t n, std::uint32_t crc = 0)
{
    static std::uint32_t table[256];
    static bool ready = false;
    if (!ready) {
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[i] = c;
        }
        ready = true;
    }
    crc = ~crc;
    for (std::size_t i = 0; i < n; ++i)
        crc = table[(crc ^ p[i]) & 255] ^ (crc >> 8);
    return ~crc;
}

void chunk(Bytes& out, const char* type, const Bytes& data)
{
    put32be(out, std::uint32_t(data.size()));
    Bytes body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    out.insert(out.end(), body.begin(), body.end());
    put32be(out, crc32(body.data(), body.size()));
}
}  // namespace

Bytes encodeRle8(const Indexed& img)
{
    Bytes b;
    for (int y = img.h - 1; y >= 0; --y) {
        const std::uint8_t* row = &img.idx[std::size_t(y) * img.w];
        int x = 0;
        auto runAt = [&](int i) {
            int r = 1;
            while (i + r < img.w && r < 255 && row[i + r] == row[i])
                ++r;
            return r;
        };
        while (x < img.w) {
            int r = runAt(x);
            if (r >= 3) {
                b.push_back(std::uint8_t(r));
                b.push_back(row[x]);
                x += r;
                continue;
            }
            // Literal stretch until a run of 3 or more starts.
            int end = x;
            while (end < img.w && end - x < 255 && runAt(end) < 3)
                ++end;
            int n = end - x;
            if (n < 3) {
                // Absolute mode needs at least 3 bytes: short stretches go as runs.
                while (x < end) {
                    int k = std::min(runAt(x), end - x);
                    b.push_back(std::uint8_t(k));
                    b.push_back(row[x]);
                    x += k;
                }
                continue;
            }
            b.push_back(0);
            b.push_back(std::uint8_t(n));
            for (int i = 0; i < n; ++i)
                b.push_back(row[x + i]);
            if (n & 1)
                b.push_back(0);
            x = end;
        }
        b.push_back(0);
        b.push_back(0);  // end of line
    }
    b.push_back(0);
    b.push_back(1);  // end of bitmap
    return b;
}

Bytes packedDib8(const Indexed& img, bool rle8)
{
    Bytes pixels = rle8 ? encodeRle8(img) : rows8(img);
    Bytes b;
    infoHeader(b, img.w, img.h, 8, rle8 ? 1u : 0u, std::uint32_t(pixels.size()), 256);
    colourTable(b, img);
    b.insert(b.end(), pixels.begin(), pixels.end());
    return b;
}

Bytes bmpFile8(const Indexed& img)
{
    Bytes dib = packedDib8(img, false);
    Bytes b = fileHeader(std::uint32_t(14 + dib.size()), 14 + 40 + 1024);
    b.insert(b.end(), dib.begin(), dib.end());
    return b;
}

Bytes bmpFile24(const Image& img, Color key)
{
    int stride = (img.w * 3 + 3) & ~3;
    Bytes pixels;
    for (int y = img.h - 1; y >= 0; --y) {
        for (int x = 0; x < img.w; ++x) {
            Color c = img.get(x, y);
            if (c == Clear)
                c = key;
            pixels.push_back(std::uint8_t(blue(c)));
            pixels.push_back(std::uint8_t(green(c)));
            pixels.push_back(std::uint8_t(red(c)));
        }
        for (int x = img.w * 3; x < stride; ++x)
            pixels.push_back(0);
    }
    Bytes b = fileHeader(std::uint32_t(14 + 40 + pixels.size()), 14 + 40);
    infoHeader(b, img.w, img.h, 24, 0, std::uint32_t(pixels.size()), 0);
    b.insert(b.end(), pixels.begin(), pixels.end());
    return b;
}

namespace {
// A PNG of unfiltered rows (each starting with its filter byte) in stored
// deflate blocks: larger than a compressed one, but needs no zlib.
Bytes pngFile(int w, int h, std::uint8_t colourType, const Bytes& raw)
{
    Bytes z{0x78, 0x01};
    std::size_t pos = 0;
    do {
        std::size_t n = std::min<std::size_t>(65535, raw.size() - pos);
        bool last = pos + n == raw.size();
        z.push_back(last ? 1 : 0);
        put16(z, unsigned(n));
        put16(z, unsigned(~n & 0xFFFF));
        z.insert(z.end(), raw.begin() + long(pos), raw.begin() + long(pos + n));
        pos += n;
    } while (pos < raw.size());
    std::uint32_t a = 1, s = 0;
    for (std::uint8_t v : raw) {
        a = (a + v) % 65521;
        s = (s + a) % 65521;
    }
    put32be(z, (s << 16) | a);

    Bytes out{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    Bytes ihdr;
    put32be(ihdr, std::uint32_t(w));
    put32be(ihdr, std::uint32_t(h));
    ihdr.insert(ihdr.end(), {8, colourType, 0, 0, 0});
    chunk(out, "IHDR", ihdr);
    chunk(out, "IDAT", z);
    chunk(out, "IEND", {});
    return out;
}
}  // namespace

Bytes png(const Image& img, Color bg)
{
    Bytes raw;
    for (int y = 0; y < img.h; ++y) {
        raw.push_back(0);  // filter: none
        for (int x = 0; x < img.w; ++x) {
            Color c = img.get(x, y);
            if (c == Clear)
                c = bg;
            raw.push_back(std::uint8_t(red(c)));
            raw.push_back(std::uint8_t(green(c)));
            raw.push_back(std::uint8_t(blue(c)));
        }
    }
    return pngFile(img.w, img.h, 2, raw);
}

Bytes pngRgba(const RgbaImage& img)
{
    const std::size_t stride = static_cast<std::size_t>(img.w) * 4;
    Bytes raw;
    raw.reserve((stride + 1) * static_cast<std::size_t>(img.h));
    for (std::size_t row = 0; row < static_cast<std::size_t>(img.h); ++row) {
        raw.push_back(0);  // filter: none
        const auto first = img.px.begin() + static_cast<std::ptrdiff_t>(row * stride);
        raw.insert(raw.end(), first, first + static_cast<std::ptrdiff_t>(stride));
    }
    return pngFile(img.w, img.h, 6, raw);
}

Bytes jpeg(const Image& img, int quality)
{
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    unsigned char* mem = nullptr;
    unsigned long memSize = 0;
    jpeg_mem_dest(&cinfo, &mem, &memSize);
    cinfo.image_width = JDIMENSION(img.w);
    cinfo.image_height = JDIMENSION(img.h);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(std::size_t(img.w) * 3);
    while (cinfo.next_scanline < cinfo.image_height) {
        int y = int(cinfo.next_scanline);
        for (int x = 0; x < img.w; ++x) {
            Color c = img.get(x, y);
            row[std::size_t(x) * 3] = JSAMPLE(red(c));
            row[std::size_t(x) * 3 + 1] = JSAMPLE(green(c));
            row[std::size_t(x) * 3 + 2] = JSAMPLE(blue(c));
        }
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&cinfo, &p, 1);
    }
    jpeg_finish_compress(&cinfo);
    Bytes out(mem, mem + memSize);
    jpeg_destroy_compress(&cinfo);
    std::free(mem);
    return out;
}

void writeFile(const std::string& path, const Bytes& data)
{
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
    f.close();  // a full disk may only show here
    if (!f)
        throw std::runtime_error("cannot write " + path);
}

}  // namespace art
