// What knowing the unsaved state and keeping a recovery copy cost. The
// copy's write (its bytes to the disk through the safe write, flushed) runs
// on a helper thread; what the user-interface thread pays is the check and
// handing the record over. BM_FloorCopyRecord (CoreBench) is the floor.
#include "BenchKit.h"
#include "editor/Recovery.h"
#include "storage/RecoveryCopy.h"
#include "storage/SafeWrite.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

// An editor on a saved stage with ground in every cell.
struct TBenchForm : TBenchEditor {
    TBenchForm()
    {
        StageRecord record;
        TMainForm::EmptyStage(record);
        for (int x = 0; x < FieldColumns; ++x)
            for (int y = 0; y < FieldRows; ++y)
                record.BG[x][y] = static_cast<std::int16_t>((x + y) % 4);
        Form.ApplyStage(record);
        Form.Document.Saved().SetBaseline(&record);
    }
};

// One copy written as the helper thread writes it; the median of single
// writes is reported as median_us, since a flush to the disk varies widely.
void BM_RecoveryWrite(benchmark::State& state)
{
    TScratch scratch("stage-bench-recovery");
    TRecoveryCopy copy;
    EmptyStage(copy.Record);
    copy.StageFile = (scratch.Dir / "Stage.Dat").string();
    copy.StageNumber = 3;
    const fs::path file = scratch.Dir / "bench.recovery";
    std::vector<double> micros;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        ++copy.Time;
        const TWriteResult written = SafeWriteFile(file, EncodeRecoveryCopy(copy));
        if (!written)
            state.SkipWithError(written.Error.c_str());
        micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    std::nth_element(micros.begin(), micros.begin() + static_cast<std::ptrdiff_t>(micros.size() / 2), micros.end());
    state.counters["median_us"] = micros.empty() ? 0 : micros[micros.size() / 2];
}
BENCHMARK(BM_RecoveryWrite)->Unit(benchmark::kMicrosecond);

// The check a frame's turn may pay when nothing changed.
void BM_StageUnsavedUnchanged(benchmark::State& state)
{
    TBenchForm e;
    for (auto _ : state)
        benchmark::DoNotOptimize(e.Form.Document.Unsaved());
}
BENCHMARK(BM_StageUnsavedUnchanged);

// One painted cell, then the check: the cells are compared again.
void BM_StageUnsavedAfterEdit(benchmark::State& state)
{
    TBenchForm e;
    int code = 40;
    for (auto _ : state) {
        e.Form.FGLayer->SetCell(39, 29, code);
        code = code == 40 ? -1 : 40;
        benchmark::DoNotOptimize(e.Form.Document.Unsaved());
    }
}
BENCHMARK(BM_StageUnsavedAfterEdit);

// The worst a keep costs the user-interface thread: a changed stage whose
// copy is due every time, captured and handed to the writer, as the
// document does once an edit's event is handled.
void BM_KeepRecoveryCopy(benchmark::State& state)
{
    TScratch scratch("stage-bench-recovery");
    TBenchForm e;
    TRecovery recovery(scratch.Dir / "state", scratch.Dir / "Stage.Dat");
    Clock::time_point now{};
    int code = 40;
    StageRecord record;
    for (auto _ : state) {
        e.Form.FGLayer->SetCell(1, 1, code);
        code = code == 40 ? 41 : 40;
        now += TRecovery::Interval;
        e.Form.CaptureStage(record);
        recovery.Keep(record, 3, 3, nullptr, now);
    }
    recovery.Close();  // after the timed loop
}
BENCHMARK(BM_KeepRecoveryCopy)->Unit(benchmark::kMicrosecond);

}  // namespace
