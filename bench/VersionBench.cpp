// stagetool diff, merge and textconv over stage files of 100 stages (the
// set of StageSet.h), each as the command runs in the process: the files
// read, the stages paired and compared, the report or the merged file
// written (the merge's through the safe write, flushed to the disk).
// BM_FloorCopyStageFile (StageSetBench) is the floor of the same run.
// Targets: diff under 20 ms, merge under 50 ms.
#include "StageSet.h"
#include "cli/StageToolCommands.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <sstream>

namespace {

// The set's records with a designer's day of work: ten stages painted in
// 40 cells each, stage `moved` put first.
std::vector<StageRecord> Edited(const std::string& bytes, int firstPainted, int moved)
{
    std::vector<StageRecord> records(bytes.size() / sizeof(StageRecord));
    std::memcpy(static_cast<void*>(records.data()), bytes.data(), bytes.size());
    for (int stage = firstPainted; stage < firstPainted + 10; ++stage)
        for (int cell = 0; cell < 40; ++cell)
            records[static_cast<std::size_t>(stage)].BG[cell][(stage + cell) % FieldRows] = 5;
    if (moved > 0)
        std::rotate(records.begin(), records.begin() + moved, records.begin() + moved + 1);
    return records;
}

fs::path Put(const TStageSet& set, const char* name, const std::vector<StageRecord>& records)
{
    std::string bytes;
    for (const StageRecord& record : records)
        bytes.append(reinterpret_cast<const char*>(&record), sizeof record);
    SafeWriteFile(set.Dir / name, bytes);
    return set.Dir / name;
}

void RunEachIteration(benchmark::State& state, const char* command, const std::vector<std::string>& words, int expected)
{
    for (auto _ : state) {
        std::ostringstream out, err;
        if (RunCommand(*FindStageToolCommand(command), words, out, err) != expected)
            state.SkipWithError(err.str().c_str());
        benchmark::DoNotOptimize(out.str().data());
    }
}

void BM_Diff100(benchmark::State& state)
{
    const TStageSet set;
    const fs::path after = Put(set, "after.dat", Edited(set.Bytes, 20, 60));
    RunEachIteration(state, "diff", {set.File.string(), after.string()}, 1);
}
BENCHMARK(BM_Diff100)->Unit(benchmark::kMillisecond);

void BM_Merge100(benchmark::State& state)
{
    const TStageSet set;
    const fs::path ours = Put(set, "ours.dat", Edited(set.Bytes, 20, 60));
    const fs::path theirs = Put(set, "theirs.dat", Edited(set.Bytes, 40, 0));
    RunEachIteration(state, "merge",
                     {set.File.string(), ours.string(), theirs.string(), "-o", (set.Dir / "merged.dat").string()}, 0);
}
BENCHMARK(BM_Merge100)->Unit(benchmark::kMillisecond);

void BM_Textconv100(benchmark::State& state)
{
    const TStageSet set;
    RunEachIteration(state, "textconv", {set.File.string()}, 0);
}
BENCHMARK(BM_Textconv100)->Unit(benchmark::kMillisecond);

}  // namespace
