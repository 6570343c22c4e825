// A surface blitting onto itself: a 640 x 480 32-bit surface scrolled down by
// eight rows, plain and keyed, without a clipper and with one that cuts the
// surface into four quarters. BM_SelfBlitFloor moves the same bytes with
// memmove in the same run, so each figure can be read as a ratio.
#include "platform/DirectDraw.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr int Width = 640;
constexpr int Height = 480;
constexpr int Shift = 8;

struct TSelfBlit {
    std::unique_ptr<IDirectDraw4> Draw;
    std::unique_ptr<IDirectDrawSurface4> Surface;

    explicit TSelfBlit(bool clipped)
    {
        DisplayPlatformSettings().Format = TPixelFormat::XRGB8888;
        DirectDrawCreate(nullptr, Draw);
        TDDSurfaceDesc desc;
        desc.Width = Width;
        desc.Height = Height;
        desc.Caps = DDSCAPS_SYSTEMMEMORY;
        Draw->CreateSurface(desc, Surface);
        const TDDColorKey key{0x00FF00FF, 0x00FF00FF};
        Surface->SetColorKey(DDCKEY_SRCBLT, &key);
        // Stripes, every third pixel the key, so a keyed blit skips some.
        TDDSurfaceDesc locked;
        Surface->Lock(nullptr, locked, 0);
        for (int y = 0; y < Height; ++y) {
            auto* row = reinterpret_cast<std::uint32_t*>(locked.Surface + locked.Pitch * y);
            for (int x = 0; x < Width; ++x)
                row[x] = x % 3 == 0 ? 0x00FF00FFu : static_cast<std::uint32_t>(x * 7 + y * 13) & 0xFFFFFF;
        }
        Surface->Unlock(nullptr);
        if (clipped) {
            std::shared_ptr<IDirectDrawClipper> clipper;
            Draw->CreateClipper(0, clipper);
            clipper->SetClipList(
                {TRect{0, 0, 320, 240}, TRect{320, 0, 640, 240}, TRect{0, 240, 320, 480}, TRect{320, 240, 640, 480}});
            Surface->SetClipper(clipper);
        }
    }
};

// range(0): keyed; range(1): clipped into quarters.
void BM_SelfBlit(benchmark::State& state)
{
    const bool keyed = state.range(0) != 0;
    TSelfBlit blit(state.range(1) != 0);
    const TRect dest{0, Shift, Width, Height};
    const TRect source{0, 0, Width, Height - Shift};
    for (auto _ : state) {
        if (Failed(blit.Surface->Blt(&dest, blit.Surface.get(), &source, keyed ? DDBLT_KEYSRC : 0, nullptr)))
            state.SkipWithError("the blit failed");
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * Width * (Height - Shift) * 4);
}
BENCHMARK(BM_SelfBlit)
    ->ArgNames({"keyed", "clipped"})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Unit(benchmark::kMicrosecond);

void BM_SelfBlitFloor(benchmark::State& state)
{
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(Width) * Height * 4, 1);
    const std::size_t pitch = static_cast<std::size_t>(Width) * 4;
    for (auto _ : state) {
        std::memmove(pixels.data() + pitch * Shift, pixels.data(), pitch * (Height - Shift));
        benchmark::DoNotOptimize(pixels.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * Width * (Height - Shift) * 4);
}
BENCHMARK(BM_SelfBlitFloor)->Unit(benchmark::kMicrosecond);

}  // namespace
