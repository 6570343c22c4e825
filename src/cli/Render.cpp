#include "cli/Render.h"

#include "editor/Main.h"
#include "editor/StageRenderer.h"
#include "platform/PngEncode.h"
#include "storage/FileLookup.h"
#include "storage/SafeWrite.h"
#include "storage/StageFile.h"

#include <cstdio>
#include <stdexcept>
#include <string>

void RenderStagePreview(int number, const std::filesystem::path& stageFile, const std::filesystem::path& output)
{
    // As the editor loads a stage, but a record that cannot be read is an
    // error here: the random stage is only the editor's fallback. Read
    // before the drawing starts, so a failure is one line with no notices of
    // the window system's around it.
    StageRecord record;
    if (!ReadStageRecord(FindStageFile(stageFile), number, record))
        throw std::runtime_error("cannot read stage " + std::to_string(number) + " from " + stageFile.string());

    TStageRenderer renderer(stageFile.parent_path());
    const TRenderedStage stage = renderer.Render(record);
    // A picture that cannot be read leaves the stage's colour; it is reported here.
    if (!stage.PictureError.empty())
        std::fprintf(stderr, "stagetool render: %s: %s\n", record.BG_Bitmap.Str().c_str(), stage.PictureError.c_str());

    // Encoded whole in memory first, so the file is written by the one safe
    // write: a full disk or a failing device never leaves a cut picture.
    const auto png = EncodePng(stage.Pixels, DisplayWidth, DisplayHeight);
    if (!png)
        throw std::runtime_error("cannot encode the picture of stage " + std::to_string(number) + " as PNG");
    const TWriteResult written = SafeWriteFile(output, *png);
    if (!written)
        throw std::runtime_error("cannot write " + output.string() + ": " + written.Error);
}
