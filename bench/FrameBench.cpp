// The frame against its memory floor: a full DXTimerTimer frame of a busy
// stage drawn into a 32-bit back buffer (presenting goes to an empty window
// and a clock that never waits), also with the compare and find outlines on,
// the same bytes moved by clear and memcpy, a frame that is skipped because
// nothing in it changed, the look ahead to the next frame that will change,
// and one keyed tile. BM_FrameShown is the frame presented to the main
// window's display at 1x and zoomed to 3x, as it is taken to be shown, with
// nearly every row changed.
#include "OffscreenApplication.h"
#include "editor/Main.h"
#include "editor/WindowlessEditor.h"
#include "engine/DXClass.h"
#include "engine/DXDraws.h"
#include "ui/DisplayWidget.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

namespace {

struct TNoWaitClock : TMonotonicClock {
    std::int64_t NowNs = 0;
    std::chrono::nanoseconds Now() override { return std::chrono::nanoseconds(NowNs += 1'000'000); }
    void SleepUntil(std::chrono::nanoseconds) override {}
};

// A 100 x 50 8-bit BMP of coloured stripes.
void WritePicture(const std::filesystem::path& path)
{
    const int w = 100, h = 50;
    std::vector<std::uint8_t> out{'B', 'M'};
    auto put32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    auto put16 = [&](unsigned v) {
        out.push_back(static_cast<std::uint8_t>(v));
        out.push_back(static_cast<std::uint8_t>(v >> 8));
    };
    put32(14 + 40 + 1024 + w * h);
    put32(0);
    put32(14 + 40 + 1024);
    put32(40);
    put32(w);
    put32(h);
    put16(1);
    put16(8);
    for (int i = 0; i < 6; ++i)
        put32(0);
    for (std::uint32_t i = 0; i < 256; ++i)
        put32(i * 0x010203u & 0xFFFFFF);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            out.push_back(static_cast<std::uint8_t>(x + 3 * y));
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
}

struct TBusyEditor {
    TNoWaitClock Clock;
    TMemoryWindow Window{0, 0};  // presenting reaches no pixels
    TWindowlessHost Host;
    std::filesystem::path Folder = std::filesystem::temp_directory_path() / "stage-frame-bench";
    std::unique_ptr<TMainForm> Form;

    TBusyEditor()
    {
        auto& settings = DisplayPlatformSettings();
        settings.Format = TPixelFormat::XRGB8888;
        settings.Clock = &Clock;
        std::filesystem::create_directories(Folder / "Map");
        WritePicture(Folder / "Map" / "bench.bmp");
        Form = std::make_unique<TMainForm>(Host);
        Host.Form = Form.get();
        Form->Document.SetPictureFolder(Folder);
        Form->ClearLayers();
        Form->DXDraw->SetWindow(&Window);
        Form->DXDraw->Initialize();
        // Every layer well filled: animated ground, water, walls and canopy.
        for (int y = 1; y <= 30; ++y)
            for (int x = 1; x <= 40; ++x) {
                Form->BGLayer->SetCell(x, y, (x * 7 + y * 3) % 11 == 0 ? 4 + x % 4 : (x + y) % 4);
                const int k = (x * 5 + y * 11) % 10;
                if (k < 6)
                    Form->FGLayer->SetCell(x, y, k < 3 ? 24 + (x + y) % 40 : 8 + (x * y) % 8);
            }
        TShortString name;
        name.Assign("bench.bmp");
        Form->BG_Bitmap = name;
        Form->BG_H_Tile = Form->BG_V_Tile = true;
        Form->DXDraw->Restore();
        Form->ShowGrid = true;
        Form->ShowStatus = true;
        Form->ToolMode = TToolMode::Select;
        Form->SelRect = TRect{64, 48, 400, 320};
        Form->DXTimerTimer(16);
    }
    ~TBusyEditor()
    {
        Form.reset();
        std::filesystem::remove_all(Folder);
        DisplayPlatformSettings().Clock = nullptr;
    }

    // The frames presented so far.
    int VerticalBlankWaits() const { return Form->DXDraw->DDraw()->IDraw()->VerticalBlankWaits(); }

    // Pixels of the tiles the frame draws on screen.
    std::size_t VisibleTilePixels() const
    {
        std::size_t tiles = 0;
        for (const TBackgroundSprite* layer : {Form->BGLayer, Form->ShadowLayer, Form->FGLayer})
            for (int y = 0; y < layer->Rows(); ++y)
                for (int x = 0; x < layer->Columns(); ++x) {
                    const int sx = static_cast<int>(layer->X) - 16 + 16 * x,
                              sy = static_cast<int>(layer->Y) - 16 + 16 * y;
                    if (layer->Cell(x, y) >= 0 && layer->Cell(x, y) < 64 && sx > -16 && sx < 640 && sy > -16
                        && sy < 480)
                        ++tiles;
                }
        return tiles * 256 + 32 * 32;  // and the flag
    }
};

// Every frame drawn, as when the stage changes all the time (a pencil stroke).
// With the argument 1 both outlines are on: every FG cell differs from the
// empty stage compared with, and the brick cells are found.
void BM_Frame(benchmark::State& state)
{
    TBusyEditor editor;
    if (!editor.Form->PictureLoaded)
        state.SkipWithError("the background picture did not load");
    if (state.range(0) == 1) {
        editor.Form->Document.SetStageFileName(editor.Folder / "Stage.Dat");  // none: an empty set
        editor.Form->Document.CompareWith({}, "nothing");
        editor.Form->ShowCompareOutline = true;
        editor.Form->Document.Find({{24, 25, 26, 27}, "", "brick"});
    }
    TMainForm::DrawUnchangedFrames = true;
    const int waitsBefore = editor.VerticalBlankWaits();
    for (auto _ : state) {
        editor.Form->DXTimerTimer(16);
        benchmark::ClobberMemory();
    }
    TMainForm::DrawUnchangedFrames = false;
    if (editor.VerticalBlankWaits() - waitsBefore != static_cast<int>(state.iterations()))
        state.SkipWithError("a frame was not drawn");
    state.counters["tile_px"] = static_cast<double>(editor.VisibleTilePixels());
}
BENCHMARK(BM_Frame)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_FrameShown(benchmark::State& state)
{
    OffscreenApplication();
    TBusyEditor editor;
    TDisplayWidget display(nullptr);  // never shown: what it shows is made, not sent to a screen
    display.SetZoom(static_cast<int>(state.range(0)));
    editor.Form->DXDraw->SetWindow(&display);
    editor.Form->DXTimerTimer(16);
    for (auto _ : state) {
        // The picture stops short under row 50 every other frame: most rows change.
        editor.Form->BG_V_Tile = static_cast<std::uint8_t>(!editor.Form->BG_V_Tile);
        editor.Form->DXTimerTimer(16);
        benchmark::ClobberMemory();
    }
    editor.Form->DXDraw->SetWindow(&editor.Window);
    state.counters["shown_px"] = static_cast<double>(display.Zoom() == 1 ? display.Shown().sizeInBytes() / 4
                                                                         : display.ShownZoomed().sizeInBytes() / 4);
}
BENCHMARK(BM_FrameShown)->Arg(1)->Arg(3)->Unit(benchmark::kMicrosecond);

// A frame equal to the last one: the tick runs, nothing is drawn. Each
// iteration starts from the same tick and flag position, one whose next tick
// turns no tile and moves the flag within its pattern.
void BM_FrameSkipped(benchmark::State& state)
{
    TBusyEditor editor;
    TMainForm& form = *editor.Form;
    constexpr std::int32_t QuietTick = 4;
    form.FrameTick = QuietTick;
    form.FlagSprite->FramePos = 0;
    form.DXTimerTimer(16);  // drawn: the state every iteration finds
    const int waitsBefore = editor.VerticalBlankWaits();
    for (auto _ : state) {
        form.FrameTick = QuietTick;
        form.FlagSprite->FramePos = 0;
        form.DXTimerTimer(16);
        benchmark::ClobberMemory();
    }
    if (editor.VerticalBlankWaits() != waitsBefore)
        state.SkipWithError("a frame was drawn");
}
BENCHMARK(BM_FrameSkipped)->Unit(benchmark::kNanosecond);

// What an idle editor adds to each frame it wakes for: finding the tick of
// the stage's next visible change (every tile schedule on this stage, the
// flag shown), the sleep its timer is then told.
void BM_NextVisibleChange(benchmark::State& state)
{
    TBusyEditor editor;
    TMainForm& form = *editor.Form;
    form.ShowStatus = false;
    form.FrameTick = 20;  // after this frame's tick, the FG turns 11 ticks on
    form.DXTimerTimer(16);
    for (auto _ : state)
        benchmark::DoNotOptimize(form.MillisecondsToVisibleChange());
    if (form.TicksToVisibleChange() != 11)
        state.SkipWithError("not the change expected");
}
BENCHMARK(BM_NextVisibleChange)->Unit(benchmark::kNanosecond);

// The first frame after an hour of sleep (a still stage left alone, or the
// window minimised): the hour's 225,000 ticks caught up, then one frame.
void BM_FrameAfterAnHour(benchmark::State& state)
{
    TBusyEditor editor;
    TMainForm& form = *editor.Form;
    form.ShowStatus = false;
    for (auto _ : state)
        form.DXTimerTimer(3'600'000);
}
BENCHMARK(BM_FrameAfterAnHour)->Unit(benchmark::kMillisecond);

void BM_FrameFloor(benchmark::State& state)
{
    std::size_t tileBytes;
    {
        TBusyEditor editor;
        tileBytes = editor.VisibleTilePixels() * 4;
    }
    std::vector<std::uint8_t> back(640 * 480 * 4), source(tileBytes, 1), dest(tileBytes);
    for (auto _ : state) {
        std::memset(back.data(), 0, back.size());
        std::memcpy(dest.data(), source.data(), tileBytes);
        benchmark::DoNotOptimize(back.data());
        benchmark::DoNotOptimize(dest.data());
        benchmark::ClobberMemory();
    }
    state.counters["bytes"] = static_cast<double>(tileBytes + back.size());
}
BENCHMARK(BM_FrameFloor)->Unit(benchmark::kMicrosecond);

void BM_TileBlit(benchmark::State& state)
{
    TBusyEditor editor;
    TPictureCollectionItem& tiles = editor.Form->DXImageList->Items.Find("back");
    TDirectDrawSurface* back = editor.Form->DXDraw->Surface();
    // One place on the back buffer, so the figure is the blit's own cost.
    int i = 0;
    for (auto _ : state) {
        tiles.Draw(back, 160, 96, 24 + (i++ & 15));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_TileBlit);

}  // namespace
