#pragma once
// stagetool check: the stage checks over every whole record of a stage
// file, as text for people or JSON for build scripts.

#include "check/StageCheck.h"

#include <filesystem>
#include <string>
#include <vector>

struct TCheckReport {
    int Stages = 0;
    std::vector<TFinding> Findings;  // stage by stage
    int Count(TSeverity severity) const;
};

// Checks record N as stage N; pictures come from "Map" inside `pictureFolder`.
TCheckReport CheckRecords(const std::vector<StageRecord>& records, const std::filesystem::path& pictureFolder);

// A stage with more cell findings of one message than this shows the first
// with a count of the others.
constexpr int FoldedCells = 3;

// One line per finding ("07 error BG_Bitmap: ..."), cells of one stage with
// the same message folded beyond FoldedCells, then a summary line
// ("5 stages checked: 2 errors, 1 warning, 4 notes").
std::string CheckReportText(const TCheckReport& report);

// A JSON array with one finding per line, none folded.
std::string CheckReportJson(const TCheckReport& report);
