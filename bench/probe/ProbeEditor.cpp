// The editor as the probe measures it: the same program, plus what only a
// measurement needs. STAGE_PROBE_FRAME_WORK_MS (a whole number of
// milliseconds, 0 to 1000) adds that much busy work to every frame, as a
// slower machine or a bigger picture would; about once a second the frames
// shown since the last report are written to standard output as
// "frames N in T ms". Every frame is drawn, also one equal to the last, so
// the rate is that of a stage that changes all the time (a pencil stroke).

#include "app/EditorApplication.h"
#include "editor/Main.h"
#include "ui/QtApplicationHooks.h"

#include <QtGlobal>

#include <chrono>
#include <cstdio>

namespace {

using Clock = std::chrono::steady_clock;

}  // namespace

int main(int argc, char** argv)
{
    bool ok = false;
    const int workMs = qEnvironmentVariableIntValue("STAGE_PROBE_FRAME_WORK_MS", &ok);
    const auto work = std::chrono::milliseconds(ok && workMs > 0 && workMs <= 1000 ? workMs : 0);
    Clock::time_point secondStarted = Clock::now();
    int frames = 0;
    TQtApplicationHooks::SetFrameProbe({
        [work] {
            const Clock::time_point until = Clock::now() + work;
            while (Clock::now() < until) {
            }
        },
        [&secondStarted, &frames](bool presented) {
            frames += presented;
            const Clock::time_point now = Clock::now();
            if (now - secondStarted >= std::chrono::seconds(1)) {
                const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now - secondStarted);
                std::printf("frames %d in %lld ms\n", frames, static_cast<long long>(ms.count()));
                std::fflush(stdout);
                frames = 0;
                secondStarted = now;
            }
        },
    });
    TMainForm::DrawUnchangedFrames = true;
    TEditorApplication application(argc, argv);
    return RunEditor(application);
}
