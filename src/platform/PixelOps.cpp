#include "platform/PixelOps.h"

#include <cstring>
#include <functional>

// The loops work on 32-byte vectors of pixels (the compiler's vector types)
// with a scalar tail, so they do not depend on the optimiser choosing to
// vectorise: at -O2 it did not, and a keyed tile cost a branch per pixel.
// GCC on x86-64 builds them for AVX-512, AVX2 and baseline x86-64 and picks
// one at run time (target_clones, below); other compilers, such as the fuzz
// build's clang, and other machines get the baseline build alone. Rows are
// copied with memcpy, which picks the machine's fastest copy.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && !defined(STAGE_NO_CLONES)
#define STAGE_CLONES __attribute__((target_clones("avx512f", "avx2", "default")))
#else
#define STAGE_CLONES
#endif

namespace {

using TVec32 = std::uint32_t __attribute__((vector_size(32)));
using TVec16 = std::uint16_t __attribute__((vector_size(32)));

template <typename P>
struct TVecOf;
template <>
struct TVecOf<std::uint32_t> {
    using Type = TVec32;
};
template <>
struct TVecOf<std::uint16_t> {
    using Type = TVec16;
};

// By reference, so no 32-byte vector crosses a call of the baseline build.
template <typename V>
inline void Load(V& v, const void* at)
{
    std::memcpy(&v, at, sizeof v);
}

template <typename V>
inline void Store(void* at, const V& v)
{
    std::memcpy(at, &v, sizeof v);
}

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

template <typename P>
inline void FillRows(std::uint8_t* dst, std::ptrdiff_t pitch, int width, int height, P pixel)
{
    using V = typename TVecOf<P>::Type;
    constexpr int Lanes = sizeof(V) / sizeof(P);
    const V value = V{} + pixel;
    for (int y = 0; y < height; ++y) {
        P* d = Row<P>(dst, pitch, y);
        int x = 0;
        for (; x + Lanes <= width; x += Lanes)
            Store(d + x, value);
        for (; x < width; ++x)
            d[x] = pixel;
    }
}

STAGE_CLONES void Fill32(std::uint8_t* dst, std::ptrdiff_t pitch, int width, int height, std::uint32_t pixel)
{
    FillRows<std::uint32_t>(dst, pitch, width, height, pixel);
}

STAGE_CLONES void Fill16(std::uint8_t* dst, std::ptrdiff_t pitch, int width, int height, std::uint16_t pixel)
{
    FillRows<std::uint16_t>(dst, pitch, width, height, pixel);
}

void CopyRows(std::uint8_t* dst, std::ptrdiff_t dstPitch, const std::uint8_t* src, std::ptrdiff_t srcPitch,
              std::size_t rowBytes, int height)
{
    for (int y = 0; y < height; ++y)
        std::memcpy(dst + dstPitch * y, src + srcPitch * y, rowBytes);
}

// A source pixel equal to key leaves the destination pixel; the vector part
// blends by a mask instead of branching.
template <typename P>
inline void CopyKeyedRows(std::uint8_t* dst, std::ptrdiff_t dstPitch, const std::uint8_t* src, std::ptrdiff_t srcPitch,
                          int width, int height, P key)
{
    using V = typename TVecOf<P>::Type;
    constexpr int Lanes = sizeof(V) / sizeof(P);
    const V keys = V{} + key;
    for (int y = 0; y < height; ++y) {
        P* d = Row<P>(dst, dstPitch, y);
        const P* s = Row<P>(src, srcPitch, y);
        int x = 0;
        for (; x + Lanes <= width; x += Lanes) {
            V from, to;
            Load(from, s + x);
            Load(to, d + x);
            const V keep = reinterpret_cast<V>(from == keys);
            Store(d + x, (to & keep) | (from & ~keep));
        }
        for (; x < width; ++x)
            if (s[x] != key)
                d[x] = s[x];
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

// Right to left: a destination after its source in memory has each vector of
// source pixels read before the vectors to its right were written.
template <typename P>
inline void CopyKeyedRowBackward(std::uint8_t* dst, const std::uint8_t* src, int width, P key)
{
    using V = typename TVecOf<P>::Type;
    constexpr int Lanes = sizeof(V) / sizeof(P);
    const V keys = V{} + key;
    P* d = reinterpret_cast<P*>(dst);
    const P* s = reinterpret_cast<const P*>(src);
    int x = width;
    for (; x >= Lanes; x -= Lanes) {
        V from, to;
        Load(from, s + x - Lanes);
        Load(to, d + x - Lanes);
        const V keep = reinterpret_cast<V>(from == keys);
        Store(d + x - Lanes, (to & keep) | (from & ~keep));
    }
    for (; x > 0; --x)
        if (s[x - 1] != key)
            d[x - 1] = s[x - 1];
}

STAGE_CLONES void CopyKeyedRowBackward32(std::uint8_t* dst, const std::uint8_t* src, int width, std::uint32_t key)
{
    CopyKeyedRowBackward<std::uint32_t>(dst, src, width, key);
}

STAGE_CLONES void CopyKeyedRowBackward16(std::uint8_t* dst, const std::uint8_t* src, int width, std::uint16_t key)
{
    CopyKeyedRowBackward<std::uint16_t>(dst, src, width, key);
}

}  // namespace

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
    CopyRows(dst, dstPitch, src, srcPitch, static_cast<std::size_t>(width) * BytesPerPixel(format), height);
}

void CopyKeyed(TPixelFormat format, std::uint8_t* dst, std::ptrdiff_t dstPitch, const std::uint8_t* src,
               std::ptrdiff_t srcPitch, int width, int height, std::uint32_t key)
{
    if (format == TPixelFormat::XRGB8888)
        CopyKeyed32(dst, dstPitch, src, srcPitch, width, height, key);
    else
        CopyKeyed16(dst, dstPitch, src, srcPitch, width, height, static_cast<std::uint16_t>(key));
}

void MoveRow(TPixelFormat format, std::uint8_t* dst, const std::uint8_t* src, int width)
{
    std::memmove(dst, src, static_cast<std::size_t>(width) * BytesPerPixel(format));
}

void MoveRowKeyed(TPixelFormat format, std::uint8_t* dst, const std::uint8_t* src, int width, std::uint32_t key)
{
    // The forward loop loads each vector of source pixels before it stores
    // the destination's, and moves on rightwards: safe while dst comes first.
    const bool backward = std::greater<>()(dst, src);
    if (format == TPixelFormat::XRGB8888) {
        if (backward)
            CopyKeyedRowBackward32(dst, src, width, key);
        else
            CopyKeyed32(dst, 0, src, 0, width, 1, key);
    } else {
        const auto key16 = static_cast<std::uint16_t>(key);
        if (backward)
            CopyKeyedRowBackward16(dst, src, width, key16);
        else
            CopyKeyed16(dst, 0, src, 0, width, 1, key16);
    }
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

}  // namespace PixelOps
