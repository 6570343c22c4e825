#include "cli/Render.h"

#include "cli/ToolArgs.h"
#include "editor/Main.h"
#include "editor/StageRenderer.h"
#include "platform/PngEncode.h"
#include "storage/FileLookup.h"
#include "storage/SafeWrite.h"
#include "storage/StageFile.h"

#include <ostream>
#include <stdexcept>
#include <string>

void RenderStagePreview(int number, const std::filesystem::path& stageFile, const std::filesystem::path& output,
                        std::ostream& err)
{
    // As the editor loads a stage, but a record that cannot be read is an
    // error here: the random stage is only the editor's fallback. Read
    // before the drawing starts, so a failure is one line with no notices of
    // the window system's around it.
    StageRecord record;
    if (const TRecordResult read = ReadStageRecord(stageFile, number, record); !read)
        throw std::runtime_error("cannot read stage " + std::to_string(number) + " from " + stageFile.string() + ": "
                                 + read.Error);

    TStageRenderer renderer(stageFile.parent_path());
    const TRenderedStage stage = renderer.Render(record);
    // A picture that cannot be read leaves the stage's colour; it is reported here.
    if (!stage.PictureError.empty())
        err << "stagetool render: " << record.BG_Bitmap.Str().c_str() << ": " << stage.PictureError << "\n";

    WritePngFile(output, stage.Pixels, DisplayWidth, DisplayHeight, "the picture of stage " + std::to_string(number));
}

void WritePngFile(const std::filesystem::path& output, const std::vector<std::uint32_t>& pixels, int width, int height,
                  const std::string& what, int compression)
{
    const auto png = EncodePng(pixels, width, height, compression);
    if (!png)
        throw std::runtime_error("cannot encode " + what + " as PNG");
    const TWriteResult written = SafeWriteFile(output, *png);
    if (!written)
        throw std::runtime_error("cannot write " + output.string() + ": " + written.Error);
}

void TPictureProblems::Add(const std::string& picture, const std::string& why, int number)
{
    if (why.empty())
        return;
    std::string& stages = FStages[{picture, why}];
    stages += (stages.empty() ? "" : ", ") + TwoDigits(number);
}

std::vector<std::string> TPictureProblems::Lines() const
{
    std::vector<std::string> lines;
    for (const auto& [key, stages] : FStages)
        lines.push_back(key.first + ": " + key.second + " (stages " + stages + ")");
    return lines;
}
