#pragma once
// The tile animation of the frame loop: on each 16 ms tick some codes turn to
// the next of their aligned group of four (60 -> 61 -> 62 -> 63 -> 60). The
// editor runs it on its layers; file formats that animate tiles write one
// period of it.

#include <cstdint>

constexpr int TickMilliseconds = 16;
// All three schedules below repeat after this many ticks.
constexpr int AnimationPeriodTicks = 256;

// The next code of `code`'s aligned group of four; for codes 0 and above.
constexpr int AdvancedCode(int code)
{
    return (code & ~3) | static_cast<int>((static_cast<unsigned>(code) + 1u) & 3u);
}

// Which ticks turn which cells. BG codes 4 and above (the ring's 64 too):
// every 32 ticks, from tick 15.
constexpr bool TurnsBGUpper(std::int32_t tick)
{
    return (tick & 31) == 15;
}
// BG codes 0..3: in bursts of four ticks, at the ticks whose low byte is
// 0..3, 16..19, 64..67 or 80..83, so a burst brings a tile back to itself.
constexpr bool TurnsBGGround(std::int32_t tick)
{
    return (tick & 172) == 0;
}
// FG codes 60..63: at the ticks whose low byte is 0, 32, 128 or 160.
constexpr bool TurnsFGAnimated(std::int32_t tick)
{
    return (tick & 95) == 0;
}

// How a tile turns in the layer the palette paints it into: BG 0..3, BG 4..7
// and FG 60..63 animate; every other code stands still there. (A BG cell
// holding a code of 8 or more turns on the BG upper schedule too, which a
// per-tile animation cannot show.)
enum class TTileSchedule { None, BGGround, BGUpper, FGAnimated };

constexpr TTileSchedule ScheduleOfTile(int code)
{
    if (code >= 0 && code <= 3)
        return TTileSchedule::BGGround;
    if (code >= 4 && code <= 7)
        return TTileSchedule::BGUpper;
    if (code >= 60 && code <= 63)
        return TTileSchedule::FGAnimated;
    return TTileSchedule::None;
}

constexpr bool TurnsOn(TTileSchedule schedule, std::int32_t tick)
{
    switch (schedule) {
    case TTileSchedule::BGGround: return TurnsBGGround(tick);
    case TTileSchedule::BGUpper: return TurnsBGUpper(tick);
    case TTileSchedule::FGAnimated: return TurnsFGAnimated(tick);
    case TTileSchedule::None: break;
    }
    return false;
}
