#include "engine/DXSprite.h"

#include <algorithm>
#include <cmath>
#include <string>

TSprite::TSprite(TSprite* parent) : FParent(parent)
{
    if (FParent) {
        FParent->FChildren.push_back(this);
        FParent->InsertIntoDrawList(this);
        FEngine = dynamic_cast<TSpriteEngine*>(FParent);
        if (!FEngine)
            FEngine = FParent->FEngine;
        if (FEngine)
            ++FEngine->FSpriteCount;
    }
}

TSprite::~TSprite()
{
    // Children remove themselves from FChildren as they go, last first.
    while (!FChildren.empty())
        delete FChildren.back();
    if (FParent) {
        if (FEngine) {
            --FEngine->FSpriteCount;
            auto& kill = FEngine->FKillList;
            kill.erase(std::remove(kill.begin(), kill.end(), this), kill.end());
        }
        FParent->RemoveChild(this);
    }
}

TSprite* TSprite::Child(int index) const
{
    if (FChildren.empty())
        throw ESpriteError("Index of the list exceeds the range. (" + std::to_string(index) + ")");
    return FChildren.at(static_cast<std::size_t>(index));
}

void TSprite::RemoveChild(TSprite* child)
{
    FChildren.erase(std::remove(FChildren.begin(), FChildren.end(), child), FChildren.end());
    FDrawList.erase(std::remove(FDrawList.begin(), FDrawList.end(), child), FDrawList.end());
    if (FChildren.empty()) {
        FChildren.shrink_to_fit();
        FDrawList.shrink_to_fit();
    }
}

// Binary search for the first sprite whose Z is not smaller: a new sprite goes
// in front of its equals and so is drawn underneath them.
void TSprite::InsertIntoDrawList(TSprite* child)
{
    int low = 0;
    int high = static_cast<int>(FDrawList.size()) - 1;
    while (low <= high) {
        const int mid = (low + high) / 2;
        if (FDrawList[static_cast<std::size_t>(mid)]->FZ < child->FZ)
            low = mid + 1;
        else
            high = mid - 1;
    }
    FDrawList.insert(FDrawList.begin() + low, child);
}

void TSprite::SetZ(int value)
{
    if (value == FZ)
        return;
    FZ = value;
    if (FParent) {
        auto& list = FParent->FDrawList;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
        FParent->InsertIntoDrawList(this);
    }
}

double TSprite::AbsoluteX() const
{
    return FParent ? X + FParent->AbsoluteX() : X;
}

double TSprite::AbsoluteY() const
{
    return FParent ? Y + FParent->AbsoluteY() : Y;
}

TRect TSprite::ExtentRect() const
{
    return Bounds(static_cast<int>(std::trunc(AbsoluteX())), static_cast<int>(std::trunc(AbsoluteY())), Width, Height);
}

void TSprite::Move(int ticks)
{
    if (!Movable)
        return;
    MoveSelf(ticks);
    const std::size_t count = FChildren.size();
    for (std::size_t i = 0; i < count && i < FChildren.size(); ++i)
        FChildren[i]->Move(ticks);
}

void TSprite::DrawTree()
{
    if (!Visible)
        return;
    if (FEngine && OverlapRect(ExtentRect(), FEngine->TargetRect)) {
        DrawSelf();
        ++FEngine->FDrawnCount;
    }
    const std::size_t count = FDrawList.size();
    for (std::size_t i = 0; i < count && i < FDrawList.size(); ++i)
        FDrawList[i]->DrawTree();
}

TSpriteEngine::TSpriteEngine() : TSprite(nullptr) {}

TSpriteEngine::~TSpriteEngine()
{
    // Children must go while the engine part still exists: they update its counters.
    while (ChildCount() > 0)
        delete Child(ChildCount() - 1);
}

void TSpriteEngine::Draw()
{
    FDrawnCount = 0;
    DrawTree();
}

void TSpriteEngine::Kill(TSprite* sprite)
{
    if (sprite && std::find(FKillList.begin(), FKillList.end(), sprite) == FKillList.end())
        FKillList.push_back(sprite);
}

void TSpriteEngine::FreeKilled()
{
    while (!FKillList.empty())
        delete FKillList.back();  // the destructor takes it off the list
}
