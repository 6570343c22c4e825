#pragma once
// A read-only view of a decoded picture, as the drawing layer takes it.

#include <cstddef>
#include <cstdint>

struct TImageView {
    enum class TKind : std::uint8_t { Indexed8, XRGB32 };
    TKind Kind = TKind::XRGB32;
    int Width = 0;
    int Height = 0;
    const std::uint8_t* Bits = nullptr;      // the top row
    std::ptrdiff_t Stride = 0;               // bytes from a row to the one below it; negative for bottom-up storage
    const std::uint32_t* Palette = nullptr;  // Indexed8 only: 0x00RRGGBB per index
    int PaletteSize = 0;                     // indices at or past it are black

    std::uint32_t RGBAt(int x, int y) const
    {
        const std::uint8_t* row = Bits + Stride * y;
        if (Kind == TKind::XRGB32)
            return reinterpret_cast<const std::uint32_t*>(row)[x] & 0x00FFFFFFu;
        const int index = row[x];
        return index < PaletteSize ? Palette[index] & 0x00FFFFFFu : 0;
    }
};
