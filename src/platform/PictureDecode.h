#pragma once
// Decoding of picture files: BMP through Qt's picture reader, JPEG through
// libjpeg at full size. Damaged, truncated or oversized input raises
// EInvalidGraphic with a message meant for the user; nothing here ends the process.

#include "platform/Image.h"

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <vector>

class EInvalidGraphic : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Pictures larger than this in either direction are refused.
constexpr int MaxPictureSide = 8192;

struct TDecodedPicture {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint32_t> Pixels;   // 0x00RRGGBB, top row first
    std::vector<std::uint32_t> Palette;  // 0x00RRGGBB: the colour table of an indexed picture, else empty

    TImageView View() const
    {
        TImageView view;
        view.Kind = TImageView::TKind::XRGB32;
        view.Width = Width;
        view.Height = Height;
        view.Bits = reinterpret_cast<const std::uint8_t*>(Pixels.data());
        view.Stride = static_cast<std::ptrdiff_t>(Width) * 4;
        return view;
    }
};

// Reads a whole file; raises EInvalidGraphic when it cannot be read.
std::vector<std::uint8_t> ReadPictureFile(const std::filesystem::path& path);

// The whole file is decoded, so damage anywhere in it is found, but only the
// top-left corner of at most keepWidth x keepHeight pixels is kept: a
// picture that is shown from its corner need not stay in memory whole.
TDecodedPicture DecodeBmp(const std::uint8_t* data, std::size_t size, int keepWidth = MaxPictureSide,
                          int keepHeight = MaxPictureSide);
TDecodedPicture DecodeJpeg(const std::uint8_t* data, std::size_t size, int keepWidth = MaxPictureSide,
                           int keepHeight = MaxPictureSide);
