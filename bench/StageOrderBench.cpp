// Putting the stages in order in a file of 100 stages: BM_SetMove moves
// stage 0 to 99 through the real transaction (read under the lock, the whole
// new file written, flushed and renamed into place), beside its floor
// BM_FloorCopyStageFile (StageSetBench: the file's bytes copied once).
// BM_MoveInStagesWindow is such a move made in the Stages window, as the
// designer waits for it: the move through the editor's document, then the
// window's update (the file read again, every stage taking the look of its
// content, nothing drawn again, the cells relabelled and the window painted,
// 5 x 5 cells of it); less BM_SetMove, the window's share.
#include "OffscreenApplication.h"
#include "StageSet.h"
#include "storage/StageSetFile.h"
#include "ui/BetweenFrames.h"
#include "ui/StageCells.h"
#include "ui/StageThumbnails.h"
#include "ui/StagesFm.h"

#include <QImage>

#include <benchmark/benchmark.h>

namespace {

TStageSetEdit MoveFirstToLast()
{
    return [](const std::vector<StageRecord>& records) { return MoveStages(records, 0, 1, 99); };
}

void BM_SetMove(benchmark::State& state)
{
    const TStageSet set;
    for (auto _ : state)
        if (!ChangeStageSet(set.File, MoveFirstToLast()))
            state.SkipWithError("the move failed");
}
BENCHMARK(BM_SetMove)->Unit(benchmark::kMillisecond);

void BM_MoveInStagesWindow(benchmark::State& state)
{
    OffscreenApplication();
    const TStageSet set;
    TWindowlessEditor editor(0, TFormUse::Offscreen);
    editor.Form.Document.SetStageFileName(set.File);
    editor.Form.Document.SetPictureFolder(set.Dir);
    editor.Form.LoadStage();
    TfmStages stages;
    stages.SetMainForm(&editor.Form, nullptr);
    const QSize cell = TStageCellDelegate::CellSize();
    stages.resize(5 * cell.width() + stages.ChromeSize().width(), 5 * cell.height() + stages.ChromeSize().height());
    stages.show();
    while (stages.Work().Running())
        QCoreApplication::processEvents();
    for (auto _ : state) {
        if (!editor.Form.Document.ChangeStageSet({MoveFirstToLast(), "Moved 00 to 99", false, false}))
            state.SkipWithError("the move failed");
        stages.StageSetChanged(QStringLiteral("Moved 00 to 99"), 99, 1);
        benchmark::DoNotOptimize(stages.grab());
        if (stages.Thumbnails().StaleCount() != 0)
            state.SkipWithError("a moved stage was drawn again");
    }
}
BENCHMARK(BM_MoveInStagesWindow)->Unit(benchmark::kMillisecond);

}  // namespace
