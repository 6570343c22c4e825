#pragma once
// Stages drawn off screen exactly as the editor shows them, for previews,
// thumbnails and sheets of many stages.

#include "stage/StageRecord.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

class TWindowlessHost;
class TMainForm;
class TMemoryWindow;
class TPictureCache;
struct TNoWaitClock;

// One stage's picture: DisplayWidth x DisplayHeight pixels (640 x 480),
// 0x00RRGGBB, top row first.
struct TRenderedStage {
    std::vector<std::uint32_t> Pixels;
    // Why the background picture could not be shown (the stage's colour shows
    // instead), as the editor would report it; empty when it showed or when
    // the stage names none or one the display does not find.
    std::string PictureError;
};

// Draws stage records as a freshly started editor shows a loaded stage: an
// offscreen editor form on a memory window, with no editing overlay, no
// status text and no simulation tick (animated tiles show as stored).
// Pictures are looked up in "Map" inside `pictureFolder` as the display
// does, and decoded once per file while the renderer lives.
//
// Made once, it draws any number of records in a row. It leaves the rest of
// the program alone, so a running editor may own one: the form's frame timer
// idles on an application of its own, the program-wide random generator
// keeps its state, the display's global platform settings are used only
// while the renderer makes its display (and are then put back as they
// were), and that display never waits for a vertical blank (whose count
// paces the editor's frames). Make it on the thread that owns the display
// settings (the user-interface thread); Render touches no program-wide state
// of the editor, so one thread at a time may then use it.
class TStageRenderer {
public:
    explicit TStageRenderer(std::filesystem::path pictureFolder);
    ~TStageRenderer();
    TStageRenderer(const TStageRenderer&) = delete;
    TStageRenderer& operator=(const TStageRenderer&) = delete;

    TRenderedStage Render(const StageRecord& record);
    // The background alone, as the display paints it under the layers: the
    // colour, and the picture tiled and clipped as the stage says. No tile,
    // shadow or flag.
    TRenderedStage RenderBackground(const StageRecord& record);

    // How many picture files were read and decoded so far.
    int PictureDecodes() const;

private:
    std::unique_ptr<TNoWaitClock> FClock;  // the display's clock, for the renderer's life
    std::unique_ptr<TPictureCache> FPictures;
    std::unique_ptr<TWindowlessHost> FHost;
    std::unique_ptr<TMemoryWindow> FWindow;
    std::unique_ptr<TMainForm> FForm;
};

// Reduces a picture of width x height pixels (0x00RRGGBB, top row first) by
// `scale` in both directions: each pixel of the result is the
// average of a scale x scale block, per colour channel and rounded, so a wall
// one pixel thin still tints its block. A partial block at the right or
// bottom edge is dropped. The result is (width / scale) x (height / scale).
// Raises std::invalid_argument when `pixels` holds fewer than width x height
// or scale is not 1..MaxDownscale.
constexpr int MaxDownscale = 16;
std::vector<std::uint32_t> Downscale(const std::vector<std::uint32_t>& pixels, int width, int height, int scale);
