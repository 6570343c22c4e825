#pragma once
// Stages as text maps, one file a stage, as `export` writes and `import`
// reads them: the pieces of stagetool unpack and pack.

#include "stage/StageRecord.h"

#include <array>
#include <filesystem>
#include <iosfwd>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct TTextMap;

// The text map `export N` writes for `record` as stage `number`: the stage
// as the editor holds it once it has loaded the record.
std::string ExportedTextMap(int number, const StageRecord& record);

struct TImportedStage {
    StageRecord Record;  // as the editor then saves it
    int Number = 0;      // the header's number as the import takes it: cut to 16 bits, kept within 0..99
};

// The record `import` makes of a map as read: its settings and cells go onto
// the empty stage as the editor's import puts them onto the live one. Every
// format imports through this.
TImportedStage BuildImportedStage(const TTextMap& map);

// A text map file's bytes read as `import` reads them (lines normalised,
// then BuildImportedStage); nothing when the text has no stage header.
std::optional<TImportedStage> ImportedTextMap(const std::string& bytes);

// What a stored record holds that neither a text map nor any other map the
// tool writes carries (EnemyCount slots 16..31, reserved bytes, bytes past a
// string's end, an exclusive pair in one cell), one phrase each.
std::vector<std::string> StoredLosses(const StageRecord& record);
// The record's three strings by name: Caption, BG_Bitmap, SI_Bitmap.
std::array<std::pair<const char*, const TShortString*>, 3> StoredStrings(const StageRecord& record);
// How many BG and FG cells hold a code outside low..high.
int CellsOutside(const StageRecord& record, int low, int high);

// Why `record` would not come back byte for byte through `exported`, its
// text map as ExportedTextMap writes it (EnemyCount slots 16..31, reserved bytes, bytes past a
// string's end, a tiling byte other than 0 or 1, codes outside -1..254, a
// line break or NUL in a caption or name, an exclusive pair in one cell),
// one phrase each; empty when it would.
std::vector<std::string> TextMapLosses(const StageRecord& record, const std::string& exported);

// "07" + extension for 7; a number outside 0..99 has no such name.
std::string NumberedName(int number, std::string_view extension);
// 0..99 for a name of two decimal digits and `extension`, else -1.
int NumberedNameNumber(std::string_view name, std::string_view extension);
// The entries of `dir` named as NumberedName names them, by number. Every
// other entry, but those named in `passedOver`, is named on `err` as
// ignored by stagetool's `command`. Raises TToolError when the folder cannot
// be read.
std::map<int, std::filesystem::path> NumberedFilesIn(const std::filesystem::path& dir, std::string_view extension,
                                                     const char* command, std::ostream& err,
                                                     const std::vector<std::string_view>& passedOver = {});
// The same for text maps: "07.txt".
std::string TextMapName(int number);
int TextMapNumber(const std::string& name);

// Refuses, naming the first, a name of `names` in `dir` that a command
// writing them all must not write through: one that is or leads to the stage
// file (see CheckNotStageFile), a link that leads out of DIR or to nothing,
// a link to a file that another of the names leads to as well, or anything
// but a regular file (a FIFO, a device, a folder). Raises TToolError.
void CheckFolderTargets(const std::filesystem::path& dir, const std::vector<std::string>& names,
                        const std::filesystem::path& stageFile);
// Makes the output folder `dir` with its parents, or raises TToolError.
void MakeOutputFolder(const std::filesystem::path& dir);
