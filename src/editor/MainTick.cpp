// One fixed 16 ms simulation tick of the frame loop. The animation writes
// silently (PutCell): no change rule, no shadow refresh, no history. Only FG
// codes 60..63 turn, and they all fall in the same shadow sets, so the shadow
// layer stays right.
#include "editor/Main.h"

#include "stage/TileAnimation.h"

void TMainForm::AdvanceCells(TBackgroundSprite* layer, int low, int high)
{
    for (int y = 0; y < layer->Rows(); ++y)
        for (int x = 0; x < layer->Columns(); ++x) {
            const int code = layer->Cell(x, y);
            if (code >= low && code <= high)
                layer->PutCell(x, y, AdvancedCode(code));
        }
}

void TMainForm::RunTick()
{
    LagTime -= TickMilliseconds;
    // FrameTick wraps at the end of its 32-bit range.
    FrameTick = static_cast<std::int32_t>(static_cast<std::uint32_t>(FrameTick) + 1u);
    if (TurnsBGUpper(FrameTick))
        AdvanceCells(BGLayer, 4, INT32_MAX);  // the BG ring's 64 turns too, drawing nothing
    if (TurnsBGGround(FrameTick))
        AdvanceCells(BGLayer, 0, 3);
    if (TurnsFGAnimated(FrameTick))
        AdvanceCells(FGLayer, 60, 63);
    DXSpriteEngine->Move(TickMilliseconds);
    DXSpriteEngine->FreeKilled();
}
