// Tiles across a stage file of 100 stages (the examples, then random
// stages), each the whole stagetool command: find and stats read the file
// and print; replace is one transaction (read under the lock, the new file
// written, flushed and renamed into place), brick to steel and back in turn
// so that every run changes the file. Read beside BM_FloorCopyStageFile
// (StageSetBench: the file's bytes copied once).
#include "StageSet.h"
#include "cli/TileCommands.h"

#include <benchmark/benchmark.h>

#include <sstream>

namespace {

TArgs Arguments(const TStageSet& set, std::vector<std::string> positional)
{
    TArgs args;
    args.Positional = std::move(positional);
    args.Options.emplace("--file", set.File.string());
    return args;
}

void RunEach(benchmark::State& state, TCommandRun run, const std::vector<TArgs>& turns)
{
    std::size_t turn = 0;
    for (auto _ : state) {
        std::ostringstream out;
        std::ostringstream err;
        if (run(turns[turn++ % turns.size()], out, err) != 0)
            state.SkipWithError(("the command failed: " + err.str()).c_str());
        benchmark::DoNotOptimize(out.str().data());
    }
}

void BM_Find100(benchmark::State& state)
{
    const TStageSet set;
    RunEach(state, RunFind, {Arguments(set, {"brick"})});
}
BENCHMARK(BM_Find100)->Unit(benchmark::kMillisecond);

void BM_Stats100(benchmark::State& state)
{
    const TStageSet set;
    RunEach(state, RunStats, {Arguments(set, {})});
}
BENCHMARK(BM_Stats100)->Unit(benchmark::kMillisecond);

void BM_Replace100(benchmark::State& state)
{
    const TStageSet set;
    RunEach(state, RunReplace, {Arguments(set, {"brick", "steel"}), Arguments(set, {"steel", "brick"})});
}
BENCHMARK(BM_Replace100)->Unit(benchmark::kMillisecond);

}  // namespace
