// What a settled burst of changes costs the user-interface thread when it
// turns out to concern nothing the designer sees: the look at the live
// stage's record, and a picture name looked up again (once per name the
// Stages window's stages use). Read beside BM_FloorCopyRecord (CoreBench).
#include "StageSet.h"
#include "editor/DiskChanges.h"
#include "storage/FileLookup.h"

#include <benchmark/benchmark.h>

namespace {

// The live stage loaded from a file of 100 stages that nobody changed.
void BM_DiskChangesLookUnchanged(benchmark::State& state)
{
    const TStageSet set;
    TWindowlessHost host;
    TMainForm form(host);
    host.Form = &form;
    form.ClearLayers();
    form.Document.SetStageFileName(set.File);
    form.Document.SetPictureFolder(set.Dir);
    form.Document.SetStageNum(42);
    form.LoadStage();
    TDiskChanges changes(form.Document, form);
    for (auto _ : state) {
        const TDiskChange change = changes.Look();
        if (change.StageChanged)
            state.SkipWithError("nothing changed, yet a change was seen");
        benchmark::DoNotOptimize(change);
    }
}
BENCHMARK(BM_DiskChangesLookUnchanged)->Unit(benchmark::kMicrosecond);

// A picture name written in another letter case than its file, so the
// folder is searched, as for pictures copied from other systems.
void BM_PictureStateOtherCase(benchmark::State& state)
{
    const TStageSet set;
    for (auto _ : state) {
        const TPictureState found = PictureStateOf(set.Dir, "DESERT.JPG");
        if (!found.Stamp)
            state.SkipWithError("the picture was not found");
        benchmark::DoNotOptimize(found);
    }
}
BENCHMARK(BM_PictureStateOtherCase)->Unit(benchmark::kMicrosecond);

}  // namespace
