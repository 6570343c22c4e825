// The editor as the probe measures it: the same program, plus what only a
// measurement needs. STAGE_PROBE_FRAME_WORK_MS (a whole number of
// milliseconds, 0 to 1000) adds that much busy work to every frame, as a
// slower machine or a bigger picture would; about once a second the frames
// shown since the last report are written to standard output as
// "frames N in T ms, wakeups W" (W: the frame timer's calls). Every frame is
// drawn, also one equal to the last, so the rate is that of a stage that
// changes all the time (a pencil stroke); with STAGE_PROBE_IDLE=1 the editor
// draws and wakes as it does for a designer, and the reports count that.
//
// F4 (the "Stages" window) is timed too: at the key the running report is
// cut short (so the reports that follow cover only the thumbnails' time),
// then "stages shown in T ms" at the window's first paint and, once every
// thumbnail is made, a last short report and "stages done in T ms".

#include "app/EditorApplication.h"
#include "editor/Main.h"
#include "ui/QtApplicationHooks.h"
#include "ui/StagesFm.h"

#include <QEvent>
#include <QKeyEvent>
#include <QtGlobal>

#include <chrono>
#include <cstdio>

namespace {

using Clock = std::chrono::steady_clock;

long long MillisecondsSince(Clock::time_point start)
{
    return static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

// The frames shown since the last report.
struct TFrameReports {
    Clock::time_point Started = Clock::now();
    int Frames = 0;
    int Wakeups = 0;

    void Report()
    {
        std::printf("frames %d in %lld ms, wakeups %d\n", Frames, MillisecondsSince(Started), Wakeups);
        std::fflush(stdout);
        Frames = 0;
        Wakeups = 0;
        Started = Clock::now();
    }
};

// Watches every event for F4 and for the Stages window's first paint.
class TStagesTimer : public QObject {
public:
    explicit TStagesTimer(TFrameReports& reports) : FReports(reports) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F4 && !FPressed) {
            FPressed = true;
            FPressedAt = Clock::now();
            FReports.Report();
        }
        auto* stages = qobject_cast<TfmStages*>(watched);
        if (stages && !FConnected) {
            FConnected = true;
            connect(stages, &TfmStages::ThumbnailsDone, this, [this] {
                if (!FPressed || FDone)
                    return;
                FDone = true;
                FReports.Report();
                std::printf("stages done in %lld ms\n", MillisecondsSince(FPressedAt));
                std::fflush(stdout);
            });
        }
        if (stages && event->type() == QEvent::Paint && FPressed && !FShown) {
            FShown = true;
            std::printf("stages shown in %lld ms\n", MillisecondsSince(FPressedAt));
            std::fflush(stdout);
        }
        return false;
    }

private:
    TFrameReports& FReports;
    bool FPressed = false;
    bool FShown = false;
    bool FConnected = false;
    bool FDone = false;
    Clock::time_point FPressedAt;
};

}  // namespace

int main(int argc, char** argv)
{
    bool ok = false;
    const int workMs = qEnvironmentVariableIntValue("STAGE_PROBE_FRAME_WORK_MS", &ok);
    const auto work = std::chrono::milliseconds(ok && workMs > 0 && workMs <= 1000 ? workMs : 0);
    TFrameReports reports;
    TQtApplicationHooks::SetFrameProbe({
        [work] {
            const Clock::time_point until = Clock::now() + work;
            while (Clock::now() < until) {
            }
        },
        [&reports](bool presented) {
            reports.Frames += presented;
            ++reports.Wakeups;
            if (Clock::now() - reports.Started >= std::chrono::seconds(1))
                reports.Report();
        },
    });
    TMainForm::DrawUnchangedFrames = qEnvironmentVariable("STAGE_PROBE_IDLE") != QStringLiteral("1");
    TEditorApplication application(argc, argv);
    TStagesTimer stagesTimer(reports);
    application.installEventFilter(&stagesTimer);
    return RunEditor(application);
}
