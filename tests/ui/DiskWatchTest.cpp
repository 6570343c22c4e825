// Other programs change the game folder while the editor runs: the watch
// notices (the file replaced by a rename, written in place, a picture come),
// and once the changes settled the Stages window redraws what changed, the
// picture is reloaded and the designer is asked (or told) about the live
// stage's record. The settled step is driven by the test, never waited for.

#include "editor/Main.h"
#include "storage/SafeWrite.h"
#include "storage/StageFile.h"
#include "support/EditorWindowTest.h"
#include "support/StageFileKit.h"
#include "ui/BetweenFrames.h"
#include "ui/DiskWatch.h"
#include "ui/DisplayWidget.h"
#include "ui/StageCells.h"
#include "ui/StageThumbnails.h"
#include "ui/StagesFm.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include <filesystem>
#include <memory>
#include <set>
#include <string>

namespace {

// The stage file with these records, put in place by a rename as a pack or
// a checkout does it.
void ReplaceStageFile(std::initializer_list<StageRecord> records)
{
    std::string bytes;
    for (const StageRecord& record : records)
        bytes += RecordBytes(record);
    QVERIFY(SafeWriteFile("Stage.Dat", bytes));
}

// A picture of one colour in "Map", made as needed, written in place.
void WritePicture(const char* name, QRgb colour)
{
    QDir().mkpath(QStringLiteral("Map"));
    QImage picture(16, 16, QImage::Format_RGB32);
    picture.fill(colour);
    QFile file(QStringLiteral("Map/") + QString::fromLatin1(name));
    QVERIFY(file.open(QIODevice::WriteOnly));  // the same file, not a new one
    QVERIFY(picture.save(&file, "BMP"));
}

}  // namespace

class DiskWatchTest : public TEditorWindowTest {
    Q_OBJECT

private:
    std::unique_ptr<TfmStages> stages;
    std::unique_ptr<QSignalSpy> made;  // thumbnails made since the last settle

    // Stages 0 and 2 name the pictures "sky.bmp" and "sea.bmp", which are
    // not there yet: the folder has no "Map". The Stages window shows every
    // stage.
    void start()
    {
        enterFolder();
        QVERIFY(PutStageRecord("Stage.Dat", 2, stageNamed("Two", "sea.bmp")));
        QVERIFY(PutStageRecord("Stage.Dat", 1, stageNamed("One")));
        QVERIFY(PutStageRecord("Stage.Dat", 0, stageNamed("Zero", "sky.bmp")));
        openWindows();
        stages = std::make_unique<TfmStages>(window.get());
        window->SetStagesWindow(stages.get());
        QTRY_VERIFY_WITH_TIMEOUT(form().DXDraw->Initialized(), 60000);
        window->activateWindow();
        QTest::keyClick(window.get(), Qt::Key_F4);
        finishThumbnails();
        made = std::make_unique<QSignalSpy>(stages.get(), &TfmStages::ThumbnailMade);
    }
    void finishThumbnails()
    {
        for (int i = 0; i < 10000 && stages->Work().Running(); ++i)
            QCoreApplication::processEvents();
        QCOMPARE(stages->Thumbnails().StaleCount(), 0);
    }
    // Waits until the watch has seen a change, then lets it settle at once;
    // returns the stages whose thumbnails were made again.
    std::set<int> settle()
    {
        [this] { QTRY_VERIFY_WITH_TIMEOUT(window->DiskWatch().Pending(), 30000); }();
        made->clear();
        window->DiskWatch().Settle();
        drain();
        finishThumbnails();
        std::set<int> numbers;
        for (const QList<QVariant>& signal : *made)
            numbers.insert(signal.at(0).toInt());
        return numbers;
    }
    QString caption(int number) { return stages->Cells().index(number).data(TStageCellModel::CaptionRole).toString(); }
    // A pixel of the next frame, where the stage shows its background.
    QColor shownAt(int x, int y)
    {
        form().DXTimerTimer(0);
        return window->Display()->Shown().pixelColor(x, y);
    }

private slots:
    void cleanup()
    {
        made.reset();
        stages.reset();
        closeWindows();
        leaveFolder();
    }

    // Without changes of its own, the designer chooses whether to load it.
    void aChangedRecordOfTheLiveStageIsOfferedToLoad()
    {
        for (const char* answer : {"Yes", "No"}) {
            start();
            TQuestionAnswers answers;
            answers.Answer(QStringLiteral("ChangedQuestion"), QString::fromLatin1(answer));
            ReplaceStageFile(
                {stageNamed("Zero, changed", "sky.bmp"), stageNamed("One, changed"), stageNamed("Two", "sea.bmp")});
            QCOMPARE(settle(), (std::set<int>{0, 1}));
            QCOMPARE(caption(1), QStringLiteral("One, changed"));
            QCOMPARE(answers.Asked, QStringList{QStringLiteral("ChangedQuestion: Stage 00 changed on disk. Load it?")});
            const bool loaded = std::strcmp(answer, "Yes") == 0;
            QCOMPARE(QString::fromStdString(form().Caption.Str()),
                     loaded ? QStringLiteral("Zero, changed") : QStringLiteral("Zero"));
            QCOMPARE(form().History.Count(), 0);
            // Asked once: settled again, nothing new is asked.
            QVERIFY(SafeWriteFile("notes.txt", "a designer's note"));
            QCOMPARE(settle(), std::set<int>{});
            QCOMPARE(answers.Asked.size(), 1);
            cleanup();
        }
    }

    // With changes of its own, the designer is told once; the next Save asks
    // before replacing what the other program wrote, and counts as no change.
    void unsavedChangesAreKeptAndTheNextSaveAsks()
    {
        start();
        form().PushHistory();
        form().FGLayer->SetCell(5, 5, 40);
        StageRecord edited;
        form().CaptureStage(edited);
        TQuestionAnswers answers;
        answers.Answer(QStringLiteral("ChangedNote"), QStringLiteral("OK"));
        answers.Answer(QStringLiteral("ReplaceQuestion"), QStringLiteral("Replace"));
        answers.Answer(QStringLiteral("ChangedQuestion"), QStringLiteral("No"));
        QVERIFY(PutStageRecord("Stage.Dat", 0, stageNamed("Zero, elsewhere", "sky.bmp")));  // written in place
        QCOMPARE(settle(), std::set<int>{0});
        QVERIFY(PutStageRecord("Stage.Dat", 1, stageNamed("One, elsewhere")));
        QCOMPARE(settle(), std::set<int>{1});
        QCOMPARE(answers.Asked,
                 QStringList{QStringLiteral("ChangedNote: Stage 00 changed on disk. Your changes to it "
                                            "are kept; Save will ask before replacing it in Stage.Dat.")});
        StageRecord live;
        form().CaptureStage(live);
        QVERIFY(RecordsEqual(live, edited));
        window->activateWindow();
        QTRY_VERIFY(window->isActiveWindow());
        QTest::keyClick(window.get(), Qt::Key_S, Qt::ControlModifier);
        drain();
        QCOMPARE(answers.Asked.size(), 2);
        QVERIFY(
            answers.Asked[1].startsWith(QStringLiteral("ReplaceQuestion: Stage 00 in Stage.Dat is \"Zero, "
                                                       "elsewhere\".")));
        QVERIFY(!form().Document.Unsaved());
        // The editor's own save is no change.
        finishThumbnails();
        QCOMPARE(settle(), std::set<int>{});
        QCOMPARE(answers.Asked.size(), 2);
    }

    // A picture that comes or changes is shown, and the stages that name it
    // are drawn again; a folder that comes is watched from then on.
    void aChangedPictureIsReloadedAndItsStagesRedrawn()
    {
        start();
        QVERIFY(!form().PictureLoaded);
        WritePicture("sky.bmp", qRgb(0, 255, 0));
        QCOMPARE(settle(), std::set<int>{0});
        QVERIFY(form().PictureLoaded);
        const QString map = QDir::current().absoluteFilePath(QStringLiteral("Map"));
        QVERIFY(window->DiskWatch().Watched().contains(map));
        QVERIFY(window->DiskWatch().Watched().contains(map + QStringLiteral("/sky.bmp")));
        QCOMPARE(shownAt(600, 20), QColor(0, 255, 0));
        WritePicture("sea.bmp", qRgb(255, 0, 0));
        QCOMPARE(settle(), std::set<int>{2});
        WritePicture("sky.bmp", qRgb(255, 255, 0));
        QCOMPARE(settle(), std::set<int>{0});
        QCOMPARE(shownAt(600, 20), QColor(255, 255, 0));
    }
};

QTEST_MAIN(DiskWatchTest)
#include "DiskWatchTest.moc"
