#include "engine/DXSprite.h"

#include <cmath>

TImageSprite::TImageSprite(TSprite* parent) : TSprite(parent) {}

void TImageSprite::MoveSelf(int ticks)
{
    Animate(FramePos, FrameSpeed, ticks);
}

void TImageSprite::Animate(double& framePos, double& frameSpeed, int ticks) const
{
    framePos += frameSpeed * ticks;
    if (Looping) {
        if (FrameCount > 0) {
            // A remainder that keeps the fraction and is never negative.
            framePos -= static_cast<double>(static_cast<long long>(std::trunc(framePos)) / FrameCount) * FrameCount;
            if (framePos < 0)
                framePos += FrameCount;
        } else {
            framePos = 0;
        }
    } else {
        if (framePos >= FrameCount) {
            framePos = FrameCount - 1;
            frameSpeed = 0;
        }
        if (framePos < 0) {
            framePos = 0;
            frameSpeed = 0;
        }
    }
}
