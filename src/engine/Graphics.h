#pragma once
// Pictures the engine loads into surfaces: device-independent bitmaps (TDIB,
// the image list's own pictures), BMP files (TBitmap) and JPEG files
// (TJPEGImage). All give the drawing layer a view of their pixels.

#include "platform/Image.h"
#include "platform/PictureDecode.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

class TGraphic {
public:
    virtual ~TGraphic() = default;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    bool Empty() const { return Width() <= 0 || Height() <= 0; }
    // The pixels; valid until the graphic changes.
    virtual TImageView View() const = 0;
    // The colour table (0x00RRGGBB) of a picture that has one, else empty.
    virtual const std::vector<std::uint32_t>& Palette() const = 0;
    // Raises EInvalidGraphic for a file that cannot be read or decoded.
    virtual void LoadFromFile(const std::filesystem::path& path) = 0;
};

// A picture decoded whole by the platform into memory.
class TDecodedGraphic : public TGraphic {
public:
    int Width() const override { return FPicture.Width; }
    int Height() const override { return FPicture.Height; }
    TImageView View() const override { return FPicture.View(); }
    const std::vector<std::uint32_t>& Palette() const override { return FPicture.Palette; }
    void LoadFromFile(const std::filesystem::path& path) override { LoadCorner(path, MaxPictureSide, MaxPictureSide); }
    // As LoadFromFile, but only the top-left width x height pixels (or fewer)
    // stay; the whole file is still decoded, so damage anywhere raises.
    virtual void LoadCorner(const std::filesystem::path& path, int width, int height) = 0;

protected:
    TDecodedPicture FPicture;
};

// A BMP file of any common kind, decoded by the platform's picture reader.
class TBitmap : public TDecodedGraphic {
public:
    void LoadCorner(const std::filesystem::path& path, int width, int height) override;
};

// A JPEG file decoded at full size.
class TJPEGImage : public TDecodedGraphic {
public:
    void LoadCorner(const std::filesystem::path& path, int width, int height) override;
};

// A device-independent bitmap read from its packed form (BITMAPINFOHEADER,
// colour table, rows) or from a .bmp file. Reads 1, 4 and 8 bits per pixel
// uncompressed, 8 bits with 8-bit run-length encoding, and 24 and 32 bits
// uncompressed. Damaged data raise EInvalidGraphic and leave the picture empty.
class TDIB : public TGraphic {
public:
    int Width() const override { return FWidth; }
    int Height() const override { return FHeight; }
    int BitCount() const { return FBitCount; }
    TImageView View() const override;
    const std::vector<std::uint32_t>& Palette() const override { return FPalette; }
    void LoadFromFile(const std::filesystem::path& path) override;
    void LoadFromPackedDIB(const std::uint8_t* data, std::size_t size);

    // Palette index of a pixel (BitCount <= 8), top row 0.
    std::uint8_t Index(int x, int y) const { return FIndices[static_cast<std::size_t>(y) * FWidth + x]; }

private:
    void Clear();
    void ReadInfo(const std::uint8_t* data, std::size_t size, std::size_t bitsOffset, bool fileOffsetGiven);

    int FWidth = 0;
    int FHeight = 0;
    int FBitCount = 0;
    std::vector<std::uint32_t> FPalette;
    std::vector<std::uint8_t> FIndices;  // BitCount <= 8: one index per pixel, top-down
    std::vector<std::uint32_t> FRGB;     // BitCount > 8: 0x00RRGGBB, top-down
};
