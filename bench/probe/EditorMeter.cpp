// Measures the running editor from outside, on an X display: time from
// launch to the first frame on screen, processor use while it sits idle with
// the animation running, resident memory, the delay from a pencil press to
// its pixels on screen, and the frame rate with extra work added to every
// frame (by the probe build of the editor, which reports the frames it shows).
// Usage: editor-meter EDITOR PROBE_EDITOR WORKFOLDER [EXTRA_MS...]
// (the extra work per frame in milliseconds; 0 when none is given).
// Then the frame rate while the pencil paints without pause (every frame
// shows a changed stage, which keeps its recovery copy once a second). Last,
// the "Stages" window (F4) on a file of 100 stages made of the example's
// ones: how soon it shows, how long its thumbnails take, and the frame rate
// while they are made.
//
// It watches screen pixels, so it expects a black root window (Xvfb -br), the
// editor's main window centred on the screen and its tool window at (13, 10).

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QProcessEnvironment>
#include <QScreen>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

QRgb PixelAt(int x, int y)
{
    const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0, x, y, 1, 1);
    return shot.toImage().pixel(0, 0);
}

long long ProcessTicks(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    // Fields after the command name, which is in parentheses and may hold spaces.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    return fields.size() > 12 ? fields[11].toLongLong() + fields[12].toLongLong() : -1;
}

long long StatusKilobytes(qint64 pid, const char* key)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(static_cast<qsizetype>(qstrlen(key))).trimmed().split(' ').first().toLongLong();
    return -1;
}

// Each editor the probe starts keeps its recovery copies in a state folder
// of its own, so no editor is offered the copies of one the probe ended.
QString FreshStateFolder(const QString& folder)
{
    static int runs = 0;
    return folder + QStringLiteral("/probe-state-") + QString::number(++runs);
}

QProcessEnvironment EditorEnvironment(const QString& folder, int extraMs)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("STAGE_PROBE_FRAME_WORK_MS"), QString::number(extraMs));
    environment.insert(QStringLiteral("XDG_STATE_HOME"), FreshStateFolder(folder));
    return environment;
}

void Xdotool(const QStringList& arguments)
{
    QProcess::execute(QStringLiteral("xdotool"), arguments);
}

// Waits until the display shows something at `watched`; false after 20 s.
bool WaitForFirstFrame(QPoint watched)
{
    QElapsedTimer waited;
    waited.start();
    while (PixelAt(watched.x(), watched.y()) == qRgb(0, 0, 0)) {
        if (waited.elapsed() > 20000)
            return false;
        QThread::usleep(500);
    }
    return true;
}

struct TRate {
    double Average = 0;  // frames per second over the reports counted
    double Lowest = 0;   // of the single reports
    double Highest = 0;
};

// Frame reports ("frames N in T ms") added up into a rate.
class TRateSum {
public:
    // The frames and milliseconds of a report line; false for another line.
    static bool Read(const QByteArray& line, int& frames, long long& milliseconds)
    {
        return std::sscanf(line.constData(), "frames %d in %lld ms", &frames, &milliseconds) == 2 && milliseconds > 0;
    }
    void Add(int frames, long long milliseconds)
    {
        FFrames += frames;
        FMilliseconds += milliseconds;
        const double fps = 1000.0 * frames / static_cast<double>(milliseconds);
        FRate.Lowest = std::min(FRate.Lowest, fps);
        FRate.Highest = std::max(FRate.Highest, fps);
    }
    // False when nothing was added.
    bool Take(TRate& rate) const
    {
        if (FMilliseconds <= 0)
            return false;
        rate = FRate;
        rate.Average = 1000.0 * static_cast<double>(FFrames) / static_cast<double>(FMilliseconds);
        return true;
    }

private:
    long long FFrames = 0;
    long long FMilliseconds = 0;
    TRate FRate{0, 1e9, 0};
};

// Runs the probe build with extraMs of busy work per frame and averages its
// frame reports, leaving out the first two (start-up and animation warming).
bool MeasureRate(const char* probeEditor, const char* folder, QPoint watched, int extraMs, TRate& rate)
{
    QProcess editor;
    editor.setWorkingDirectory(QString::fromLocal8Bit(folder));
    editor.setProcessEnvironment(EditorEnvironment(QString::fromLocal8Bit(folder), extraMs));
    editor.start(QString::fromLocal8Bit(probeEditor), {});
    if (!editor.waitForStarted(5000) || !WaitForFirstFrame(watched))
        return false;
    constexpr int Skipped = 2, Counted = 5;
    int reports = 0;
    TRateSum sum;
    QElapsedTimer waited;
    waited.start();
    while (reports < Skipped + Counted && waited.elapsed() < 20000) {
        if (!editor.canReadLine() && !editor.waitForReadyRead(500))
            continue;
        while (editor.canReadLine()) {
            int n = 0;
            long long ms = 0;
            if (!TRateSum::Read(editor.readLine(), n, ms))
                continue;
            if (++reports <= Skipped || reports > Skipped + Counted)
                continue;
            sum.Add(n, ms);
        }
    }
    editor.terminate();
    editor.waitForFinished(3000);
    return sum.Take(rate);
}

// The probe build paints with the pencil for about six seconds, one cell
// further every 16 ms, while its frame reports are read; the first report
// (before the stroke) is left out; `copyKept` tells whether the stage kept
// its recovery copy meanwhile. False when nothing was reported.
bool MeasurePainting(const char* probeEditor, const char* folder, QPoint origin, QPoint watched, TRate& rate,
                     bool& copyKept)
{
    QProcess editor;
    editor.setWorkingDirectory(QString::fromLocal8Bit(folder));
    const QProcessEnvironment environment = EditorEnvironment(QString::fromLocal8Bit(folder), 0);
    const QString state = environment.value(QStringLiteral("XDG_STATE_HOME"));
    editor.setProcessEnvironment(environment);
    editor.start(QString::fromLocal8Bit(probeEditor), {});
    if (!editor.waitForStarted(5000) || !WaitForFirstFrame(watched))
        return false;
    Xdotool({"mousemove", "24", "44", "click", "1"});
    Xdotool({"mousemove", "47", QString::number(10 + 5 * 23 + 16 + 11), "click", "1"});
    QStringList stroke{"mousemove", QString::number(origin.x() + 24), QString::number(origin.y() + 40), "mousedown",
                       "1"};
    constexpr int Moves = 360;
    for (int i = 0; i < Moves; ++i) {
        const int column = 1 + i % 38, row = 2 + (i / 38) % 24;
        stroke << "mousemove" << QString::number(origin.x() + column * 16 + 8)
               << QString::number(origin.y() + row * 16 + 8) << "sleep"
               << "0.016";
    }
    stroke << "mouseup"
           << "1";
    QProcess painter;
    painter.start(QStringLiteral("xdotool"), stroke);
    int reports = 0;
    TRateSum sum;
    QElapsedTimer waited;
    waited.start();
    while (painter.state() != QProcess::NotRunning && waited.elapsed() < 30000) {
        painter.waitForFinished(10);
        editor.waitForReadyRead(0);
        while (editor.canReadLine()) {
            int n = 0;
            long long ms = 0;
            // A short last piece says little about a rate.
            if (TRateSum::Read(editor.readLine(), n, ms) && ms >= 250 && ++reports > 1)
                sum.Add(n, ms);
        }
    }
    copyKept = !QDir(state + QStringLiteral("/stage-editor")).entryList({QStringLiteral("*.recovery")}).isEmpty();
    editor.kill();
    editor.waitForFinished(3000);
    painter.waitForFinished(3000);
    return sum.Take(rate);
}

// A folder beside `folder` whose "Stage.Dat" holds 100 stages, the
// example's records over and over, and whose "Map" is the example's.
QString HundredStagesFolder(const QString& folder)
{
    const QString hundred = folder + QStringLiteral("/stages100");
    QDir().mkpath(hundred + QStringLiteral("/Map"));
    const QDir map(folder + QStringLiteral("/Map"));
    for (const QString& name : map.entryList(QDir::Files))
        QFile::copy(map.filePath(name), hundred + QStringLiteral("/Map/") + name);
    QFile source(folder + QStringLiteral("/Stage.Dat"));
    if (!source.open(QIODevice::ReadOnly))
        return {};
    const QByteArray stages = source.readAll();
    const qsizetype records = stages.size() / 6000;
    if (records == 0)
        return {};
    QFile target(hundred + QStringLiteral("/Stage.Dat"));
    if (!target.open(QIODevice::WriteOnly))
        return {};
    for (qsizetype n = 0; n < 100; ++n)
        target.write(stages.mid((n % records) * 6000, 6000));
    return hundred;
}

// Opens the Stages window with F4 in the probe build, with extraMs of work
// added to every frame, and reads what it reports; see StageEditorProbe.cpp.
void MeasureStages(const char* probeEditor, const QString& folder, QPoint watched, int extraMs)
{
    const QString hundred = HundredStagesFolder(folder);
    if (hundred.isEmpty()) {
        std::printf("stages window: not measured (no example stages)\n");
        return;
    }
    QProcess editor;
    editor.setWorkingDirectory(hundred);
    editor.setProcessEnvironment(EditorEnvironment(folder, extraMs));
    editor.start(QString::fromLocal8Bit(probeEditor), {});
    if (!editor.waitForStarted(5000) || !WaitForFirstFrame(watched)) {
        std::printf("stages window: not measured (the editor did not start)\n");
        return;
    }
    // Two reports first: start-up and animation warming.
    int reports = 0;
    long long shownMs = -1, doneMs = -1, frames = 0, milliseconds = 0;
    double lowest = 1e9;
    bool pressed = false;
    QElapsedTimer waited;
    waited.start();
    while (doneMs < 0 && waited.elapsed() < 60000) {
        if (!editor.canReadLine() && !editor.waitForReadyRead(500))
            continue;
        while (editor.canReadLine()) {
            const QByteArray line = editor.readLine();
            int n = 0;
            long long ms = 0;
            if (std::sscanf(line.constData(), "frames %d in %lld ms", &n, &ms) == 2) {
                if (++reports == 3 && !pressed) {
                    pressed = true;
                    // The key goes to the window under the pointer (no window manager).
                    Xdotool({"mousemove", QString::number(watched.x() + 100), QString::number(watched.y() + 100)});
                    Xdotool({"key", "F4"});
                } else if (pressed && reports > 3 && ms > 0) {
                    frames += n;
                    milliseconds += ms;
                    // A short last piece says little about a rate.
                    if (ms >= 250)
                        lowest = std::min(lowest, 1000.0 * n / static_cast<double>(ms));
                }
            } else if (std::sscanf(line.constData(), "stages shown in %lld ms", &ms) == 1) {
                shownMs = ms;
            } else if (std::sscanf(line.constData(), "stages done in %lld ms", &ms) == 1) {
                doneMs = ms;
            }
        }
    }
    editor.terminate();
    editor.waitForFinished(3000);
    if (doneMs < 0 || milliseconds <= 0) {
        std::printf("stages window: not measured (no thumbnails reported)\n");
        return;
    }
    std::printf(
        "stages window (100 stages, %d ms of extra work per frame): shown %lld ms after F4; thumbnails "
        "done after %lld ms; frame rate meanwhile %.1f FPS",
        extraMs, shownMs, doneMs, 1000.0 * static_cast<double>(frames) / static_cast<double>(milliseconds));
    if (lowest < 1e9)
        std::printf(" (lowest report %.1f)", lowest);
    std::printf("\n");
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv)
{
    QGuiApplication application(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: editor-meter EDITOR PROBE_EDITOR WORKFOLDER [EXTRA_MS...]\n");
        return 2;
    }
    const char* probeEditor = argv[2];
    const char* folder = argv[3];
    const QSize screen = QGuiApplication::primaryScreen()->size();
    const QPoint origin((screen.width() - 640) / 2, (screen.height() - 480) / 2);
    // A display pixel the splash never covers.
    const QPoint watched = origin + QPoint(8, 8);

    QProcess editor;
    editor.setWorkingDirectory(QString::fromLocal8Bit(folder));
    editor.setProcessEnvironment(EditorEnvironment(QString::fromLocal8Bit(folder), 0));
    editor.setProgram(QString::fromLocal8Bit(argv[1]));
    QElapsedTimer launched;
    launched.start();
    editor.start();
    if (!editor.waitForStarted(5000)) {
        std::fprintf(stderr, "editor-meter: the editor did not start\n");
        return 1;
    }
    WaitForFirstFrame(watched);
    const qint64 firstFrame = launched.elapsed();
    std::printf("launch to first frame: %lld ms (includes the 1500 ms splash)\n", static_cast<long long>(firstFrame));

    QThread::sleep(2);
    const qint64 pid = editor.processId();
    const long long ticksBefore = ProcessTicks(pid);
    QElapsedTimer idle;
    idle.start();
    QThread::sleep(10);
    const long long ticksAfter = ProcessTicks(pid);
    const double seconds = static_cast<double>(idle.elapsed()) / 1000.0;
    const double hz = 100.0;  // the kernel's clock ticks per second for /proc
    std::printf("idle with animation: %.1f%% of one core over %.1f s\n",
                100.0 * static_cast<double>(ticksAfter - ticksBefore) / hz / seconds, seconds);
    std::printf("resident memory: %lld KB (peak %lld KB)\n", StatusKilobytes(pid, "VmRSS:"),
                StatusKilobytes(pid, "VmHWM:"));

    // Pencil tool (second row, left) and the brick brush (sixth row, right).
    Xdotool({"mousemove", "24", "44", "click", "1"});
    Xdotool({"mousemove", "47", QString::number(10 + 5 * 23 + 16 + 11), "click", "1"});
    // Presses at spread phases of the refresh (a pause of 0 to 16 ms before
    // each), so the figure is not one phase of the frame loop measured 24 times.
    std::vector<double> delays;
    for (int i = 0; i < 24; ++i) {
        const QPoint cell = origin + QPoint(48 + 48 * (i % 12) + 8, 400 - 32 * (i / 12) + 8);
        const QRgb before = PixelAt(cell.x(), cell.y());
        QThread::usleep(static_cast<unsigned long>(1000 * (i * 7 % 17)));
        Xdotool({"mousemove", QString::number(cell.x()), QString::number(cell.y()), "mousedown", "1"});
        QElapsedTimer sent;
        sent.start();
        while (PixelAt(cell.x(), cell.y()) == before && sent.elapsed() < 1000)
            QThread::usleep(200);
        delays.push_back(static_cast<double>(sent.nsecsElapsed()) / 1e6);
        Xdotool({"mouseup", "1"});
    }
    std::sort(delays.begin(), delays.end());
    std::printf("pencil press to pixels on screen: median %.1f ms, max %.1f ms (one frame at 60 Hz is 16.7 ms)\n",
                delays[delays.size() / 2], delays.back());
    editor.terminate();
    editor.waitForFinished(3000);

    std::vector<int> extras;
    for (int i = 4; i < argc; ++i)
        extras.push_back(std::atoi(argv[i]));
    if (extras.empty())
        extras.push_back(0);
    for (const int extra : extras) {
        TRate rate;
        if (!MeasureRate(probeEditor, folder, watched, extra, rate)) {
            std::printf("frame rate with %d ms of extra work per frame: not measured\n", extra);
            continue;
        }
        std::printf("frame rate with %d ms of extra work per frame: %.1f FPS (single seconds %.1f to %.1f)\n", extra,
                    rate.Average, rate.Lowest, rate.Highest);
        std::fflush(stdout);
    }
    TRate painting;
    bool copyKept = false;
    if (MeasurePainting(probeEditor, folder, origin, watched, painting, copyKept))
        std::printf(
            "frame rate while painting continuously: %.1f FPS (single seconds %.1f to %.1f); recovery copy "
            "kept meanwhile: %s\n",
            painting.Average, painting.Lowest, painting.Highest, copyKept ? "yes" : "no");
    else
        std::printf("frame rate while painting continuously: not measured\n");
    std::fflush(stdout);
    for (const int extra : {0, 8})
        MeasureStages(probeEditor, QString::fromLocal8Bit(folder), watched, extra);
    return 0;
}
