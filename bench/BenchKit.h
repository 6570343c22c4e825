#pragma once
// What the benchmarks of the editor core share: a windowless editor on the
// empty stage, and a scratch folder removed when the benchmark ends.

#include "editor/Main.h"
#include "editor/WindowlessEditor.h"

#include <unistd.h>
#include <filesystem>
#include <string>

struct TBenchEditor {
    TWindowlessHost Host;
    TMainForm Form{Host};
    TBenchEditor()
    {
        Host.Form = &Form;
        Form.ClearLayers();
        StageRecord record;
        TMainForm::EmptyStage(record);
        Form.ApplyStage(record);
    }
};

// Named after `name` and the process, so runs side by side never share one.
struct TScratch {
    std::filesystem::path Dir;
    explicit TScratch(const std::string& name = "stage-bench")
        : Dir(std::filesystem::temp_directory_path() / (name + "-" + std::to_string(::getpid())))
    {
        std::filesystem::create_directories(Dir);
    }
    ~TScratch() { std::filesystem::remove_all(Dir); }
    TScratch(const TScratch&) = delete;
    TScratch& operator=(const TScratch&) = delete;
};
