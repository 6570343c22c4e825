#include "editor/StageRenderer.h"

#include "editor/Main.h"
#include "editor/PictureCache.h"
#include "editor/WindowlessEditor.h"
#include "engine/DXDraws.h"
#include "platform/TextRenderer.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

// Presenting needs no wait for a screen that is not there.
struct TNoWaitClock : TMonotonicClock {
    std::chrono::nanoseconds Now() override { return std::chrono::nanoseconds(0); }
    void SleepUntil(std::chrono::nanoseconds) override {}
};

// The windowless host, but a new background picture reloads only that
// picture: a full restore would also redraw the tile and flag images, which
// never change, for every stage. Once the display is made nothing else of
// its surfaces needs restoring, and every frame covers the whole back buffer.
class TRendererHost : public TWindowlessHost {
public:
    void RestoreDisplay() override
    {
        ++RestoreCount;
        if (Form && Form->DXDraw && Form->DXDraw->Initialized())
            Form->DXDrawRestoreSurface();
    }
};

namespace {

// The display platform's settings are the program's: the renderer's own are
// in force only while its display object is made (which copies them), and
// the program's come back however that ends.
class TOwnSettings {
public:
    explicit TOwnSettings(TMonotonicClock& clock) : FSaved(DisplayPlatformSettings())
    {
        TDisplayPlatformSettings own;  // a desktop at 0, 0 that holds the whole window
        own.Format = TPixelFormat::XRGB8888;
        own.Clock = &clock;
        DisplayPlatformSettings() = own;
    }
    ~TOwnSettings() { DisplayPlatformSettings() = FSaved; }
    TOwnSettings(const TOwnSettings&) = delete;
    TOwnSettings& operator=(const TOwnSettings&) = delete;

private:
    TDisplayPlatformSettings FSaved;
};

}  // namespace

TStageRenderer::TStageRenderer(std::filesystem::path pictureFolder)
    : FClock(std::make_unique<TNoWaitClock>()),
      FPictures(std::make_unique<TPictureCache>()),
      FHost(std::make_unique<TRendererHost>()),
      FWindow(std::make_unique<TMemoryWindow>(DisplayWidth, DisplayHeight))
{
    FForm = std::make_unique<TMainForm>(*FHost, TFormUse::Offscreen);
    TMainForm& form = *FForm;
    FHost->Form = &form;
    FHost->Tool = TToolMode::Pencil;  // the pencil draws no overlay
    form.PictureFolder = std::move(pictureFolder);
    form.Pictures = FPictures.get();
    form.ClearLayers();
    form.ShadowLayer->Visible = true;
    form.BGLayer->Visible = true;
    form.FGLayer->Visible = true;
    form.ShowGrid = false;
    form.ShowStatus = false;
    form.DownPos = TPoint{-1, -1};

    TDXDrawOptions options = form.DXDraw->Options();
    options.Exclude(TDXDrawOption::doWaitVBlank);
    form.DXDraw->SetOptions(options);
    EnsureGuiApplication();  // for drawing, as the editor has one
    form.DXDraw->SetWindow(FWindow.get());
    {
        const TOwnSettings settings(*FClock);
        form.DXDraw->Initialize();
    }
    FHost->Errors.clear();
}

TStageRenderer::~TStageRenderer() = default;

TRenderedStage TStageRenderer::Render(const StageRecord& record)
{
    TMainForm& form = *FForm;
    FHost->Errors.clear();
    const int restores = FHost->RestoreCount;
    // From empty layers, as a freshly started editor loads the stage, so the
    // change rules run for every cell the record fills, whatever came before.
    form.ClearLayers();
    form.ApplyStage(record);
    // A picture of the same name as the last one is loaded again as well
    // (from the cache while its file is unchanged): a replaced file shows,
    // and a damaged one is reported for every stage that names it.
    if (FHost->RestoreCount == restores)
        FHost->RestoreDisplay();
    form.DXTimerTimer(0);

    TRenderedStage stage;
    stage.Pixels = FWindow->Pixels;
    for (const std::string& error : FHost->Errors) {
        if (!stage.PictureError.empty())
            stage.PictureError += "; ";
        stage.PictureError += error;
    }
    return stage;
}

TRenderedStage TStageRenderer::RenderBackground(const StageRecord& record)
{
    TMainForm& form = *FForm;
    TSprite* const drawn[] = {form.ShadowLayer, form.BGLayer, form.FGLayer, form.FlagSprite};
    for (TSprite* sprite : drawn)
        sprite->Visible = false;
    TRenderedStage stage = Render(record);
    for (TSprite* sprite : drawn)
        sprite->Visible = true;
    return stage;
}

int TStageRenderer::PictureDecodes() const
{
    return FPictures->Decodes();
}

std::vector<std::uint32_t> Downscale(const std::vector<std::uint32_t>& pixels, int width, int height, int scale)
{
    if (width < 0 || height < 0 || scale < 1 || scale > MaxDownscale
        || pixels.size() < static_cast<std::size_t>(width) * static_cast<std::size_t>(height))
        throw std::invalid_argument("Downscale: a scale out of range or pixels that do not match the size");
    if (scale == 1)
        return std::vector<std::uint32_t>(pixels.begin(), pixels.begin() + static_cast<std::ptrdiff_t>(width) * height);
    const int outWidth = width / scale;
    const int outHeight = height / scale;
    const auto count = static_cast<std::uint32_t>(scale * scale);
    std::vector<std::uint32_t> out(static_cast<std::size_t>(outWidth) * static_cast<std::size_t>(outHeight));
    // Red and blue are summed side by side in one word (at most
    // MaxDownscale^2 x 255 = 65,280 each, so neither reaches the other's
    // half), green in another.
    std::vector<std::uint32_t> redBlue(static_cast<std::size_t>(outWidth));
    std::vector<std::uint32_t> green(static_cast<std::size_t>(outWidth));
    for (int y = 0; y < outHeight; ++y) {
        std::fill(redBlue.begin(), redBlue.end(), 0u);
        std::fill(green.begin(), green.end(), 0u);
        for (int dy = 0; dy < scale; ++dy) {
            const std::uint32_t* row =
                pixels.data() + static_cast<std::size_t>(y * scale + dy) * static_cast<std::size_t>(width);
            for (int x = 0; x < outWidth; ++x) {
                std::uint32_t rb = 0, g = 0;
                for (int dx = 0; dx < scale; ++dx) {
                    const std::uint32_t p = row[x * scale + dx];
                    rb += p & 0x00FF00FFu;
                    g += p & 0x0000FF00u;
                }
                redBlue[static_cast<std::size_t>(x)] += rb;
                green[static_cast<std::size_t>(x)] += g;
            }
        }
        std::uint32_t* outRow = out.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(outWidth);
        for (int x = 0; x < outWidth; ++x) {
            const std::uint32_t rb = redBlue[static_cast<std::size_t>(x)];
            const std::uint32_t r = ((rb >> 16) + count / 2) / count;
            const std::uint32_t g = ((green[static_cast<std::size_t>(x)] >> 8) + count / 2) / count;
            const std::uint32_t b = ((rb & 0xFFFFu) + count / 2) / count;
            outRow[x] = (r << 16) | (g << 8) | b;
        }
    }
    return out;
}
