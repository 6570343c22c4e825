#pragma once
// stagetool diff --png: the changed stages drawn as the editor shows them,
// with what changed marked on them.

#include "cli/DiffReport.h"

#include <filesystem>
#include <iosfwd>
#include <vector>

// Writes DIR/NN.png for every changed or added stage of B (NN its number
// in B), drawn as `render` draws it, each cell that differs from its
// stage in A outlined and an FG object that A held there and B no longer
// does shown faintly; and DIR/changes.png, all of them reduced on one sheet
// and labelled. DIR is made when missing and follows the rules of every
// folder output (CheckFolderTargets; `stageFiles` are never written).
// Pictures come from "Map" in `pictureFolder`; one that cannot be read is
// named once on `err`, with the stages that name it. Writes nothing when no stage changed. Raises
// TToolError or std::runtime_error, with a reason, when a file cannot be
// written.
void WriteDiffPictures(const TStageSetDiff& diff, const std::filesystem::path& dir,
                       const std::filesystem::path& pictureFolder, const std::vector<std::filesystem::path>& stageFiles,
                       std::ostream& err);
