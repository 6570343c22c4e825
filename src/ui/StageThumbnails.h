#pragma once
// The stage browser's contents: every record of the stage file with its
// thumbnail and its check errors, made one stage at a time so that the
// window can spread the work between frames. Plain C++: the window only
// shows what is here.

#include "check/StageCheck.h"
#include "stage/StageRecord.h"
#include "storage/FileLookup.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

class TPictureCheck;
class TStageRenderer;

constexpr int BrowserStageCount = 100;  // stages 0..99
constexpr int ThumbnailScale = 4;
constexpr int ThumbnailWidth = 640 / ThumbnailScale;   // 160
constexpr int ThumbnailHeight = 480 / ThumbnailScale;  // 120

struct TStageThumbnail {
    // The file holds the record whole; nothing else is set when it does not.
    bool Present = false;
    StageRecord Record{};
    // ThumbnailWidth x ThumbnailHeight pixels, 0x00RRGGBB, top row first:
    // the stage as the editor shows it, box-averaged. Empty until made; a
    // thumbnail that is to be made again keeps showing the old one.
    std::vector<std::uint32_t> Pixels;
    bool Stale = false;  // to be made (again)
    // The check's errors when the thumbnail was made, and the first as a line.
    int Errors = 0;
    std::string FirstError;
    // Why the stage could not be checked or drawn (then no pixels), a line
    // each; empty when it was both.
    std::string Failure;
    // What its BG_Bitmap and SI_Bitmap found when it was made.
    TPictureState BGPicture;
    TPictureState SIPicture;
};

class TStageThumbnails {
public:
    // The stage file is found as the editor finds it (FindStageFile of
    // `stageFile`, at each read); pictures in "Map" inside `pictureFolder`.
    TStageThumbnails(std::filesystem::path stageFile, std::filesystem::path pictureFolder);
    ~TStageThumbnails();
    TStageThumbnails(const TStageThumbnails&) = delete;
    TStageThumbnails& operator=(const TStageThumbnails&) = delete;

    // Another stage file and picture folder: every stage is emptied until
    // the next ReadFile.
    void SetFiles(std::filesystem::path stageFile, std::filesystem::path pictureFolder);

    // Reads records 0..99 anew. A record whose bytes changed, or that came,
    // is to be made again; one the file no longer holds whole is emptied.
    // With `picturesMayHaveChanged`, a made stage whose pictures find
    // something else now (a file replaced, changed, come or gone) is to be
    // made again as well. A file that cannot be read holds no records.
    // Returns whether any stage's record or presence changed.
    bool ReadFile(bool picturesMayHaveChanged);

    // Makes one stale stage's thumbnail and checks: the first stale one in
    // first..last when there is one, else the first stale one from 0.
    // Returns its number, or -1 when none is stale. Never raises: a stage
    // that cannot be drawn keeps its failure.
    int MakeNext(int first = 0, int last = BrowserStageCount - 1);

    int StaleCount() const;
    const TStageThumbnail& Stage(int number) const { return FStages[static_cast<std::size_t>(number)]; }

private:
    // What picture names find now, each looked up once per reading.
    using TFoundPictures = std::map<std::string, TPictureState>;
    // The pictures of a made stage find what they found when it was made.
    bool PicturesAsMade(const TStageThumbnail& stage, TFoundPictures& found) const;

    std::filesystem::path FStageFile;
    std::filesystem::path FPictureFolder;
    std::vector<TStageThumbnail> FStages;
    // Made with the first thumbnail and kept: they keep decoded pictures.
    std::unique_ptr<TStageRenderer> FRenderer;
    std::unique_ptr<TPictureCheck> FPictureCheck;
};
