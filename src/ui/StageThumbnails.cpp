#include "ui/StageThumbnails.h"

#include "check/FindingFormat.h"
#include "check/PictureCheck.h"
#include "editor/StageRenderer.h"
#include "storage/FileLookup.h"
#include "storage/StageFile.h"

#include <algorithm>
#include <exception>
#include <utility>

TStageThumbnails::TStageThumbnails(std::filesystem::path stageFile, std::filesystem::path pictureFolder)
    : FStageFile(std::move(stageFile)),
      FPictureFolder(std::move(pictureFolder)),
      FStages(static_cast<std::size_t>(BrowserStageCount))
{
}

TStageThumbnails::~TStageThumbnails() = default;

void TStageThumbnails::SetFiles(std::filesystem::path stageFile, std::filesystem::path pictureFolder)
{
    FStageFile = std::move(stageFile);
    FPictureFolder = std::move(pictureFolder);
    std::fill(FStages.begin(), FStages.end(), TStageThumbnail{});
    FRenderer.reset();
    FPictureCheck.reset();
}

bool TStageThumbnails::ReadFile(bool picturesMayHaveChanged)
{
    // One read under one lock, so that a save by another program cannot land
    // between two records.
    const TStageRecords records = ReadFirstStageRecords(FindStageFile(FStageFile), BrowserStageCount);
    bool changed = false;
    TFoundPictures found;  // many stages name the same few pictures
    for (int number = 0; number < BrowserStageCount; ++number) {
        const auto index = static_cast<std::size_t>(number);
        TStageThumbnail& stage = FStages[index];
        if (index >= records.Records.size()) {
            if (stage.Present)
                changed = true;
            stage = TStageThumbnail{};
            continue;
        }
        const StageRecord& record = records.Records[index];
        if (!stage.Present || !RecordsEqual(stage.Record, record)) {
            changed = true;
            stage.Present = true;
            stage.Record = record;
            stage.Stale = true;
        } else if (picturesMayHaveChanged && !stage.Stale && !PicturesAsMade(stage, found)) {
            stage.Stale = true;
        }
    }
    return changed;
}

bool TStageThumbnails::PicturesAsMade(const TStageThumbnail& stage, TFoundPictures& found) const
{
    auto now = [&](const TShortString& name) -> const TPictureState& {
        const std::string key = name.Str();
        auto at = found.find(key);
        if (at == found.end())
            at = found.emplace(key, PictureStateOf(FPictureFolder, key)).first;
        return at->second;
    };
    return stage.BGPicture == now(stage.Record.BG_Bitmap) && stage.SIPicture == now(stage.Record.SI_Bitmap);
}

int TStageThumbnails::StaleCount() const
{
    return static_cast<int>(
        std::count_if(FStages.begin(), FStages.end(), [](const TStageThumbnail& stage) { return stage.Stale; }));
}

int TStageThumbnails::MakeNext(int first, int last)
{
    first = std::clamp(first, 0, BrowserStageCount - 1);
    last = std::clamp(last, first, BrowserStageCount - 1);
    int number = -1;
    for (int n = first; n <= last && number < 0; ++n)
        if (FStages[static_cast<std::size_t>(n)].Stale)
            number = n;
    for (int n = 0; n < BrowserStageCount && number < 0; ++n)
        if (FStages[static_cast<std::size_t>(n)].Stale)
            number = n;
    if (number < 0)
        return -1;

    TStageThumbnail& stage = FStages[static_cast<std::size_t>(number)];
    stage.Stale = false;
    stage.Failure.clear();
    // Before the pictures are read: a change meanwhile makes it stale again.
    stage.BGPicture = PictureStateOf(FPictureFolder, stage.Record.BG_Bitmap.Str());
    stage.SIPicture = PictureStateOf(FPictureFolder, stage.Record.SI_Bitmap.Str());
    // The checks and the drawing fail on their own: a stage that cannot be
    // drawn is still checked, and the other way round.
    try {
        if (!FPictureCheck)
            FPictureCheck = std::make_unique<TPictureCheck>(FPictureFolder);
        const std::vector<TFinding> findings = CheckStage(number, stage.Record, *FPictureCheck);
        stage.Errors = static_cast<int>(std::count_if(findings.begin(), findings.end(), [](const TFinding& finding) {
            return finding.Severity == TSeverity::Error;
        }));
        // Errors come first.
        stage.FirstError = stage.Errors > 0 ? FindingLine(findings.front()) : std::string();
    } catch (const std::exception& error) {
        stage.Errors = 0;
        stage.FirstError.clear();
        stage.Failure = std::string("Cannot check the stage: ") + error.what() + "\n";
    }
    try {
        if (!FRenderer)
            FRenderer = std::make_unique<TStageRenderer>(FPictureFolder);
        const TRenderedStage drawn = FRenderer->Render(stage.Record);
        stage.Pixels =
            Downscale(drawn.Pixels, ThumbnailWidth * ThumbnailScale, ThumbnailHeight * ThumbnailScale, ThumbnailScale);
    } catch (const std::exception& error) {
        stage.Pixels.clear();
        stage.Failure += std::string("Cannot draw the stage: ") + error.what() + "\n";
    }
    if (!stage.Failure.empty())
        stage.Failure.pop_back();
    return number;
}
