// Stages through Tiled maps in process: the animation against the editor's
// ticks, what is named as lost, the editor's shadows and picture.
#include "cli/TiledSet.h"
#include "editor/Main.h"
#include "editor/WindowlessEditor.h"
#include "stage/TileAnimation.h"
#include "storage/TiledTileset.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace {

// The tile an animation shows `ms` into its period.
int FrameAt(const std::vector<TTiledFrame>& frames, int ms)
{
    for (const TTiledFrame& frame : frames) {
        if (ms < frame.Duration)
            return frame.TileId;
        ms -= frame.Duration;
    }
    return -100;
}

bool Same(const StageRecord& a, const StageRecord& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

std::string Joined(const std::vector<std::string>& phrases)
{
    std::string text;
    for (const std::string& phrase : phrases)
        text += phrase + "\n";
    return text;
}

}  // namespace

// Every animated tile, placed in its layer, against the editor's own ticks
// over two periods: Tiled's frame at the middle of each tick shows what the
// editor's cell holds after it.
TEST(TiledSet, AnimationsTurnWithTheEditorsTicks)
{
    for (int code = -1; code <= 64; ++code) {
        int total = 0;
        for (const TTiledFrame& frame : TiledAnimation(code))
            total += frame.Duration;
        const bool animated = (code >= 0 && code < 8) || (code >= 60 && code < 64);
        EXPECT_EQ(total, animated ? AnimationPeriodTicks * TickMilliseconds : 0) << code;
    }

    TWindowlessEditor editor(0);
    for (int tick = 1; tick < 4; ++tick)  // the animations count from tick 4
        editor.Form.RunTick();
    StageRecord record;
    EmptyStage(record);
    for (int i = 0; i < 8; ++i)
        record.BG[i][0] = static_cast<std::int16_t>(i);
    for (int i = 0; i < 4; ++i)
        record.FG[i][2] = static_cast<std::int16_t>(60 + i);
    editor.Form.ApplyStage(record);
    for (int k = 0; k < 2 * AnimationPeriodTicks; ++k) {
        editor.Form.RunTick();
        const int ms = (k * TickMilliseconds + TickMilliseconds / 2) % (AnimationPeriodTicks * TickMilliseconds);
        for (int i = 0; i < 8; ++i)
            ASSERT_EQ(FrameAt(TiledAnimation(i), ms), editor.Form.BGLayer->DrawnCell(i + 1, 1))
                << "BG " << i << " tick " << k + 4;
        for (int i = 0; i < 4; ++i)
            ASSERT_EQ(FrameAt(TiledAnimation(60 + i), ms), editor.Form.FGLayer->DrawnCell(i + 1, 3))
                << "FG " << 60 + i << " tick " << k + 4;
    }
}

TEST(TiledSet, WhatAMapCannotCarryIsNamed)
{
    struct Case {
        const char* What;  // part of the one loss expected; null: none, and the record comes back
        std::function<void(StageRecord&)> Change;
    };
    const Case cases[] = {
        {nullptr,
         [](StageRecord& r) {
             r.BG_H_Tile = 2;  // a map keeps the stored byte
             r.BG_Color = 0xFF123456;
             r.Caption.Assign(std::string("The [End] of \x80 it \xFF"));
         }},
        {nullptr,
         [](StageRecord& r) {
             r.FG[39][29] = 63;
             r.BG[0][0] = 7;
             r.EnemyCount[15] = 65535;
             r.MaxCount = 0;
         }},
        {"EnemyCount slots 16..31", [](StageRecord& r) { r.EnemyCount[16] = 1; }},
        {"reserved bytes", [](StageRecord& r) { r.Reserved2[0] = 1; }},
        {"past the end of SI_Bitmap", [](StageRecord& r) { r.SI_Bitmap.Chars[62] = 'x'; }},
        {"BG 4..7 under FG 24..63",
         [](StageRecord& r) {
             r.BG[3][3] = 5;
             r.FG[3][3] = 40;
         }},
        {"1 cell holds shadow patterns 16..23", [](StageRecord& r) { r.BG[2][2] = 17; }},
        {"2 cells hold codes outside -1..63",
         [](StageRecord& r) {
             r.BG[1][1] = 64;
             r.FG[2][2] = -2;
         }},
        {"BG_Bitmap holds control bytes", [](StageRecord& r) { r.BG_Bitmap.Assign(std::string("a\0b", 3)); }},
    };
    for (const Case& c : cases) {
        StageRecord record;
        EmptyStage(record);
        c.Change(record);
        const std::string map = WriteTiledMap(TiledStageOf(record, 0));
        const std::vector<std::string> losses = TiledLosses(record, map);
        const StageRecord back = TiledMapRecord(ReadTiledMap(map).Map, 0);
        if (!c.What) {
            EXPECT_TRUE(losses.empty()) << Joined(losses);
            EXPECT_TRUE(Same(back, record));
            continue;
        }
        ASSERT_EQ(losses.size(), 1u) << c.What << "\n" << Joined(losses);
        EXPECT_NE(losses[0].find(c.What), std::string::npos) << losses[0];
        EXPECT_FALSE(Same(back, record)) << c.What;
    }
}

// The shadows are the editor's, over the background drawn beside the map.
TEST(TiledSet, ShadowsAreTheEditors)
{
    StageRecord record;
    EmptyStage(record);
    record.FG[9][9] = 40;  // the field cell under layer cell (10, 10)
    const TTiledStage stage = TiledStageOf(record, 9);
    EXPECT_EQ(stage.Background, "09-background.png");
    EXPECT_EQ(stage.Shadows[9][9], -1);
    EXPECT_EQ(stage.Shadows[10][9], 17);
    EXPECT_EQ(stage.Shadows[9][10], 19);
    EXPECT_EQ(stage.Shadows[10][10], 16);
}
