// Measures the running editor from outside, on an X display: time from
// launch to the first frame on screen, processor use while it sits idle with
// the animation running, resident memory, and the delay from a pencil press
// to its pixels on screen. Usage: editor-probe EDITOR WORKFOLDER
//
// It watches screen pixels, so it expects a black root window (Xvfb -br), the
// editor's main window centred on the screen and its tool window at (13, 10).

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QThread>

#include <algorithm>
#include <cstdio>
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

void Xdotool(const QStringList& arguments)
{
    QProcess::execute(QStringLiteral("xdotool"), arguments);
}

}  // namespace

int main(int argc, char** argv)
{
    QGuiApplication application(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: editor-probe EDITOR WORKFOLDER\n");
        return 2;
    }
    const QSize screen = QGuiApplication::primaryScreen()->size();
    const QPoint origin((screen.width() - 640) / 2, (screen.height() - 480) / 2);
    // A display pixel the splash never covers.
    const QPoint watched = origin + QPoint(8, 8);

    QProcess editor;
    editor.setWorkingDirectory(QString::fromLocal8Bit(argv[2]));
    editor.setProgram(QString::fromLocal8Bit(argv[1]));
    QElapsedTimer launched;
    launched.start();
    editor.start();
    if (!editor.waitForStarted(5000)) {
        std::fprintf(stderr, "editor-probe: the editor did not start\n");
        return 1;
    }
    const QRgb black = qRgb(0, 0, 0);
    while (PixelAt(watched.x(), watched.y()) == black && launched.elapsed() < 20000)
        QThread::usleep(500);
    const qint64 firstFrame = launched.elapsed();
    std::printf("launch to first frame: %lld ms (includes the 1500 ms splash)\n", static_cast<long long>(firstFrame));

    QThread::sleep(2);
    const qint64 pid = editor.processId();
    const long long ticksBefore = ProcessTicks(pid);
    QElapsedTimer idle;
    idle.start();
    QThread::sleep(10);
    const long long ticksAfter = ProcessTicks(pid);
    const double seconds = idle.elapsed() / 1000.0;
    const double hz = 100.0;  // the kernel's clock ticks per second for /proc
    std::printf("idle with animation: %.1f%% of one core over %.1f s\n",
                100.0 * static_cast<double>(ticksAfter - ticksBefore) / hz / seconds, seconds);
    std::printf("resident memory: %lld KB (peak %lld KB)\n", StatusKilobytes(pid, "VmRSS:"),
                StatusKilobytes(pid, "VmHWM:"));

    // Pencil tool (second row, left) and the brick brush (sixth row, right).
    Xdotool({"mousemove", "24", "44", "click", "1"});
    Xdotool({"mousemove", "47", QString::number(10 + 5 * 23 + 16 + 11), "click", "1"});
    std::vector<double> delays;
    for (int i = 0; i < 12; ++i) {
        const QPoint cell = origin + QPoint(48 + 48 * i + 8, 400 + 8);
        const QRgb before = PixelAt(cell.x(), cell.y());
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
    return 0;
}
