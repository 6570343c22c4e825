#include "engine/DXSprite.h"

#include <cmath>

TImageSprite::TImageSprite(TSprite* parent) : TSprite(parent) {}

void TImageSprite::MoveSelf(int ticks)
{
    FramePos += FrameSpeed * ticks;
    if (Looping) {
        if (FrameCount > 0) {
            // A remainder that keeps the fraction and is never negative.
            FramePos -= static_cast<double>(static_cast<long long>(std::trunc(FramePos)) / FrameCount) * FrameCount;
            if (FramePos < 0)
                FramePos += FrameCount;
        } else {
            FramePos = 0;
        }
    } else {
        if (FramePos >= FrameCount) {
            FramePos = FrameCount - 1;
            FrameSpeed = 0;
        }
        if (FramePos < 0) {
            FramePos = 0;
            FrameSpeed = 0;
        }
    }
}
