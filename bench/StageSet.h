#pragma once
// The stage set the stage-file benchmarks work on.

#include "editor/Main.h"
#include "editor/RandomGen.h"
#include "editor/WindowlessEditor.h"
#include "storage/SafeWrite.h"
#include "storage/StageFile.h"

#include <unistd.h>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

// A folder with "Map" (the example pictures) and a "Stage.Dat" of 100 stages.
struct TStageSet {
    fs::path Dir = fs::temp_directory_path() / ("stage-set-bench-" + std::to_string(::getpid()));
    fs::path File = Dir / "Stage.Dat";
    std::string Bytes;

    TStageSet()
    {
        fs::create_directories(Dir);
        fs::copy(fs::path(STAGE_EXAMPLES) / "Map", Dir / "Map");
        const TStageRecords examples = ReadStageRecords(fs::path(STAGE_EXAMPLES) / "Stage.Dat", 100);
        for (const StageRecord& record : examples.Records)
            Bytes.append(reinterpret_cast<const char*>(&record), sizeof record);
        TWindowlessHost host;
        TMainForm form(host);
        host.Form = &form;
        form.ClearLayers();
        RandomSeed = 2024;
        const char* pictures[] = {"sky.bmp", "desert.jpg", "big.bmp", ""};
        for (int n = static_cast<int>(examples.Records.size()); n < 100; ++n) {
            form.Document.SetStageNum(static_cast<std::uint16_t>(n));
            form.GenerateRandomStage();
            StageRecord record;
            form.CaptureStage(record);
            record.BG_Bitmap.Assign(std::string(pictures[n % 4]));
            Bytes.append(reinterpret_cast<const char*>(&record), sizeof record);
        }
        SafeWriteFile(File, Bytes);
    }
    ~TStageSet() { fs::remove_all(Dir); }
};
