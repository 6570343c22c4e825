// The "Stages" window driven through real events with the main window and
// the tool window around it: F4, the cells and their marks, opening a stage
// by double-click and Enter, following Load, Save and the stage number, and
// the thumbnails made one per piece of work between frames.

#include "editor/Main.h"
#include "editor/RandomGen.h"
#include "platform/DirectDraw.h"
#include "storage/StageFile.h"
#include "support/EditorWindowTest.h"
#include "support/StageFileKit.h"
#include "ui/BetweenFrames.h"
#include "ui/DisplayWidget.h"
#include "ui/KeyMap.h"
#include "ui/MainWindow.h"
#include "ui/StageCells.h"
#include "ui/StageThumbnails.h"
#include "ui/StagesFm.h"
#include "ui/ToolBarFm.h"
#include "ui/UpDown.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>
#include <memory>
#include <set>

namespace {

// A record with a caption and `enemies` enemies of the first type.
StageRecord Stage(const char* caption, int enemies)
{
    StageRecord record;
    TMainForm::EmptyStage(record);
    record.Caption.Assign(caption);
    record.EnemyCount[0] = static_cast<std::uint16_t>(enemies);
    record.BG[3][4] = 1;
    record.FG[10][10] = 40;
    return record;
}

void Put(int number, const StageRecord& record)
{
    QVERIFY(PutStageRecord("Stage.Dat", number, record));
}

// A schedule the test moves by hand: frames run, the next one starts
// `Left` after now, and each turn's end is emitted by the test.
class TFakeSchedule : public TFrameSchedule {
public:
    bool Running = true;
    std::chrono::nanoseconds Left{};
    bool FramesRunning() const override { return Running; }
    std::chrono::nanoseconds NextFrameStart() const override { return Now() + Left; }
    std::chrono::nanoseconds Now() const override { return std::chrono::seconds(100); }
    void EndTurn() { emit FrameTurnEnded(); }
};

// Runs the event loop until the zero-time timers queued now and those
// they queue in turn have run.
void Drain()
{
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();
}

}  // namespace

class StagesFmTest : public TEditorWindowTest {
    Q_OBJECT

private:
    std::unique_ptr<TfmStages> stages;

    QModelIndex cell(int number) { return stages->Cells().index(number); }
    QVariant data(int number, int role) { return cell(number).data(role); }

    // The Stages window comes after the others, as when the editor starts.
    void start()
    {
        openWindows();
        stages = std::make_unique<TfmStages>(window.get());
        window->SetStagesWindow(stages.get());
        Drain();
    }

    // Shows the window by its key, as the designer does, and lets every
    // thumbnail be made.
    void showStages()
    {
        window->activateWindow();
        QTest::keyClick(window.get(), Qt::Key_F4);
        QVERIFY(stages->isVisible());
        finishThumbnails();
    }

    void finishThumbnails()
    {
        for (int i = 0; i < 10000 && stages->Work().Running(); ++i)
            QCoreApplication::processEvents();
        QVERIFY(!stages->Work().Running());
        QCOMPARE(stages->Thumbnails().StaleCount(), 0);
    }

    QImage thumbnail(int number) { return data(number, TStageCellModel::ThumbnailRole).value<QImage>(); }

private slots:
    void init()
    {
        enterFolder();
        Put(0, Stage("Zero", 3));
        StageRecord one = Stage("One", 4);
        one.FG[30][20] = 9;
        Put(1, one);
        StageRecord broken = Stage("Broken", 5);
        broken.BG_Bitmap.Assign("missing.bmp");
        Put(2, broken);
        StageRecord latin = Stage("Caf\xe9", 6);
        Put(5, latin);  // 3 and 4 become padding
        start();
    }

    void cleanup()
    {
        stages.reset();
        closeWindows();
        leaveFolder();
    }

    void f4ShowsAndHidesTheWindowFromTheMainWindowAndFromItself()
    {
        QVERIFY(!stages->isVisible());
        QCOMPARE(stages->windowTitle(), QStringLiteral("Stages - ") + QDir::currentPath());
        QCOMPARE(stages->windowFlags() & Qt::WindowType_Mask, Qt::Tool);
        const bool toolShown = tool->isVisible();
        QTest::keyClick(window.get(), Qt::Key_F4);
        QVERIFY(stages->isVisible());
        QCOMPARE(tool->isVisible(), toolShown);  // F6's window is another
        QTest::keyClick(window.get(), Qt::Key_F4);
        QVERIFY(!stages->isVisible());
        QTest::keyClick(window.get(), Qt::Key_F4);
        QVERIFY(stages->isVisible());
        QTest::keyClick(stages->lvStages, Qt::Key_F4);
        QVERIFY(!stages->isVisible());
        // The other keys of the main window act from here too; the window's own stay its own.
        QTest::keyClick(stages->lvStages, Qt::Key_F2);
        QVERIFY(form().ShowReadout);
        QTest::keyClick(stages->lvStages, Qt::Key_Equal, Qt::ControlModifier);
        QCOMPARE(window->Display()->Zoom(), 2);
        QVERIFY(!IsEditorKey(Qt::Key_Y, Qt::ControlModifier));
        QVERIFY(!IsEditorKey(Qt::Key_0, Qt::ControlModifier | Qt::AltModifier));
    }

    void everyStageHasACellWithItsNumberAndCaption()
    {
        showStages();
        QCOMPARE(stages->Cells().rowCount(), 100);
        const struct {
            int Number;
            const char* Display;
            bool Present;
        } cases[] = {
            {0, "00 Zero", true},
            {1, "01 One", true},
            {3, "03 Undefined Stage", true},  // padding is a record like any other
            {5, "05 Caf\xc3\xa9", true},      // each byte one character, as in the title
            {6, "06 no record", false},
            {99, "99 no record", false},
        };
        for (const auto& c : cases) {
            QCOMPARE(data(c.Number, Qt::DisplayRole).toString(), QString::fromUtf8(c.Display));
            QCOMPARE(data(c.Number, TStageCellModel::PresentRole).toBool(), c.Present);
            QCOMPARE(thumbnail(c.Number).isNull(), !c.Present);
        }
        QCOMPARE(thumbnail(0).size(), QSize(160, 120));
        QVERIFY(thumbnail(0) != thumbnail(1));
    }

    // A record cut short at the end of the file is no record, as for Load.
    void aRecordCutShortIsAnEmptyCell()
    {
        QFile file(QStringLiteral("Stage.Dat"));
        QVERIFY(file.open(QIODevice::Append));
        file.write(QByteArray(3000, '\x01'));
        file.close();
        showStages();
        QVERIFY(!data(6, TStageCellModel::PresentRole).toBool());
        QCOMPARE(data(6, Qt::DisplayRole).toString(), QStringLiteral("06 no record"));
    }

    void aStageWithACheckErrorIsMarkedWithItsFirstError()
    {
        showStages();
        QCOMPARE(data(2, TStageCellModel::ErrorsRole).toInt(), 1);
        const QString tip = data(2, Qt::ToolTipRole).toString();
        QVERIFY2(tip.contains(QStringLiteral("BG_Bitmap")) && tip.contains(QStringLiteral("missing.bmp")),
                 qPrintable(tip));
        for (int number : {0, 1, 3, 5, 6})
            QCOMPARE(data(number, TStageCellModel::ErrorsRole).toInt(), 0);
        QVERIFY(stages->stStatus->text().contains(QStringLiteral("1 with errors")));
    }

    void theCurrentMarkFollowsTheStageNumberAndLoad()
    {
        showStages();
        auto current = [this] {
            std::set<int> marked;
            for (int number = 0; number < 100; ++number)
                if (data(number, TStageCellModel::CurrentRole).toBool())
                    marked.insert(number);
            return marked;
        };
        QCOMPARE(current(), std::set<int>{0});
        tool->udStageNum->stepDown();  // the lower arrow: the next stage
        QCOMPARE(current(), std::set<int>{1});
        tool->edStageNum->setText(QStringLiteral("7"));  // typed
        QCOMPARE(current(), std::set<int>{7});
        tool->udStageNum->setPosition(5);
        QTest::mouseClick(tool->btLoad, Qt::LeftButton);
        QCOMPARE(current(), std::set<int>{5});
        // Hidden meanwhile, it shows the number in use when shown again.
        QTest::keyClick(window.get(), Qt::Key_F4);
        tool->udStageNum->setPosition(3);
        QTest::keyClick(window.get(), Qt::Key_F4);
        QCOMPARE(current(), std::set<int>{3});
        QCOMPARE(stages->lvStages->currentIndex().row(), 3);
    }

    // Opening a stage from the window leaves the editor exactly as setting
    // the number and pressing Load does.
    void doubleClickAndEnterOpenAStageAsNumberAndLoadDo()
    {
        showStages();
        struct TOutcome {
            QString Title, Option, Number;
            int Stage = 0, Steps = 0;
            StageRecord Record{};
        };
        auto outcome = [this] {
            TOutcome o;
            o.Title = window->windowTitle();
            o.Option = tool->btOption->text();
            o.Number = tool->edStageNum->text();
            o.Stage = form().Document.StageNum();
            o.Steps = form().History.Count();
            form().CaptureStage(o.Record);
            return o;
        };
        auto same = [](const TOutcome& a, const TOutcome& b) {
            return a.Title == b.Title && a.Option == b.Option && a.Number == b.Number && a.Stage == b.Stage
                   && a.Steps == b.Steps && std::memcmp(&a.Record, &b.Record, sizeof a.Record) == 0;
        };
        form().PushHistory();  // the history is kept, not cleared

        tool->udStageNum->setPosition(1);
        QTest::mouseClick(tool->btLoad, Qt::LeftButton);
        const TOutcome byTool = outcome();
        QCOMPARE(byTool.Title, QString::fromUtf8("铁履纵横 地图编辑器 - Stage 01 (One)"));
        QCOMPARE(byTool.Option, QStringLiteral("&EC=04"));

        tool->udStageNum->setPosition(0);
        QTest::mouseClick(tool->btLoad, Qt::LeftButton);
        QListView* view = stages->lvStages;
        view->scrollTo(cell(1));
        // The window system's double-click: a click, then a second press as a double-click.
        const QPoint at = view->visualRect(cell(1)).center();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QCOMPARE(int(form().Document.StageNum()), 0);  // one click only selects
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseRelease(view->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QVERIFY(same(outcome(), byTool));

        tool->udStageNum->setPosition(0);
        QTest::mouseClick(tool->btLoad, Qt::LeftButton);
        view->setCurrentIndex(cell(1));
        QTest::keyClick(view, Qt::Key_Return);
        QVERIFY(same(outcome(), byTool));

        // A stage the file does not hold: the random stage, as Load gives.
        view->setCurrentIndex(cell(42));
        QTest::keyClick(view, Qt::Key_Enter);
        QCOMPARE(int(form().Document.StageNum()), 42);
        QVERIFY(window->windowTitle().endsWith(QStringLiteral("Stage 42 (Random Stage)")));
    }

    void afterSaveTheStagesThumbnailAndErrorMarkFollow()
    {
        showStages();
        tool->udStageNum->setPosition(1);
        QTest::mouseClick(tool->btLoad, Qt::LeftButton);
        const QImage before = thumbnail(1);
        for (int column = 0; column < 40; ++column)
            form().FGLayer->SetCell(column + 1, 15, 40);  // a wall across
        form().SetBGBitmap([] {
            TShortString name;
            name.Assign("gone.jpg");
            return name;
        }());
        QTest::mouseClick(tool->btSave, Qt::LeftButton);
        finishThumbnails();
        QVERIFY(thumbnail(1) != before);
        QCOMPARE(data(1, TStageCellModel::ErrorsRole).toInt(), 1);
        QVERIFY(data(1, Qt::ToolTipRole).toString().contains(QStringLiteral("gone.jpg")));

        // Saving beyond the end pads the file: the new records show too.
        tool->udStageNum->setPosition(9);
        QTest::mouseClick(tool->btSave, Qt::LeftButton);
        finishThumbnails();
        for (int number : {6, 7, 8, 9})
            QVERIFY(data(number, TStageCellModel::PresentRole).toBool());
        QCOMPARE(data(7, Qt::DisplayRole).toString(), QStringLiteral("07 Undefined Stage"));
        QVERIFY(!data(10, TStageCellModel::PresentRole).toBool());
    }

    // Another program changes the file while the window is hidden.
    void showingItAgainReadsTheFileAgain()
    {
        showStages();
        const QImage before = thumbnail(0);
        QTest::keyClick(window.get(), Qt::Key_F4);
        StageRecord changed = Stage("Renamed", 2);
        changed.FG[20][5] = 9;
        Put(0, changed);
        QFile::resize(QStringLiteral("Stage.Dat"), 2 * 6000);  // 2..5 are gone
        QTest::keyClick(window.get(), Qt::Key_F4);
        QCOMPARE(data(0, Qt::DisplayRole).toString(), QStringLiteral("00 Renamed"));  // at once
        QVERIFY(!data(5, TStageCellModel::PresentRole).toBool());
        finishThumbnails();
        QVERIFY(thumbnail(0) != before);
        QVERIFY(thumbnail(5).isNull());
    }

    // No piece of work makes more than one thumbnail, the window shows
    // before any is made, and making them leaves the editor's random
    // generator and display settings alone.
    void thumbnailsAreMadeOnePerPieceOfWork()
    {
        std::vector<int> piecesWhenMade;
        connect(stages.get(), &TfmStages::ThumbnailMade, this,
                [&](int) { piecesWhenMade.push_back(stages->Work().PiecesRun()); });
        RandomSeed = 4242;
        const TDisplayPlatformSettings settings = DisplayPlatformSettings();
        const int piecesBefore = stages->Work().PiecesRun();
        window->activateWindow();
        QTest::keyClick(window.get(), Qt::Key_F4);
        QVERIFY(stages->isVisible());
        QCOMPARE(stages->Work().PiecesRun(), piecesBefore);  // nothing made yet
        QVERIFY(stages->Work().Running());
        QCOMPARE(data(0, Qt::DisplayRole).toString(), QStringLiteral("00 Zero"));  // captions at once
        finishThumbnails();
        QCOMPARE(piecesWhenMade.size(), std::size_t{6});  // the six records
        QCOMPARE(std::set<int>(piecesWhenMade.begin(), piecesWhenMade.end()).size(), piecesWhenMade.size());
        QCOMPARE(RandomSeed, 4242u);
        QCOMPARE(DisplayPlatformSettings().Format, settings.Format);
        QCOMPARE(DisplayPlatformSettings().Clock, settings.Clock);
        QCOMPARE(DisplayPlatformSettings().ScreenWidth, settings.ScreenWidth);
    }

    // While frames run, a piece waits for a gap it fits in; one that fits
    // in none still runs after a few turns, so the work always ends.
    void piecesWaitForTheirTurnBetweenFrames()
    {
        TFakeSchedule schedule;
        int pieces = 0;
        TBetweenFrames work([&] { return ++pieces < 4; }, &schedule);
        schedule.Left = std::chrono::seconds(1);
        work.Start();
        Drain();
        QCOMPARE(pieces, 0);  // its cost unknown: it waits for a turn's end
        schedule.EndTurn();
        Drain();
        QCOMPARE(pieces, 4);  // then each fits in the gap
        QVERIFY(!work.Running());

        pieces = 0;
        schedule.Left = std::chrono::milliseconds(1);  // less than the margin alone
        work.Start();
        Drain();
        QCOMPARE(pieces, 0);
        for (int turn = 1; turn < TBetweenFrames::MaxWaitTurns; ++turn) {
            schedule.EndTurn();
            Drain();
        }
        QCOMPARE(pieces, 0);
        schedule.EndTurn();
        Drain();
        QCOMPARE(pieces, 1);       // forced once, then it waits again
        schedule.Running = false;  // frames stop: nothing to wait for
        schedule.EndTurn();
        Drain();
        QCOMPARE(pieces, 4);

        pieces = 0;
        work.Start();
        work.Stop();
        Drain();
        QCOMPARE(pieces, 0);
    }

    // The window is sized in whole cells; the list must lay out that many
    // side by side, not wrap one early for want of a pixel.
    void aWindowSizedForColumnsShowsThemSideBySide()
    {
        showStages();
        const QSize cellSize = stages->lvStages->gridSize();
        for (const int columns : {1, 2, 3}) {
            stages->resize(columns * cellSize.width() + stages->ChromeSize().width(), stages->height());
            Drain();
            stages->lvStages->doItemsLayout();
            const int top = stages->lvStages->visualRect(cell(0)).top();
            QCOMPARE(stages->lvStages->visualRect(cell(columns - 1)).top(), top);
            QVERIFY(stages->lvStages->visualRect(cell(columns)).top() > top);
        }
    }

    // A message wider than the window is cut at its end, never lost: the
    // tooltip holds it whole.
    void theStatusLineElidesAndTheTooltipHoldsItWhole()
    {
        showStages();
        stages->resize(2 * stages->lvStages->gridSize().width() + stages->ChromeSize().width(), stages->height());
        Drain();
        const QString outcome = QStringLiteral("Moved 03 to 00, and 04 to 01, and 05 to 02, and more besides");
        stages->ShowOutcome(outcome);
        const QString firstLine = stages->stStatus->text().section(QLatin1Char('\n'), 0, 0);
        QVERIFY(firstLine.endsWith(QChar(0x2026)));
        QVERIFY(stages->stStatus->fontMetrics().horizontalAdvance(firstLine)
                <= stages->stStatus->contentsRect().width());
        QVERIFY(stages->stStatus->toolTip().startsWith(outcome + QStringLiteral(" \u00b7 ")));
    }

    // Beside the main window, clear of it and of the tool window, showing
    // twenty stages or more where the screen has room, in compact cells when
    // full-size ones would show fewer.
    void theDefaultPlaceIsBesideTheMainWindow()
    {
        const QSize cell(168, 150);
        const QSize compactCell(88, 90);
        const QSize chrome(16, 20);
        const QMargins none;
        const QMargins titled(2, 24, 2, 2);
        const QRect toolFrame(13, 10, 47, 520);
        const struct {
            QRect Screen;
            QRect Main;
            QMargins Decoration;
            int Stages;  // shown at least
            bool Compact;
        } cases[] = {
            {QRect(0, 0, 1024, 768), QRect(192, 144, 640, 480), none, 10, true},
            {QRect(0, 0, 1280, 1024), QRect(318, 259, 644, 506), titled, 20, true},  // not one column of five
            {QRect(0, 0, 1920, 1080), QRect(638, 276, 644, 506), titled, 20, true},
            {QRect(0, 0, 1366, 768), QRect(361, 130, 644, 506), titled, 20, true},
            {QRect(0, 0, 1920, 1080), QRect(1270, 100, 644, 506), titled, 20, false},  // at the right edge: goes left
            {QRect(1920, 0, 1280, 1024), QRect(2240, 0, 644, 506), titled, 20,
             true},  // a second screen, main at its top
            {QRect(0, 0, 3840, 2160), QRect(1598, 817, 644, 506), titled, 25, false},
        };
        for (const auto& c : cases) {
            const QRect avoid = toolFrame.translated(c.Screen.topLeft());
            const TStagesPlace place =
                StagesWindowPlace(c.Main, avoid, c.Screen, cell, compactCell, chrome, c.Decoration);
            const QRect frame = place.Client.marginsAdded(c.Decoration);
            const QSize shown = place.Compact ? compactCell : cell;
            const int count = (place.Client.width() - chrome.width()) / shown.width()
                              * ((place.Client.height() - chrome.height()) / shown.height());
            const QString where = QStringLiteral("%1 on %2x%3").arg(count).arg(c.Screen.width()).arg(c.Screen.height());
            QVERIFY2(c.Screen.contains(frame), qPrintable(where));
            QVERIFY2(!frame.intersects(c.Main), qPrintable(where));
            QVERIFY2(!frame.intersects(avoid), qPrintable(where));
            QVERIFY2(count >= c.Stages, qPrintable(where));
            QCOMPARE(place.Compact, c.Compact);
        }
        // Too small a screen for a cell beside it: on the screen all the same.
        const QRect small(0, 0, 800, 600);
        const TStagesPlace place =
            StagesWindowPlace(QRect(80, 60, 640, 480), toolFrame, small, cell, compactCell, chrome, none);
        QVERIFY(small.contains(place.Client));
        QVERIFY(place.Client.width() >= 2 * compactCell.width());
    }
};

QTEST_MAIN(StagesFmTest)
#include "StagesFmTest.moc"
