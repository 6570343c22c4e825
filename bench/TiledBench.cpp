// stagetool tiled-export and tiled-import over 100 stages (the examples, then
// random stages naming the example pictures), each the whole command: every
// map, the tileset, its picture and the world written safely, then every map
// read and the stage file replaced once. Read beside BM_FloorCopyStageFile.
#include "StageSet.h"
#include "cli/TiledCommands.h"

#include <benchmark/benchmark.h>

#include <iostream>

namespace {

TArgs Arguments(const fs::path& file, const fs::path& dir)
{
    TArgs args;
    args.Positional = {dir.string()};
    args.Options.emplace("--file", file.string());
    return args;
}

void BM_TiledExport100(benchmark::State& state)
{
    const TStageSet set;
    const TArgs args = Arguments(set.File, set.Dir / "tiled");
    for (auto _ : state)
        if (RunTiledExport(args, std::cout, std::cerr) != 0)
            state.SkipWithError("the export failed");
}
BENCHMARK(BM_TiledExport100)->Unit(benchmark::kMillisecond);

void BM_TiledImport100(benchmark::State& state)
{
    const TStageSet set;
    RunTiledExport(Arguments(set.File, set.Dir / "tiled"), std::cout, std::cerr);
    const TArgs args = Arguments(set.Dir / "Back.Dat", set.Dir / "tiled");
    for (auto _ : state)
        if (RunTiledImport(args, std::cout, std::cerr) != 0)
            state.SkipWithError("the import failed");
    const TStageRecords back = ReadStageRecords(set.Dir / "Back.Dat", 100);
    std::string bytes;
    for (const StageRecord& record : back.Records)
        bytes.append(reinterpret_cast<const char*>(&record), sizeof record);
    if (bytes != set.Bytes)
        state.SkipWithError("the stages did not come back byte for byte");
}
BENCHMARK(BM_TiledImport100)->Unit(benchmark::kMillisecond);

}  // namespace
