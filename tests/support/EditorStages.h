#pragma once
// Stages as the editor makes them: the example stage file's records and
// random stages, each captured from a running editor.

#include "editor/Main.h"
#include "editor/RandomGen.h"
#include "editor/WindowlessEditor.h"
#include "storage/StageFile.h"
#include "support/ExampleStages.h"

#include <filesystem>
#include <string>
#include <vector>

// The examples, then `randomCount` random stages (seeds 1, 2, ...) whose
// captions use the whole of Latin-1 and a line break, as the option dialog
// lets a designer type them.
inline std::vector<StageRecord> EditorMadeStages(int randomCount)
{
    std::vector<StageRecord> stages = ReadStageRecords(ExampleStageFile(), 100).Records;
    TWindowlessEditor editor(0);
    for (int seed = 1; seed <= randomCount; ++seed) {
        RandomSeed = static_cast<std::uint32_t>(seed);
        editor.Form.GenerateRandomStage();
        editor.Form.Caption.Assign(std::string("Dépôt \x80 n\xB0") + std::to_string(seed) + " <&\"'> \xFF");
        StageRecord record;
        editor.Form.CaptureStage(record);
        stages.push_back(record);
    }
    return stages;
}
