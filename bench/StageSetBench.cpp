// Speed of stagetool's commands over a whole stage file of 100 stages (the
// examples, then random stages naming the example pictures): the sheet as a
// PNG written safely, and the checks with their report. BM_FloorCopyStageFile
// is the floor measured in the same run (the file's 600 000 bytes copied).
#include "StageSet.h"
#include "cli/CheckReport.h"
#include "cli/Sheet.h"
#include "platform/PngEncode.h"
#include "storage/SafeWrite.h"
#include "storage/StageFile.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

namespace {

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
