#pragma once
// File formats the generator writes: Windows bitmaps (packed DIBs and BMP
// files, uncompressed or RLE8), PNG previews (stored deflate, no zlib) and
// JPEG through libjpeg.
#include "ArtCanvas.h"

#include <cstdint>
#include <string>
#include <vector>

namespace art {

using Bytes = std::vector<std::uint8_t>;

// Packed DIB (BITMAPINFOHEADER + 256-entry colour table + rows), bottom-up.
Bytes packedDib8(const Indexed& img, bool rle8);
// BMP file of an 8-bit picture.
Bytes bmpFile8(const Indexed& img);
// BMP file, 24 bits per pixel; clear pixels are written as `key`.
Bytes bmpFile24(const Image& img, Color key);
// RLE8 rows of an indexed picture, bottom-up, ending with end-of-bitmap.
Bytes encodeRle8(const Indexed& img);
// PNG, 8-bit RGB, clear pixels written as `bg`.
Bytes png(const Image& img, Color bg);
// PNG, 8-bit RGBA (straight alpha).
Bytes pngRgba(const RgbaImage& img);
// Baseline JPEG at the given quality.
Bytes jpeg(const Image& img, int quality);

void writeFile(const std::string& path, const Bytes& data);

}  // namespace art
