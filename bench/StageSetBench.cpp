// Speed of stagetool's commands over a whole stage file of 100 stages (the
// examples, then random stages naming the example pictures): the sheet as a
// PNG written safely, and the checks with their report. BM_FloorCopyStageFile
// is the floor measured in the same run (the file's 600 000 bytes copied).
#include "cli/CheckReport.h"
#include "cli/Sheet.h"
#include "editor/CliHost.h"
#include "editor/Main.h"
#include "editor/RandomGen.h"
#include "platform/PngEncode.h"
#include "storage/SafeWrite.h"
#include "storage/StageFile.h"

#include <benchmark/benchmark.h>

#include <unistd.h>
#include <cstring>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

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
        TCliHost host;
        TMainForm form(host);
        host.Form = &form;
        form.ClearLayers();
        RandomSeed = 2024;
        const char* pictures[] = {"sky.bmp", "desert.jpg", "big.bmp", ""};
        for (int n = static_cast<int>(examples.Records.size()); n < 100; ++n) {
            form.StageNum = static_cast<std::uint16_t>(n);
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

void BM_FloorCopyStageFile(benchmark::State& state)
{
    const TStageSet set;
    std::string copy(set.Bytes.size(), '\0');
    for (auto _ : state) {
        std::memcpy(copy.data(), set.Bytes.data(), copy.size());
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FloorCopyStageFile);

// stagetool sheet: read, draw 100 stages at the default scale, encode, write.
void BM_Sheet100(benchmark::State& state)
{
    const TStageSet set;
    for (auto _ : state) {
        const TStageRecords records = ReadStageRecords(set.File, 1000);
        const TSheet sheet = MakeSheet(records, set.Dir, TSheetOptions{});
        const auto png = EncodePng(sheet.Pixels, sheet.Layout.Width, sheet.Layout.Height, 1);
        if (!png || !SafeWriteFile(set.Dir / "sheet.png", *png))
            state.SkipWithError("the sheet was not written");
    }
}
BENCHMARK(BM_Sheet100)->Unit(benchmark::kMillisecond);

// stagetool check: read, check 100 stages (each picture decoded once), report.
void BM_Check100(benchmark::State& state)
{
    const TStageSet set;
    for (auto _ : state) {
        const TStageRecords records = ReadStageRecords(set.File, 1000);
        benchmark::DoNotOptimize(CheckReportText(CheckRecords(records.Records, set.Dir)));
    }
}
BENCHMARK(BM_Check100)->Unit(benchmark::kMillisecond);

}  // namespace
