// When the frame timer must wake. A frame is drawn whole, and only when it
// differs from the one shown; between such frames nothing needs the timer
// but input and the stage's clock, whose 16 ms ticks turn tiles and the flag
// on fixed schedules. So unless input is under way, the timer sleeps until
// the tick that changes something the display shows; the frame then drawn,
// after catching up the ticks slept through, is the one a frame drawn at
// every refresh would show.
#include "editor/Main.h"

#include "stage/TileAnimation.h"
#include "stage/TileCodes.h"

#include <algorithm>
#include <cmath>

namespace {

// Which schedules turn a tile the display shows.
struct TShownSchedules {
    bool BGGround = false;
    bool BGUpper = false;
    bool FGAnimated = false;

    bool Any() const { return BGGround || BGUpper || FGAnimated; }
    bool TurnAt(std::int32_t tick) const
    {
        return (BGGround && TurnsBGGround(tick)) || (BGUpper && TurnsBGUpper(tick))
               || (FGAnimated && TurnsFGAnimated(tick));
    }
};

// The field's cells of a shown layer whose drawn codes have a pattern: the
// ring lies outside the display, and a code without a pattern draws nothing
// however it turns. (The tick turns BG codes 4 and above, FG codes 60..63.)
TShownSchedules ShownSchedules(const TBackgroundSprite& bg, const TBackgroundSprite& fg)
{
    TShownSchedules shown;
    for (int y = 1; y <= FieldRows; ++y)
        for (int x = 1; x <= FieldColumns; ++x) {
            const int b = bg.DrawnCell(x, y), f = fg.DrawnCell(x, y);
            if (bg.Visible && bg.DrawsCode(b)) {
                shown.BGGround |= b <= 3;
                shown.BGUpper |= b >= 4;
            }
            shown.FGAnimated |= fg.Visible && fg.DrawsCode(f) && f >= 60 && f <= 63;
        }
    return shown;
}

}  // namespace

// The reasons the next frame cannot wait for the stage's clock: what it shows
// then hangs on input or on counters the clock does not foresee. An overlay
// that changes on its own, not only when the pointer moves, adds its line.
bool TMainForm::WakesEveryRefresh() const
{
    return (DownPos.X >= 0 && DownPos.Y >= 0)  // the mouse pressed: a stroke, or a selection or fill rectangle drawn
           || FPointerMoved         // the pointer moves over the display; the box cursor and our outline follow it
           || FKeyPressed           // a key went down since the last frame (a held key repeats)
           || ShowStatus            // the status lines count frames
           || TimeMode60            // its clock counts the timer's calls, not the time passed
           || DrawUnchangedFrames;  // the frame loop measured under load
}

std::optional<int> TMainForm::TicksToVisibleChange() const
{
    const TShownSchedules tiles = ShownSchedules(*BGLayer, *FGLayer);
    const bool flag = FlagSprite->Visible && FlagSprite->Movable;
    double framePos = FlagSprite->FramePos, frameSpeed = FlagSprite->FrameSpeed;
    const double pattern = std::trunc(framePos);
    if (!tiles.Any() && (!flag || frameSpeed == 0))
        return std::nullopt;
    // The tile schedules repeat after AnimationPeriodTicks.
    for (int k = 1; k <= AnimationPeriodTicks; ++k) {
        if (tiles.TurnAt(static_cast<std::int32_t>(static_cast<std::uint32_t>(FrameTick) + static_cast<unsigned>(k))))
            return k;
        if (flag) {
            FlagSprite->Animate(framePos, frameSpeed, TickMilliseconds);
            if (std::trunc(framePos) != pattern)
                return k;
        }
    }
    // A flag too slow to turn a pattern within a period is looked at again then.
    if (flag && frameSpeed != 0)
        return AnimationPeriodTicks;
    return std::nullopt;
}

std::optional<std::uint32_t> TMainForm::MillisecondsToVisibleChange() const
{
    const std::optional<int> ticks = TicksToVisibleChange();
    if (!ticks)
        return std::nullopt;
    // The k-th tick from now runs once LagTime has grown past 16 (k - 1).
    return static_cast<std::uint32_t>(TickMilliseconds * (*ticks - 1) - std::min(LagTime, 0) + 1);
}
