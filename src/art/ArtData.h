#pragma once
// Pictures drawn by the art generator (assets/artgen.cpp) and embedded in the
// program. Every blob is a complete Windows bitmap in one of two shapes:
//   - packed DIB: BITMAPINFOHEADER (40 bytes), 256-entry colour table
//     (blue, green, red, 0), then the pixel rows; no BITMAPFILEHEADER;
//   - BMP file: BITMAPFILEHEADER + BITMAPINFOHEADER (+ colour table) + rows.
//
// Transparency: the tile set and the flag key out one colour each, named
// below, which sits at colour table index 255. The UI images (tool buttons,
// option images, application icon) are 24-bit BMP files without an alpha
// channel; every pixel of ArtUiKey is transparent, all others are opaque, so
// a reader builds the mask from that colour.
#include <cstddef>
#include <cstdint>

struct TArtBlob {
    const unsigned char* Data;
    std::size_t Size;
};

// The key colours. The art generator writes its clear pixels in them, the
// display keys them out of "Back" and "Flag", the windows out of the UI
// images.
struct TArtKey {
    std::uint8_t Red, Green, Blue;
};
inline constexpr TArtKey ArtBackKey{248, 0, 248};
inline constexpr TArtKey ArtFlagKey{255, 0, 255};
inline constexpr TArtKey ArtUiKey{255, 0, 255};

// Packed DIB, 256x64, 8 bpp, BI_RGB, bottom-up: 64 tiles of 16x16, tile code
// N at (16*(N%16), 16*(N/16)). Keyed by ArtBackKey.
extern const TArtBlob ArtBack;
// Packed DIB, 256x96, 8 bpp, BI_RLE8 (no delta escapes), bottom-up: 24
// patterns of 32x32 in 3 rows of 8. Patterns 0..7 are the waving flag; 8..15
// the same flag in blue, 16..23 a torn white flag. Keyed by ArtFlagKey.
extern const TArtBlob ArtFlag;
// BMP file, 400x300, 8 bpp (256 colours, BI_RGB): the splash picture.
extern const TArtBlob ArtSplash;
// BMP file, 448x16, 24 bpp: 28 tool button images of 16x16 side by side.
extern const TArtBlob ArtToolButtons;
// BMP file, 640x32, 24 bpp: 20 option dialog images of 32x32 side by side.
extern const TArtBlob ArtOptionImages;
// BMP file, 32x32, 24 bpp: the main window icon.
extern const TArtBlob ArtAppIcon;
