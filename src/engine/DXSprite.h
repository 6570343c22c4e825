#pragma once
// The sprite tree: sprites, the tile layers the stage lives in, the animated
// image sprite and the root engine. Everything here is plain C++; the parts
// that touch pictures and surfaces live in SpriteDraw.cpp.

#include "engine/DXDraws.h"
#include "platform/Types.h"

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

class TSpriteEngine;

class ESpriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A node of the scene. A sprite created with a parent is owned by it: the
// parent destroys its children (last created first) when it is destroyed.
class TSprite {
public:
    explicit TSprite(TSprite* parent);
    virtual ~TSprite();
    TSprite(const TSprite&) = delete;
    TSprite& operator=(const TSprite&) = delete;

    TSpriteEngine* Engine() const { return FEngine; }
    TSprite* Parent() const { return FParent; }

    int ChildCount() const { return static_cast<int>(FChildren.size()); }
    // Children in creation order. Raises ESpriteError when the sprite has no
    // children, std::out_of_range for an index outside an existing list.
    TSprite* Child(int index) const;

    int Z() const { return FZ; }
    void SetZ(int value);

    double AbsoluteX() const;
    double AbsoluteY() const;

    // The rectangle the sprite covers on the engine's target, in pixels.
    virtual TRect ExtentRect() const;

    // Advances this sprite and its subtree unless Movable is false.
    void Move(int ticks);

    bool Collidable = true;
    bool Movable = true;
    bool Visible = true;
    double X = 0;
    double Y = 0;
    int Width = 0;
    int Height = 0;

protected:
    virtual void DrawSelf() {}
    virtual void MoveSelf(int /*ticks*/) {}

    // Draws this sprite (when it is visible and meets the target) and then its
    // draw list in ascending Z.
    void DrawTree();

private:
    friend class TSpriteEngine;
    void InsertIntoDrawList(TSprite* child);
    void RemoveChild(TSprite* child);

    TSpriteEngine* FEngine = nullptr;
    TSprite* FParent = nullptr;
    std::vector<TSprite*> FChildren;  // owned, creation order
    std::vector<TSprite*> FDrawList;  // the same children sorted by ascending Z
    int FZ = 0;
};

// An animated sprite that shows one pattern of an image-list item.
class TImageSprite : public TSprite {
public:
    explicit TImageSprite(TSprite* parent);

    TPictureCollectionItem* SpriteImage() const { return FSpriteImage; }
    // Takes the item's pattern count and size and rewinds the animation.
    virtual void SetSpriteImage(TPictureCollectionItem* item);

    int FrameCount = 0;
    bool Looping = false;
    double FramePos = 0;
    double FrameSpeed = 0;
    int FirstFrame = 0;

    // What a Move(ticks) makes of an animation at framePos and frameSpeed, to
    // the bit, without moving the sprite: a frame loop can look ahead with it.
    void Animate(double& framePos, double& frameSpeed, int ticks) const;

protected:
    void DrawSelf() override;
    void MoveSelf(int ticks) override;

private:
    TPictureCollectionItem* FSpriteImage = nullptr;  // not owned
};

// Called after a cell has changed through SetCell, with the layer and the cell.
using TCellChangeEvent = std::function<void(class TBackgroundSprite* sender, int x, int y)>;

// A tile layer: a grid of tile codes drawn with the patterns of TileImage.
// Cells are row-major; reads outside the grid give -1 and writes outside it
// are ignored. A negative code is an empty cell.
//
// Each cell has two codes: the one written (Cell; what the owner stores and
// edits) and the one drawn (DrawnCell). Every write of a code sets both; the
// drawn one alone may then be turned by PutDrawnCell (an animation), which
// the written code never sees.
class TBackgroundSprite : public TSprite {
public:
    explicit TBackgroundSprite(TSprite* parent);
    ~TBackgroundSprite() override;

    int Columns() const { return FColumns; }
    int Rows() const { return FRows; }

    // Resizes and clears the grid (every code 0, every hit flag true); a size
    // equal to the current one keeps everything; a non-positive size gives 0 x 0.
    // Raises std::bad_alloc when the arrays cannot be allocated, leaving 0 x 0.
    void SetGridSize(int width, int height);

    int Cell(int x, int y) const { return Inside(x, y) ? FCells[Index(x, y)] : -1; }
    // Stores a changed code and then raises OnCellChange.
    void SetCell(int x, int y, int code);
    // Stores the code without raising anything.
    void PutCell(int x, int y, int code)
    {
        if (!Inside(x, y))
            return;
        const std::size_t i = Index(x, y);
        if (FCells[i] != code) {
            FCells[i] = code;
            ++FCodeRevision;
        }
        PutDrawn(i, code);
    }
    // The code drawn at a cell: the written one, or what PutDrawnCell made
    // of it since. -1 outside the grid.
    int DrawnCell(int x, int y) const { return Inside(x, y) ? FDrawn[Index(x, y)] : -1; }
    // Changes only the code drawn; the written code stays.
    void PutDrawnCell(int x, int y, int code)
    {
        if (Inside(x, y))
            PutDrawn(Index(x, y), code);
    }
    // Counts the changes of what the layer draws (sizes and drawn codes, by
    // any write): equal revisions mean the layer draws the same cells. A code
    // turning into another where neither has a pattern of TileImage (an empty
    // cell, a border code) draws nothing either way and is not counted.
    std::uint64_t Revision() const { return FRevision; }
    // True when `code` draws a pattern of TileImage (every code 0 and above
    // while there is no TileImage).
    bool DrawsCode(int code) const;
    // Counts the changes of the written codes (and sizes) only: equal
    // revisions mean Cell gives the same codes.
    std::uint64_t CodeRevision() const { return FCodeRevision; }
    bool HitFlag(int x, int y) const;
    void SetHitFlag(int x, int y, bool flag);

    TRect ExtentRect() const override;

    TPictureCollectionItem* TileImage = nullptr;  // not owned
    TCellChangeEvent OnCellChange;

protected:
    void DrawSelf() override;

private:
    bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < FColumns && y < FRows; }
    std::size_t Index(int x, int y) const { return static_cast<std::size_t>(y) * FColumns + x; }
    void PutDrawn(std::size_t i, int code)
    {
        if (FDrawn[i] != code) {
            if (DrawsCode(FDrawn[i]) || DrawsCode(code))
                ++FRevision;
            FDrawn[i] = code;
        }
    }

    std::vector<bool> FHitFlags;
    std::vector<int> FCells;
    std::vector<int> FDrawn;
    int FColumns = 0;
    int FRows = 0;
    std::uint64_t FRevision = 0;
    std::uint64_t FCodeRevision = 0;
};

// The root of a scene. It counts the sprites under it and draws them onto its
// Target, skipping those whose extent misses TargetRect.
class TSpriteEngine : public TSprite {
public:
    TSpriteEngine();
    ~TSpriteEngine() override;

    int SpriteCount() const { return FSpriteCount; }
    int DrawnCount() const { return FDrawnCount; }

    TDirectDrawSurface* Target() const { return FTarget; }
    // Takes the surface's client rectangle as TargetRect and as the root's size;
    // clearing the target keeps TargetRect.
    void SetTarget(TDirectDrawSurface* surface);
    TRect TargetRect;

    void Draw();
    // Destroys the sprites on the kill list, last first.
    void FreeKilled();
    void Kill(TSprite* sprite);

private:
    friend class TSprite;
    int FSpriteCount = 0;
    int FDrawnCount = 0;
    std::vector<TSprite*> FKillList;
    TDirectDrawSurface* FTarget = nullptr;  // not owned
};

// The component a form holds: owns one engine and draws it on its display's
// back buffer while the display is initialised.
class TDXSpriteEngine : public TDXDrawNotifyTarget {
public:
    TDXSpriteEngine();
    ~TDXSpriteEngine() override;
    TDXSpriteEngine(const TDXSpriteEngine&) = delete;
    TDXSpriteEngine& operator=(const TDXSpriteEngine&) = delete;

    TSpriteEngine Engine;

    TDXDraw* DXDraw() const { return FDXDraw; }
    void SetDXDraw(TDXDraw* draw);

    void Move(int ticks) { Engine.Move(ticks); }
    void FreeKilled() { Engine.FreeKilled(); }
    void Draw();

    // Initialise makes the display's back buffer the target, finalise clears it,
    // destroying forgets the display.
    void DXDrawNotify(TDXDraw& sender, TDXDrawNotifyType type) override;

private:
    TDXDraw* FDXDraw = nullptr;  // not owned
};
