#include "ui/StageThumbnails.h"

#include "check/FindingFormat.h"
#include "check/PictureCheck.h"
#include "editor/StageRenderer.h"
#include "storage/FileLookup.h"
#include "storage/StageFile.h"

#include <algorithm>
#include <exception>
#include <set>
#include <utility>

TStageThumbnails::TStageThumbnails(std::filesystem::path stageFile, std::filesystem::path pictureFolder)
    : FStageFile(std::move(stageFile)),
      FPictureFolder(std::move(pictureFolder)),
      FStages(static_cast<std::size_t>(StageCount))
{
}

TStageThumbnails::~TStageThumbnails() = default;

void TStageThumbnails::SetFiles(std::filesystem::path stageFile, std::filesystem::path pictureFolder)
{
    FStageFile = std::move(stageFile);
    FPictureFolder = std::move(pictureFolder);
    std::fill(FStages.begin(), FStages.end(), TStageThumbnail{});
    FReadFailure.clear();
    FLooks.clear();
    FRenderer.reset();
    FPictureCheck.reset();
}

bool TStageThumbnails::ReadFile(bool picturesMayHaveChanged)
{
    // One read under one lock, so that a save by another program cannot land
    // between two records.
    const std::filesystem::path file = FindStageFile(FStageFile);
    const TStageRecords records = ReadFirstStageRecords(file, StageCount);
    FReadFailure.clear();
    if (!records.Read) {
        FReadFailure = StageFileClash(FStageFile);
        if (FReadFailure.empty())
            FReadFailure = file.filename().string() + " cannot be read: " + records.Error;
    }
    bool changed = false;
    TFoundPictures found;  // many stages name the same few pictures
    for (int number = 0; number < StageCount; ++number) {
        const auto index = static_cast<std::size_t>(number);
        TStageThumbnail& stage = FStages[index];
        if (index >= records.Records.size()) {
            if (stage.Present)
                changed = true;
            stage = TStageThumbnail{};
            continue;
        }
        const StageRecord& record = records.Records[index];
        const bool same = stage.Present && RecordsEqual(stage.Record, record);
        if (!same) {
            changed = true;
            stage.Present = true;
            stage.Record = record;
            stage.Stale = true;
            if (std::shared_ptr<const TStageLook> look = FindLook(record))
                TakeLook(number, std::move(look));
        }
        // A look taken just now was checked against the pictures when made
        // or at an earlier reading; checked again, once per look.
        if (picturesMayHaveChanged && !stage.Stale && !PicturesAsMade(*stage.Look, found)) {
            ForgetLook(*stage.Look);
            stage.Stale = true;
        }
    }
    // A forgotten look may still stand for another stage taken before it was found out.
    for (TStageThumbnail& stage : FStages)
        if (stage.Present && !stage.Stale && !FindLook(stage.Record))
            stage.Stale = true;
    TrimLooks();
    return changed;
}

bool TStageThumbnails::PicturesAsMade(const TStageLook& look, TFoundPictures& found) const
{
    auto now = [&](const TShortString& name) -> const TPictureState& {
        const std::string key = name.Str();
        auto at = found.find(key);
        if (at == found.end())
            at = found.emplace(key, PictureStateOf(FPictureFolder, key)).first;
        return at->second;
    };
    return look.BGPicture == now(look.Record.BG_Bitmap) && look.SIPicture == now(look.Record.SI_Bitmap);
}

std::shared_ptr<const TStageLook> TStageThumbnails::FindLook(const StageRecord& record) const
{
    const auto bucket = FLooks.find(RecordHash(record));
    if (bucket == FLooks.end())
        return nullptr;
    for (const std::shared_ptr<const TStageLook>& look : bucket->second)
        if (RecordsEqual(look->Record, record))
            return look;
    return nullptr;
}

void TStageThumbnails::KeepLook(std::shared_ptr<const TStageLook> look)
{
    ForgetLook(*look);
    FLooks[RecordHash(look->Record)].push_back(std::move(look));
}

void TStageThumbnails::ForgetLook(const TStageLook& look)
{
    const auto bucket = FLooks.find(RecordHash(look.Record));
    if (bucket == FLooks.end())
        return;
    std::erase_if(bucket->second, [&look](const std::shared_ptr<const TStageLook>& kept) {
        return RecordsEqual(kept->Record, look.Record);
    });
    if (bucket->second.empty())
        FLooks.erase(bucket);
}

void TStageThumbnails::TrimLooks()
{
    std::size_t kept = 0;
    for (const auto& [hash, looks] : FLooks)
        kept += looks.size();
    if (kept <= SpareLooks + StageCount)
        return;
    std::set<const TStageLook*> shown;
    for (const TStageThumbnail& stage : FStages)
        shown.insert(stage.Look.get());
    for (auto bucket = FLooks.begin(); bucket != FLooks.end();) {
        std::erase_if(bucket->second,
                      [&shown](const std::shared_ptr<const TStageLook>& look) { return !shown.contains(look.get()); });
        bucket = bucket->second.empty() ? FLooks.erase(bucket) : std::next(bucket);
    }
}

void TStageThumbnails::TakeLook(int number, std::shared_ptr<const TStageLook> look)
{
    TStageThumbnail& stage = FStages[static_cast<std::size_t>(number)];
    stage.Stale = false;
    stage.FirstError.clear();
    if (look->FirstError) {
        TFinding finding = *look->FirstError;
        finding.Stage = number;
        stage.FirstError = FindingLine(finding);
    }
    stage.Look = std::move(look);
}

int TStageThumbnails::StaleCount() const
{
    return static_cast<int>(
        std::count_if(FStages.begin(), FStages.end(), [](const TStageThumbnail& stage) { return stage.Stale; }));
}

int TStageThumbnails::MakeNext(int first, int last)
{
    first = std::clamp(first, 0, StageCount - 1);
    last = std::clamp(last, first, StageCount - 1);
    int number = -1;
    for (int n = first; n <= last && number < 0; ++n)
        if (FStages[static_cast<std::size_t>(n)].Stale)
            number = n;
    for (int n = 0; n < StageCount && number < 0; ++n)
        if (FStages[static_cast<std::size_t>(n)].Stale)
            number = n;
    if (number < 0)
        return -1;
    const StageRecord& record = FStages[static_cast<std::size_t>(number)].Record;
    std::shared_ptr<const TStageLook> look = FindLook(record);
    if (!look) {
        look = MakeLook(number, record);
        KeepLook(look);
    }
    TakeLook(number, std::move(look));
    return number;
}

std::shared_ptr<const TStageLook> TStageThumbnails::MakeLook(int number, const StageRecord& record)
{
    auto look = std::make_shared<TStageLook>();
    look->Record = record;
    // Before the pictures are read: a change meanwhile makes it stale again.
    look->BGPicture = PictureStateOf(FPictureFolder, record.BG_Bitmap.Str());
    look->SIPicture = PictureStateOf(FPictureFolder, record.SI_Bitmap.Str());
    // The checks and the drawing fail on their own: a stage that cannot be
    // drawn is still checked, and the other way round.
    try {
        if (!FPictureCheck)
            FPictureCheck = std::make_unique<TPictureCheck>(FPictureFolder);
        const std::vector<TFinding> findings = CheckStage(number, record, *FPictureCheck);
        look->Errors = static_cast<int>(std::count_if(findings.begin(), findings.end(), [](const TFinding& finding) {
            return finding.Severity == TSeverity::Error;
        }));
        // Errors come first.
        if (look->Errors > 0)
            look->FirstError = findings.front();
    } catch (const std::exception& error) {
        look->Errors = 0;
        look->Failure = std::string("Cannot check the stage: ") + error.what() + "\n";
    }
    try {
        if (!FRenderer)
            FRenderer = std::make_unique<TStageRenderer>(FPictureFolder);
        const TRenderedStage drawn = FRenderer->Render(record);
        look->Pixels =
            Downscale(drawn.Pixels, ThumbnailWidth * ThumbnailScale, ThumbnailHeight * ThumbnailScale, ThumbnailScale);
    } catch (const std::exception& error) {
        look->Pixels.clear();
        look->Failure += std::string("Cannot draw the stage: ") + error.what() + "\n";
    }
    if (!look->Failure.empty())
        look->Failure.pop_back();
    return look;
}
