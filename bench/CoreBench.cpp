// Speed of the editor core's whole-stage operations. BM_FloorCopyRecord is the
// floor measured in the same run (one 6000-byte record copied), so each
// figure can be read as a ratio on a noisy machine.
#include "BenchKit.h"
#include "editor/RandomGen.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <fstream>

namespace {

// Two stages that differ in every cell and every setting; b carries no
// exclusive pair, so neither applies a change rule on top.
StageRecord StageA()
{
    StageRecord r;
    TMainForm::EmptyStage(r);
    for (int x = 0; x < FieldColumns; ++x)
        for (int y = 0; y < FieldRows; ++y) {
            r.BG[x][y] = static_cast<std::int16_t>((x + y) % 4);
            r.FG[x][y] = static_cast<std::int16_t>(40 + (x * y) % 4);
        }
    r.Caption.Assign(std::string("Stage A"));
    return r;
}

StageRecord StageB()
{
    StageRecord r;
    TMainForm::EmptyStage(r);
    for (int x = 0; x < FieldColumns; ++x)
        for (int y = 0; y < FieldRows; ++y)
            r.FG[x][y] = static_cast<std::int16_t>(12 + (x + y) % 4);
    r.Caption.Assign(std::string("Stage B"));
    r.MaxCount = 9;
    return r;
}

void BM_FloorCopyRecord(benchmark::State& state)
{
    const StageRecord source = StageA();
    StageRecord target;
    for (auto _ : state) {
        std::memcpy(static_cast<void*>(&target), &source, sizeof target);
        benchmark::DoNotOptimize(target);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FloorCopyRecord);

// Each iteration undoes the one step or redoes it again, so every iteration
// exchanges the live stage with a snapshot as an undo does.
void AlternateUndoRedo(benchmark::State& state, TMainForm& form)
{
    bool undo = true;
    for (auto _ : state) {
        if (undo)
            form.Undo();
        else
            form.Redo();
        undo = !undo;
    }
}

// The snapshot differs from the live stage in every cell.
void BM_UndoWorstCase(benchmark::State& state)
{
    TBenchEditor e;
    e.Form.ApplyStage(StageA());
    e.Form.PushHistory();
    e.Form.ApplyStage(StageB());
    AlternateUndoRedo(state, e.Form);
}
BENCHMARK(BM_UndoWorstCase);

void BM_UndoOneCell(benchmark::State& state)
{
    TBenchEditor e;
    e.Form.ApplyStage(StageA());
    e.Form.PushHistory();
    e.Form.FGLayer->SetCell(10, 10, 8);
    AlternateUndoRedo(state, e.Form);
}
BENCHMARK(BM_UndoOneCell);

void BM_ExportTextMap(benchmark::State& state)
{
    TBenchEditor e;
    e.Form.ApplyStage(StageA());
    for (auto _ : state)
        benchmark::DoNotOptimize(e.Form.ExportTextMap());
}
BENCHMARK(BM_ExportTextMap);

// Two full texts imported in turn, so every import changes every cell.
void BM_ImportTextMap(benchmark::State& state)
{
    TBenchEditor e;
    e.Form.ApplyStage(StageA());
    const std::string a = e.Form.ExportTextMap();
    e.Form.ApplyStage(StageB());
    const std::string b = e.Form.ExportTextMap();
    bool first = true;
    for (auto _ : state) {
        benchmark::DoNotOptimize(e.Form.ImportTextMap(first ? a : b));
        first = !first;
    }
}
BENCHMARK(BM_ImportTextMap);

void BM_GenerateRandomStage(benchmark::State& state)
{
    TBenchEditor e;
    e.Form.Document.SetStageNum(50);
    RandomSeed = 1;
    for (auto _ : state)
        e.Form.GenerateRandomStage();
}
BENCHMARK(BM_GenerateRandomStage);

// A stage file of 51 records in a scratch folder, written once so that the
// file is warm; the form's current stage is record 50.
void PrepareWarmStageFile(const TScratch& scratch, TMainForm& form)
{
    form.Document.SetStageFileName(scratch.Dir / "Stage.Dat");
    std::ofstream(form.Document.StageFileName()).close();
    form.Document.SetStageNum(50);
    form.ApplyStage(StageA());
    form.WriteStageFile();
}

void BM_ReadStageFile(benchmark::State& state)
{
    TScratch scratch;
    TBenchEditor e;
    PrepareWarmStageFile(scratch, e.Form);
    for (auto _ : state)
        benchmark::DoNotOptimize(e.Form.ReadStageFile());
}
BENCHMARK(BM_ReadStageFile);

void BM_WriteStageFile(benchmark::State& state)
{
    TScratch scratch;
    TBenchEditor e;
    PrepareWarmStageFile(scratch, e.Form);
    for (auto _ : state)
        benchmark::DoNotOptimize(e.Form.WriteStageFile());
}
BENCHMARK(BM_WriteStageFile);

}  // namespace
