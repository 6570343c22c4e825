#pragma once
// Stages as text maps, one file a stage, as `export` writes and `import`
// reads them: the pieces of stagetool unpack and pack.

#include "stage/StageRecord.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// The text map `export N` writes for `record` as stage `number`: the record
// goes through the editor (applied to a freshly started one) first.
std::string ExportedTextMap(int number, const StageRecord& record);

struct TImportedStage {
    StageRecord Record;  // as the editor then saves it
    int Number = 0;      // the header's number as the import takes it: cut to 16 bits, kept within 0..99
};

// A text map file's bytes read as `import` reads them (lines normalised,
// into a fresh empty stage, through the editor's change rules); nothing when
// the text has no stage header.
std::optional<TImportedStage> ImportedTextMap(const std::string& bytes);

// Why `record` would not come back byte for byte through `exported`, its
// text map as ExportedTextMap writes it (EnemyCount slots 16..31, reserved bytes, bytes past a
// string's end, a tiling byte other than 0 or 1, codes outside -1..254, a
// line break or NUL in a caption or name, an exclusive pair in one cell),
// one phrase each; empty when it would.
std::vector<std::string> TextMapLosses(const StageRecord& record, const std::string& exported);

// "07.txt" for 7; a number outside 0..99 has no such name.
std::string TextMapName(int number);
// 0..99 for a name of two decimal digits and ".txt", else -1.
int TextMapNumber(const std::string& name);

// Refuses, naming the first, a text map name DIR/NN.txt (N below `count`)
// that unpack must not write through: one that is or leads to the stage file
// (see CheckNotStageFile), a link that leads out of DIR or to nothing, or a
// link to a file that another of the names leads to as well. Raises
// TToolError.
void CheckTextMapTargets(const std::filesystem::path& dir, int count, const std::filesystem::path& stageFile);
