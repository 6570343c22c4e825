#include "cli/Render.h"

#include "cli/CliHost.h"
#include "editor/Main.h"
#include "engine/DXDraws.h"
#include "platform/TextRenderer.h"

#include <QImage>

#include <cstdio>
#include <stdexcept>

namespace {

// Presenting needs no wait for a screen that is not there.
struct TNoWaitClock : TMonotonicClock {
    std::chrono::nanoseconds Now() override { return std::chrono::nanoseconds(0); }
    void SleepUntil(std::chrono::nanoseconds) override {}
};

} // namespace

void RenderStagePreview(int number, const std::filesystem::path& stageFile, const std::filesystem::path& output)
{
    EnsureGuiApplication();
    TNoWaitClock clock;
    TDisplayPlatformSettings& settings = DisplayPlatformSettings();
    settings.Format = TPixelFormat::XRGB8888;
    settings.Clock = &clock;

    TCliHost host;
    TMainForm form(host);
    host.Form = &form;
    host.Tool = 2;  // the pencil draws no overlay
    host.StageNumPosition = number;
    form.StageNum = static_cast<std::uint16_t>(number);
    form.StageFileName = stageFile;
    form.PictureFolder = stageFile.parent_path();
    form.ClearLayers();
    form.LoadStage();

    TMemoryWindow window(DisplayWidth, DisplayHeight);
    form.DXDraw->SetWindow(&window);
    form.DXDraw->Initialize();
    // A picture that cannot be read leaves the stage's colour; it is reported here.
    for (const std::string& error : host.Errors)
        std::fprintf(stderr, "stagetool render: %s: %s\n", form.BG_Bitmap.Str().c_str(), error.c_str());
    form.ShowGrid = false;
    form.ShowStatus = false;
    form.DownPos = TPoint{-1, -1};
    form.DXTimerTimer(0);

    QImage image(DisplayWidth, DisplayHeight, QImage::Format_RGB32);
    for (int y = 0; y < DisplayHeight; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < DisplayWidth; ++x)
            row[x] = 0xFF000000u | window.Pixel(x, y);
    }
    form.DXDraw->Finalize();
    settings.Clock = nullptr;
    if (!image.save(QString::fromStdString(output.string()), "PNG"))
        throw std::runtime_error("cannot write " + output.string());
}
