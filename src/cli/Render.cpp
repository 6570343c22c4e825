#include "cli/Render.h"

#include "editor/CliHost.h"
#include "editor/Main.h"
#include "engine/DXDraws.h"
#include "platform/TextRenderer.h"
#include "storage/SafeWrite.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <string_view>

namespace {

// Presenting needs no wait for a screen that is not there.
struct TNoWaitClock : TMonotonicClock {
    std::chrono::nanoseconds Now() override { return std::chrono::nanoseconds(0); }
    void SleepUntil(std::chrono::nanoseconds) override {}
};

// The display settings are global: they must not keep the local clock after
// the render, however it ends.
struct TClockInstalled {
    TDisplayPlatformSettings& Settings;
    TClockInstalled(TDisplayPlatformSettings& settings, TMonotonicClock& clock) : Settings(settings)
    {
        Settings.Clock = &clock;
    }
    ~TClockInstalled() { Settings.Clock = nullptr; }
};

} // namespace

void RenderStagePreview(int number, const std::filesystem::path& stageFile, const std::filesystem::path& output)
{
    TNoWaitClock clock;
    TDisplayPlatformSettings& settings = DisplayPlatformSettings();
    settings.Format = TPixelFormat::XRGB8888;
    const TClockInstalled installed(settings, clock);

    TCliHost host;
    TMainForm form(host);
    host.Form = &form;
    host.Tool = TToolMode::Pencil;  // the pencil draws no overlay
    host.StageNumPosition = number;
    form.StageNum = static_cast<std::uint16_t>(number);
    form.StageFileName = stageFile;
    form.PictureFolder = stageFile.parent_path();
    form.ClearLayers();
    // As LoadStage, but a record that cannot be read is an error here: the
    // random stage is only the editor's fallback.
    form.ShadowLayer->Visible = true;
    form.BGLayer->Visible = true;
    form.FGLayer->Visible = true;
    if (!form.ReadStageFile())
        throw std::runtime_error("cannot read stage " + std::to_string(number) + " from " + stageFile.string());

    // Only drawing needs the window system's fonts; started this late, it
    // adds none of its own notices to a failure's one line.
    EnsureGuiApplication();
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

    // Encoded whole in memory first, so the file is written by the one safe
    // write: a full disk or a failing device never leaves a cut picture.
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG"))
        throw std::runtime_error("cannot encode the picture of stage " + std::to_string(number) + " as PNG");
    buffer.close();
    const TWriteResult written =
        SafeWriteFile(output, std::string_view(png.constData(), static_cast<std::size_t>(png.size())));
    if (!written)
        throw std::runtime_error("cannot write " + output.string() + ": " + written.Error);
}
