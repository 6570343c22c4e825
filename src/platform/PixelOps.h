#pragma once
// The inner loops of fills and blits. Callers clip first: every rectangle here
// lies wholly inside both surfaces, widths and heights are at least 1, and
// pitches are in bytes (negative pitches are allowed for bottom-up rows).
// Fills and keyed copies work on 32-byte vectors; built with GCC for x86-64,
// they come in AVX-512, AVX2 and baseline versions picked at run time, with
// other compilers or machines in the baseline version only. Plain copies use
// the C library's memcpy.

#include <cstddef>
#include <cstdint>

enum class TPixelFormat : std::uint8_t {
    XRGB8888,  // 32 bits: 0x00RRGGBB
    RGB565,    // 16 bits: rrrrrggg gggbbbbb
};

constexpr int BytesPerPixel(TPixelFormat format)
{
    return format == TPixelFormat::XRGB8888 ? 4 : 2;
}

// The one mapping from 8-bit red, green and blue to a raw pixel. Pictures,
// fills by colour and canvas drawing all use it, so a colour key made from a
// colour equals the stored pixels of that colour.
constexpr std::uint32_t PixelFromRGB(TPixelFormat format, unsigned red, unsigned green, unsigned blue)
{
    if (format == TPixelFormat::XRGB8888)
        return ((red & 0xFF) << 16) | ((green & 0xFF) << 8) | (blue & 0xFF);
    return ((red & 0xF8) << 8) | ((green & 0xFC) << 3) | ((blue & 0xF8) >> 3);
}

// The bits a pixel of the format actually has.
constexpr std::uint32_t PixelMask(TPixelFormat format)
{
    return format == TPixelFormat::XRGB8888 ? 0x00FFFFFFu : 0xFFFFu;
}

namespace PixelOps {

void Fill(TPixelFormat format, std::uint8_t* dst, std::ptrdiff_t pitch, int width, int height, std::uint32_t pixel);
void Copy(TPixelFormat format, std::uint8_t* dst, std::ptrdiff_t dstPitch, const std::uint8_t* src,
          std::ptrdiff_t srcPitch, int width, int height);
// Copies every source pixel that differs from key.
void CopyKeyed(TPixelFormat format, std::uint8_t* dst, std::ptrdiff_t dstPitch, const std::uint8_t* src,
               std::ptrdiff_t srcPitch, int width, int height, std::uint32_t key);
// One row of width pixels within one surface, where source and destination
// may overlap: moved as by memmove.
void MoveRow(TPixelFormat format, std::uint8_t* dst, const std::uint8_t* src, int width);
// Likewise, copying every source pixel that differs from key. The row is
// walked away from the overlap (left to right when dst lies before src in
// memory, else right to left), so each source pixel is read before a write
// can reach it.
void MoveRowKeyed(TPixelFormat format, std::uint8_t* dst, const std::uint8_t* src, int width, std::uint32_t key);
// Each pixel of the run becomes NOT(pixel OR pen), within the format's bits.
void NotMergeRun(TPixelFormat format, std::uint8_t* dst, int count, std::uint32_t pen);

}  // namespace PixelOps
