// The main window's zoom: clicks land on the cell under them at every zoom,
// the field is shown scaled pixel for pixel, a Ctrl+wheel zoom keeps the cell
// under the pointer while the view scrolls, and 1x shows what a render draws.

#include "editor/Main.h"
#include "editor/StageRenderer.h"
#include "support/EditorWindowTest.h"
#include "ui/DisplayView.h"
#include "ui/DisplayWidget.h"

#include <QScrollBar>
#include <QWheelEvent>
#include <QtTest>

namespace {

void Click(QWidget* widget, QPoint at)
{
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, QPointF(at), widget->mapToGlobal(QPointF(at)), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &event);
    }
}

}  // namespace

class ZoomTest : public TEditorWindowTest {
    Q_OBJECT

private:
    TDisplayWidget* display() { return window->Display(); }

private slots:
    void init()
    {
        enterFolder();
        openWindows();
        QTRY_VERIFY(form().DXDraw->Initialized());
        form().ToolMode = TToolMode::Pencil;
        form().CurTile = 14;  // steel, FG 40..43
    }

    void cleanup()
    {
        closeWindows();
        leaveFolder();
    }

    void aClickAtEachZoomPaintsTheCellUnderIt()
    {
        for (int zoom = 1; zoom <= 4; ++zoom) {
            window->SetZoom(zoom, window->mapToGlobal(QPoint(0, 0)));
            QCOMPARE(display()->Zoom(), zoom);
            QCOMPARE(display()->size(), QSize(640 * zoom, 480 * zoom));
            form().ClearLayers();
            // The cell's last device pixel, then one past it (in the next cell).
            const int column = 7 + zoom, row = 3 + zoom;
            Click(display(), QPoint((column + 1) * 16 * zoom - 1, (row + 1) * 16 * zoom - 1));
            Click(display(), QPoint((column + 1) * 16 * zoom, row * 16 * zoom));
            QCOMPARE(form().FGLayer->Cell(column + 1, row + 1), 40);
            QCOMPARE(form().FGLayer->Cell(column + 2, row + 1), 40);
            QCOMPARE(form().FGLayer->Cell(column + 1, row), -1);
            // The frame shown, each field pixel a square of zoom x zoom pixels.
            form().DXTimerTimer(0);
            if (zoom > 1) {
                const QImage& field = display()->Shown();
                const QImage& shown = display()->ShownZoomed();
                for (const QPoint p : {QPoint(column * 16 + 3, row * 16 + 5), QPoint(639, 479), QPoint(0, 0)})
                    for (const QPoint d : {QPoint(0, 0), QPoint(zoom - 1, zoom - 1)})
                        QCOMPARE(shown.pixel(p * zoom + d), field.pixel(p));
            }
        }
        // The view scrolls beyond the screen: the window stays on it, and the tool window beside it.
        QVERIFY(window->screen()->availableGeometry().contains(window->frameGeometry()));
        QVERIFY(!tool->frameGeometry().intersects(window->frameGeometry()));
    }

    void aWheelZoomKeepsTheCellUnderThePointerWhileTheViewScrolls()
    {
        window->SetZoom(2, window->mapToGlobal(QPoint(0, 0)));
        TDisplayView* view = window->View();
        QVERIFY(view->horizontalScrollBar()->maximum() > 0);
        view->horizontalScrollBar()->setValue(300);
        view->verticalScrollBar()->setValue(200);
        const QPoint global = view->viewport()->mapToGlobal(QPoint(150, 120));
        const QPointF before = view->FieldPointAt(global);
        const QPointF at = display()->mapFromGlobal(QPointF(global));
        QWheelEvent wheel(at, QPointF(global), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::ControlModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(display(), &wheel);
        QCOMPARE(display()->Zoom(), 3);
        const QPointF after = view->FieldPointAt(global);
        QCOMPARE(QPoint(int(after.x()) / 16, int(after.y()) / 16), QPoint(int(before.x()) / 16, int(before.y()) / 16));
        QVERIFY(qAbs(after.x() - before.x()) < 1 && qAbs(after.y() - before.y()) < 1);
    }

    void atOneTimesTheDisplayShowsWhatARenderDraws()
    {
        StageRecord record = stageNamed("Shown", "");
        record.BG[10][10] = 5;
        record.FG[11][10] = 33;
        form().ApplyStage(record);
        form().DXTimerTimer(0);  // the clock held still: no tick
        QCoreApplication::processEvents();
        const QImage shown = display()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        TStageRenderer renderer(std::filesystem::current_path());
        const std::vector<std::uint32_t> rendered = renderer.Render(record).Pixels;
        QCOMPARE(shown.size(), QSize(DisplayWidth, DisplayHeight));
        for (int y = 0; y < DisplayHeight; ++y)
            for (int x = 0; x < DisplayWidth; ++x)
                if ((shown.pixel(x, y) & 0xFFFFFF) != rendered[static_cast<std::size_t>(y * DisplayWidth + x)])
                    QFAIL(qPrintable(QStringLiteral("differs at %1, %2").arg(x).arg(y)));
    }
};

QTEST_MAIN(ZoomTest)
#include "ZoomTest.moc"
