#pragma once
// Finding the stage file and the background pictures on disk: names are
// matched as written, else ignoring letter case, since stage folders are
// copied from systems whose file names ignore it.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

// The file "Map" / name below folder. Backslashes in name separate folders
// too. A part of the path that does not exist as written is replaced by the
// one entry of its folder that matches it ignoring case. Empty when nothing
// is found (or the match is ambiguous).
std::optional<std::filesystem::path> FindPictureFile(const std::filesystem::path& folder, const std::string& name);

// The kinds of picture file the display loads.
enum class TPictureFormat { Bmp, Jpeg };

// What the display finds for a background picture name.
struct TPictureLookup {
    enum class TOutcome {
        NotFound,        // no such entry in Map (or several that match ignoring case)
        NotAFile,        // the entry is a folder, a device or the like
        OtherExtension,  // a file, but not .bmp, .jpg or .jpeg: the display shows no picture
        Found,
    };
    TOutcome Outcome = TOutcome::NotFound;
    std::filesystem::path Path;                   // the entry, unless NotFound
    TPictureFormat Format = TPictureFormat::Bmp;  // when Found

    bool operator==(const TPictureLookup&) const = default;
};

// The display's lookup of the picture `name`: FindPictureFile, then a regular
// file (links followed) whose extension is ".bmp", ".jpg" or ".jpeg" in any
// case. Whatever shows or checks a stage's picture uses this, so that they
// agree with the display.
TPictureLookup LookUpPicture(const std::filesystem::path& folder, const std::string& name);

// A picture file as it is now. What is made of a file (its decoded pixels,
// its decoding problem) stays good while its stamp stays the same, so a
// long-lived cache follows pictures that a designer replaces.
struct TPictureStamp {
    std::filesystem::path File;
    TPictureFormat Format = TPictureFormat::Bmp;
    std::uintmax_t Size = 0;
    std::filesystem::file_time_type Modified;
    // The file's identity: a file put in its place by a rename (as a
    // checkout does it) differs even when written in the same clock tick.
    std::uintmax_t Device = 0;
    std::uintmax_t Inode = 0;

    bool operator==(const TPictureStamp&) const = default;
};

// The stamp of `file`; nothing when its size or time cannot be read.
std::optional<TPictureStamp> StampPicture(const std::filesystem::path& file, TPictureFormat format);

// What a picture name finds now: the lookup and, when it found a picture, its
// stamp. Two states that differ mean whatever was made of the name (a loaded
// picture, a thumbnail, a check) is out of date.
struct TPictureState {
    TPictureLookup Lookup;
    std::optional<TPictureStamp> Stamp;

    bool operator==(const TPictureState&) const = default;
};

TPictureState PictureStateOf(const std::filesystem::path& folder, const std::string& name);

// The stage file's name in a game folder, as the game writes it; found
// ignoring letter case (FindStageFile).
inline constexpr char DefaultStageFileName[] = "Stage.Dat";

// Whether `name` is DefaultStageFileName in some letter case ("STAGE.DAT").
bool IsStageFileName(const std::string& name);

// The stage file named `file`, found the way pictures are: the entry of its
// folder with exactly that name, else the one entry whose name matches it
// ignoring case (a folder copied from another system may hold "STAGE.DAT").
// `file` itself when there is no such entry or the match is ambiguous, so
// that loading and saving fail as for a missing file and never make a second
// one.
std::filesystem::path FindStageFile(const std::filesystem::path& file);

// Why FindStageFile finds no file for `file` although its folder holds some
// of that name: several that differ only in letter case and none spelled
// exactly so ("STAGE.DAT and stage.dat both exist; remove one"). Empty
// otherwise.
std::string StageFileClash(const std::filesystem::path& file);
