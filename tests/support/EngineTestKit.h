#pragma once
// Shared helpers of the engine tests: display platform settings for one test,
// a clock that only moves when told, an initialised display in a memory
// window, and small device-independent bitmaps built in memory.

#include "engine/DXDraws.h"
#include "platform/Clock.h"

#include <cstdint>
#include <vector>

// Sets the display platform for the life of the object and puts back the old settings.
class TPlatformScope {
public:
    explicit TPlatformScope(TPixelFormat format = TPixelFormat::XRGB8888, std::uint64_t videoMemory = 64u << 20)
        : FSaved(DisplayPlatformSettings())
    {
        auto& s = DisplayPlatformSettings();
        s.Format = format;
        s.ScreenWidth = 800;
        s.ScreenHeight = 600;
        s.VideoMemory = videoMemory;
        s.Clock = &Clock;
        s.FailCreate = false;
    }
    ~TPlatformScope() { DisplayPlatformSettings() = FSaved; }

    // A monotonic clock that stands still except when a wait moves it.
    struct TFakeClock : TMonotonicClock {
        std::int64_t NowNs = 5'000'000;  // 5 ms in
        int SleepCount = 0;
        std::int64_t LastSleep = 0;
        std::chrono::nanoseconds Now() override { return std::chrono::nanoseconds(NowNs); }
        void SleepUntil(std::chrono::nanoseconds time) override
        {
            ++SleepCount;
            LastSleep = time.count();
            if (time.count() > NowNs)
                NowNs = time.count();
        }
    } Clock;

private:
    TDisplayPlatformSettings FSaved;
};

// An 8-bit DIB: rows top-down as given, stored bottom-up, with a palette.
struct TDibPicture {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint8_t> Indices;   // Width * Height, top row first
    std::vector<std::uint32_t> Palette;  // 0x00RRGGBB
    bool Rle8 = false;
    bool TopDown = false;
};

// BITMAPINFOHEADER + colour table + rows (no file header).
std::vector<std::uint8_t> MakePackedDib(const TDibPicture& picture);
// A .bmp file of the same.
std::vector<std::uint8_t> MakeBmpFile(const TDibPicture& picture);
// A TDIB with the given pixels.
std::unique_ptr<TDIB> MakeDib(const TDibPicture& picture);
// A picture whose pixel (x, y) has palette index (x / cell + y / cell) % colours.
TDibPicture CheckerSpec(int width, int height, int cell, std::vector<std::uint32_t> palette);

// A JPEG file of the given 0x00RRGGBB pixels.
std::vector<std::uint8_t> MakeJpeg(int width, int height, const std::vector<std::uint32_t>& rgb, int quality = 95);

void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes);
