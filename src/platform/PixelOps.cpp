#include "platform/PixelOps.h"

// Written as selects over __restrict rows so the compiler vectorises them;
// copy loops are kept from being turned into memcpy calls, which GCC inlines
// as a slow "rep movs" for short rows.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && !defined(STAGE_NO_CLONES)
#define STAGE_CLONES __attribute__((target_clones("avx512f", "avx2", "default")))
#define STAGE_NO_IDIOM __attribute__((optimize("no-tree-loop-distribute-patterns")))
#else
#define STAGE_CLONES
#define STAGE_NO_IDIOM
#endif

namespace {

template <typename P>
inline P* Row(std::uint8_t* base, std::ptrdiff_t pitch, int y)
{
    return reinterpret_cast<P*>(base + pitch * y);
}
template <typename P>
inline const P* Row(const std::uint8_t* base, std::ptrdiff_t pitch, int y)
{
    return reinterpret_cast<const P*>(base + pitch * y);
}

STAGE_CLONES STAGE_NO_IDIOM void Fill32(std::uint8_t* dst, std::ptrdiff_t pitch, int width, int height,
                                        std::uint32_t pixel)
{
    for (int y = 0; y < height; ++y) {
        std::uint32_t* __restrict d = Row<std::uint32_t>(dst, pitch, y);
        for (int x = 0; x < width; ++x)
            d[x] = pixel;
    }
}

STAGE_CLONES STAGE_NO_IDIOM void Fill16(std::uint8_t* dst, std::ptrdiff_t pitch, int width, int height,
                                        std::uint16_t pixel)
{
    for (int y = 0; y < height; ++y) {
        std::uint16_t* __restrict d = Row<std::uint16_t>(dst, pitch, y);
        for (int x = 0; x < width; ++x)
            d[x] = pixel;
    }
}

template <typename P>
inline void CopyRows(std::uint8_t* dst, std::ptrdiff_t dstPitch, const std::uint8_t* src, std::ptrdiff_t srcPitch,
                     int width, int height)
{
    for (int y = 0; y < height; ++y) {
        P* __restrict d = Row<P>(dst, dstPitch, y);
        const P* __restrict s = Row<P>(src, srcPitch, y);
        for (int x = 0; x < width; ++x)
            d[x] = s[x];
    }
}

STAGE_CLONES STAGE_NO_IDIOM void Copy32(std::uint8_t* dst, std::ptrdiff_t dstPitch, const std::uint8_t* src,
                                        std::ptrdiff_t srcPitch, int width, int height)
{
    CopyRows<std::uint32_t>(dst, dstPitch, src, srcPitch, width, height);
}

STAGE_CLONES STAGE_NO_IDIOM void Copy16(std::uint8_t* dst, std::ptrdiff_t dstPitch, const std::uint8_t* src,
                                        std::ptrdiff_t srcPitch, int width, int height)
{
    CopyRows<std::uint16_t>(dst, dstPitch, src, srcPitch, width, height);
}

// Tile widths get a loop of fixed length, which compiles to straight vector code.
template <typename P, int Width>
inline void CopyKeyedFixed(std::uint8_t* dst, std::ptrdiff_t dstPitch, const std::uint8_t* src,
                           std::ptrdiff_t srcPitch, int height, P key)
{
    for (int y = 0; y < height; ++y) {
        P* __restrict d = Row<P>(dst, dstPitch, y);
        const P* __restrict s = Row<P>(src, srcPitch, y);
        for (int x = 0; x < Width; ++x) {
            const P p = s[x];
            d[x] = p != key ? p : d[x];
        }
    }
}

template <typename P>
inline void CopyKeyedRows(std::uint8_t* dst, std::ptrdiff_t dstPitch, const std::uint8_t* src,
                          std::ptrdiff_t srcPitch, int width, int height, P key)
{
    if (width == 16)
        return CopyKeyedFixed<P, 16>(dst, dstPitch, src, srcPitch, height, key);
    if (width == 32)
        return CopyKeyedFixed<P, 32>(dst, dstPitch, src, srcPitch, height, key);
    for (int y = 0; y < height; ++y) {
        P* __restrict d = Row<P>(dst, dstPitch, y);
        const P* __restrict s = Row<P>(src, srcPitch, y);
        for (int x = 0; x < width; ++x) {
            const P p = s[x];
            d[x] = p != key ? p : d[x];
        }
    }
}

STAGE_CLONES void CopyKeyed32(std::uint8_t* dst, std::ptrdiff_t dstPitch, const std::uint8_t* src,
                              std::ptrdiff_t srcPitch, int width, int height, std::uint32_t key)
{
    CopyKeyedRows<std::uint32_t>(dst, dstPitch, src, srcPitch, width, height, key);
}

STAGE_CLONES void CopyKeyed16(std::uint8_t* dst, std::ptrdiff_t dstPitch, const std::uint8_t* src,
                              std::ptrdiff_t srcPitch, int width, int height, std::uint16_t key)
{
    CopyKeyedRows<std::uint16_t>(dst, dstPitch, src, srcPitch, width, height, key);
}

} // namespace

namespace PixelOps {

void Fill(TPixelFormat format, std::uint8_t* dst, std::ptrdiff_t pitch, int width, int height, std::uint32_t pixel)
{
    if (format == TPixelFormat::XRGB8888)
        Fill32(dst, pitch, width, height, pixel);
    else
        Fill16(dst, pitch, width, height, static_cast<std::uint16_t>(pixel));
}

void Copy(TPixelFormat format, std::uint8_t* dst, std::ptrdiff_t dstPitch, const std::uint8_t* src,
          std::ptrdiff_t srcPitch, int width, int height)
{
    if (format == TPixelFormat::XRGB8888)
        Copy32(dst, dstPitch, src, srcPitch, width, height);
    else
        Copy16(dst, dstPitch, src, srcPitch, width, height);
}

void CopyKeyed(TPixelFormat format, std::uint8_t* dst, std::ptrdiff_t dstPitch, const std::uint8_t* src,
               std::ptrdiff_t srcPitch, int width, int height, std::uint32_t key)
{
    if (format == TPixelFormat::XRGB8888)
        CopyKeyed32(dst, dstPitch, src, srcPitch, width, height, key);
    else
        CopyKeyed16(dst, dstPitch, src, srcPitch, width, height, static_cast<std::uint16_t>(key));
}

void NotMergeRun(TPixelFormat format, std::uint8_t* dst, int count, std::uint32_t pen)
{
    if (format == TPixelFormat::XRGB8888) {
        auto* d = reinterpret_cast<std::uint32_t*>(dst);
        for (int i = 0; i < count; ++i)
            d[i] = ~(d[i] | pen) & 0x00FFFFFFu;
    } else {
        auto* d = reinterpret_cast<std::uint16_t*>(dst);
        const auto p = static_cast<std::uint16_t>(pen);
        for (int i = 0; i < count; ++i)
            d[i] = static_cast<std::uint16_t>(~(d[i] | p));
    }
}

} // namespace PixelOps
