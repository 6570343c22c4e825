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
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

class TPictureCheck;
class TStageRenderer;

constexpr int ThumbnailScale = 4;
constexpr int ThumbnailWidth = 640 / ThumbnailScale;   // 160
constexpr int ThumbnailHeight = 480 / ThumbnailScale;  // 120

// What a record's content looks like: its thumbnail and its checks, made
// once per content and shared by every stage that holds it (a moved stage
// keeps its look).
struct TStageLook {
    StageRecord Record{};  // the content it is the look of
    // ThumbnailWidth x ThumbnailHeight pixels, 0x00RRGGBB, top row first:
    // the stage as the editor shows it, box-averaged. Empty when it could
    // not be drawn.
    std::vector<std::uint32_t> Pixels;
    // The check's errors, and the first (its stage number is the one it was
    // made for).
    int Errors = 0;
    std::optional<TFinding> FirstError;
    // Why the stage could not be checked or drawn, a line each; empty when
    // it was both.
    std::string Failure;
    // What its BG_Bitmap and SI_Bitmap found when it was made.
    TPictureState BGPicture;
    TPictureState SIPicture;
};

struct TStageThumbnail {
    // The file holds the record whole; nothing else is set when it does not.
    bool Present = false;
    StageRecord Record{};
    // Its look; null until made. A stage whose look is to be made again
    // keeps showing the old one.
    std::shared_ptr<const TStageLook> Look;
    bool Stale = false;  // to be made (again)
    // The look's first check error as a line, numbered for this stage.
    std::string FirstError;

    int Errors() const { return Look ? Look->Errors : 0; }
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
    // takes the look made for its content when there is one, else is to be
    // made again; one the file no longer holds whole is emptied. With
    // `picturesMayHaveChanged`, a look whose pictures find something else
    // now (a file replaced, changed, come or gone) is to be made again as
    // well. A file that cannot be read holds no records. Returns whether any
    // stage's record or presence changed.
    bool ReadFile(bool picturesMayHaveChanged);

    // Gives one stale stage its look (the first stale one in first..last
    // when there is one, else the first stale one from 0): the look made
    // for its content, or one made now (thumbnail and checks). Returns its
    // number, or -1 when none is stale. Never raises: a stage that cannot
    // be drawn keeps its failure.
    int MakeNext(int first = 0, int last = StageCount - 1);

    int StaleCount() const;
    // Why the last ReadFile found no records to read (the stage file cannot
    // be read, or several differ only in letter case), in words for the
    // designer; empty when it read the file.
    const std::string& ReadFailure() const { return FReadFailure; }
    const TStageThumbnail& Stage(int number) const { return FStages[static_cast<std::size_t>(number)]; }

    // Looks kept for contents no stage holds now (a stage moved away and
    // back, an undone clear), at most this many.
    static constexpr std::size_t SpareLooks = 200;

private:
    // What picture names find now, each looked up once per reading.
    using TFoundPictures = std::map<std::string, TPictureState>;
    // The pictures of a look find what they found when it was made.
    bool PicturesAsMade(const TStageLook& look, TFoundPictures& found) const;
    // The look made for `record`'s content; null when there is none.
    std::shared_ptr<const TStageLook> FindLook(const StageRecord& record) const;
    void KeepLook(std::shared_ptr<const TStageLook> look);
    void ForgetLook(const TStageLook& look);
    // Drops the looks no stage shows beyond SpareLooks.
    void TrimLooks();
    void TakeLook(int number, std::shared_ptr<const TStageLook> look);
    std::shared_ptr<const TStageLook> MakeLook(int number, const StageRecord& record);

    std::filesystem::path FStageFile;
    std::filesystem::path FPictureFolder;
    std::vector<TStageThumbnail> FStages;
    std::string FReadFailure;
    // Looks by a hash of their content.
    std::unordered_map<std::size_t, std::vector<std::shared_ptr<const TStageLook>>> FLooks;
    // Made with the first thumbnail and kept: they keep decoded pictures.
    std::unique_ptr<TStageRenderer> FRenderer;
    std::unique_ptr<TPictureCheck> FPictureCheck;
};
