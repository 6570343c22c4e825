// The Stages window compares the stage set with a file or the last commit
// and finds a tile across it: the marks on the cells, the status line, the
// outlines on the display, and Replace Tile as one step undone by Ctrl+Z.
// What is read again after a change is settled by the test, never waited for.

#include "editor/Main.h"
#include "storage/StageFile.h"
#include "support/EditorWindowTest.h"
#include "support/StageFileKit.h"
#include "ui/BetweenFrames.h"
#include "ui/DiskWatch.h"
#include "ui/DisplayText.h"
#include "ui/DisplayWidget.h"
#include "ui/FindDialog.h"
#include "ui/ReplaceTileDialog.h"
#include "ui/StageCells.h"
#include "ui/StageCompare.h"
#include "ui/StageSetActions.h"
#include "ui/StageViews.h"
#include "ui/StagesFm.h"
#include "ui/TilePicker.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <sys/stat.h>
#include <fstream>
#include <functional>
#include <memory>

namespace {

// Fills our dialog named `name` as it opens and presses its button.
class TDialogFiller : public QObject {
public:
    TDialogFiller(QString name, std::function<void(QDialog&)> fill) : FName(std::move(name)), FFill(std::move(fill))
    {
        qApp->installEventFilter(this);
    }
    ~TDialogFiller() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && watched->objectName() == FName)
            QTimer::singleShot(0, watched, [this, watched] { FFill(*static_cast<QDialog*>(watched)); });
        return false;
    }

private:
    QString FName;
    std::function<void(QDialog&)> FFill;
};

bool Git(const QStringList& args)
{
    QProcess git;
    git.start(QStringLiteral("git"), args);
    return git.waitForFinished() && git.exitCode() == 0;
}

}  // namespace

class StageViewsTest : public TEditorWindowTest {
    Q_OBJECT

private:
    std::unique_ptr<TfmStages> stages;

    // Stage `number`'s marks, "compare/found".
    QString marks(int number) const
    {
        const QModelIndex cell = stages->Cells().index(number);
        return cell.data(TStageCellModel::CompareRole).toString() + QLatin1Char('/')
               + cell.data(TStageCellModel::FoundRole).toString();
    }
    QString allMarks() const { return marks(0) + ' ' + marks(1) + ' ' + marks(2) + ' ' + marks(3); }
    // The display's pixel at field cell (column, row)'s top left corner, after a frame.
    QColor corner(int column, int row)
    {
        form().DXTimerTimer(16);
        return window->Display()->grab().toImage().pixelColor(column * 16, row * 16);
    }
    static void writeFile(const char* file, const std::string& bytes)
    {
        std::ofstream(file, std::ios::binary) << bytes;
    }
    // Stages named by the letters of `names`.
    static void writeStages(const char* file, const char* names)
    {
        std::string bytes;
        for (const char* name = names; *name; ++name)
            bytes += RecordBytes(stageNamed(std::string(1, *name).c_str()));
        writeFile(file, bytes);
    }
    // Waits until the comparison's watch has seen a change, then lets it
    // settle at once: a watch that missed the change fails here.
    void settleCompared()
    {
        QTRY_VERIFY_WITH_TIMEOUT(stages->Views().Compare().Watch().Pending(), 30000);
        stages->Views().Compare().Watch().Settle();
    }

private slots:
    // Stages A B C D; the live stage is B (1), the Stages window open.
    void init()
    {
        enterFolder();
        writeStages("Stage.Dat", "ABCD");
        openWindows();
        stages = std::make_unique<TfmStages>(window.get());
        window->SetStagesWindow(stages.get());
        QVERIFY(form().Document.OpenStage(1));
        QTest::keyClick(window.get(), Qt::Key_F4);
        for (int i = 0; i < 10000 && stages->Work().Running(); ++i)
            QCoreApplication::processEvents();
        stages->Views().Compare().Watch().SetSettleTime(NeverSettles);
    }

    void cleanup()
    {
        stages.reset();
        closeWindows();
        leaveFolder();
    }

    void theMarksFollowTheComparedFileAndF11OutlinesTheLiveStage()
    {
        writeStages("old.dat", "ACB");
        QString why;
        QVERIFY2(stages->Views().Compare().CompareWithFile("old.dat", why), qPrintable(why));
        QCOMPARE(allMarks(), QStringLiteral("/ moved/ moved/ added/"));
        QVERIFY(stages->stStatus->text().startsWith(QStringLiteral("Compared with old.dat: 2 moved, 1 added")));

        form().PushHistory();
        form().FGLayer->SetCell(4, 4, 41);
        const QColor painted = corner(3, 3);
        QTest::keyClick(window.get(), Qt::Key_F11);
        QCOMPARE(corner(3, 3), QColor(255, 0, 255));

        // Another program writes old.dat: read again once that settled, and
        // the outline follows what it holds.
        StageRecord live;
        form().CaptureStage(live);
        writeFile("old.dat", RecordBytes(stageNamed("A")) + RecordBytes(live) + RecordBytes(stageNamed("C"))
                                 + RecordBytes(stageNamed("D")));
        settleCompared();
        QCOMPARE(allMarks(), QStringLiteral("/ changed/ / /"));
        QCOMPARE(corner(3, 3), painted);
        writeStages("old.dat", "ABCD");
        settleCompared();
        QCOMPARE(allMarks(), QStringLiteral("/ / / /"));
        QVERIFY(stages->stStatus->text().startsWith(QStringLiteral("Same as old.dat")));
        QCOMPARE(corner(3, 3), QColor(255, 0, 255));
        QTest::keyClick(stages->lvStages, Qt::Key_F11);  // the Stages window forwards the key
        QCOMPARE(corner(3, 3), painted);

        const struct {
            const char* Bytes;  // old.dat's, or null for no such file, or "FIFO"
            const char* Why;
        } faults[] = {
            {nullptr, "No such file or directory"},
            {"short", "old.dat ends inside stage 00 (5 of 6000 bytes)."},
            {"FIFO", "old.dat: it is not a regular file"},
        };
        for (const auto& fault : faults) {
            QFile::remove(QStringLiteral("old.dat"));
            if (fault.Bytes && std::string(fault.Bytes) == "FIFO")
                QCOMPARE(::mkfifo("old.dat", 0600), 0);
            else if (fault.Bytes)
                writeFile("old.dat", fault.Bytes);
            QVERIFY(!stages->Views().Compare().CompareWithFile("old.dat", why));
            QVERIFY2(why.endsWith(QString::fromLatin1(fault.Why)), qPrintable(why));
        }
        QVERIFY(stages->stStatus->text().startsWith(QStringLiteral("Same as old.dat")));  // as it was
    }

    void lastCommitIsReadThroughGitAgainWhenTheCommitChanges()
    {
        qputenv("GIT_CONFIG_GLOBAL", "/dev/null");
        qputenv("GIT_CONFIG_NOSYSTEM", "1");
        for (const char* name : {"GIT_AUTHOR_NAME", "GIT_COMMITTER_NAME", "GIT_AUTHOR_EMAIL", "GIT_COMMITTER_EMAIL"})
            qputenv(name, "designer");
        QVERIFY(Git({"init", "-q", "-b", "main"}));
        QVERIFY(TStageCompare::InWorkingTree(form().Document.GameFolder()));
        QString why;
        QVERIFY(!stages->Views().Compare().CompareWithLastCommit(why));
        QVERIFY2(why.startsWith(QStringLiteral("Stage.Dat is not in the last commit; git says: fatal:")),
                 qPrintable(why));

        QVERIFY(Git({"add", "Stage.Dat"}) && Git({"commit", "-q", "-m", "ABCD"}));
        QVERIFY(PutStageRecord("Stage.Dat", 2, stageNamed("X")));
        QVERIFY2(stages->Views().Compare().CompareWithLastCommit(why), qPrintable(why));
        QCOMPARE(allMarks(), QStringLiteral("/ / changed/ /"));
        QVERIFY(stages->stStatus->text().startsWith(QStringLiteral("Compared with Last Commit: 1 changed")));
        // The designer commits: read again once that settled.
        QVERIFY(Git({"commit", "-q", "-a", "-m", "X"}));
        settleCompared();
        QCOMPARE(allMarks(), QStringLiteral("/ / / /"));

        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", "/nonexistent");
        const bool started = stages->Views().Compare().CompareWithLastCommit(why);
        qputenv("PATH", path);
        QVERIFY(!started);
        QCOMPARE(why, QStringLiteral("git cannot be run; is it installed?"));
    }

    // A reason that ends a sentence itself ("... (1000 of 6000 bytes).")
    // showed with two full stops before "Nothing was changed."
    void aReasonReadsOnceEnded()
    {
        for (const auto& [text, ended] :
             {std::pair{"cut.dat ends inside stage 01.", "cut.dat ends inside stage 01."},
              std::pair{"git cannot be run", "git cannot be run."}, std::pair{"is it installed?", "is it installed?"}})
            QCOMPARE(Sentence(QString::fromLatin1(text)), QString::fromLatin1(ended));
    }

    void findMarksTheStagesAndReplaceTileIsOneStep()
    {
        {
            TDialogFiller find(QStringLiteral("FindDialog"), [](QDialog& dialog) {
                auto& found = static_cast<TFindDialog&>(dialog);
                found.edTile->setEditText(QStringLiteral("furnace"));
                found.btFind->click();
            });
            QTest::keyClick(stages->lvStages, Qt::Key_F, Qt::ControlModifier);
        }
        QCOMPARE(allMarks(), QStringLiteral("/1 /1 /1 /1"));
        QVERIFY(stages->stStatus->text().startsWith(QStringLiteral("Found furnace: 4 stages, 4 cells")));
        QCOMPARE(corner(30, 5), QColor(0, 255, 255));  // the live stage's furnace
        QTest::keyClick(window.get(), Qt::Key_F3);
        QCOMPARE(form().Document.StageNum(), 2);

        stages->SelectStagesNumbered({0, 2});
        {
            TDialogFiller replace(QStringLiteral("ReplaceTileDialog"), [](QDialog& dialog) {
                auto& replacing = static_cast<TReplaceTileDialog&>(dialog);
                replacing.edFrom->setEditText(QStringLiteral("furnace"));
                replacing.edTo->setEditText(QStringLiteral("brick"));
                replacing.btReplace->click();
            });
            stages->Actions().UpdateActions();
            stages->Actions().acReplaceTile->trigger();
        }
        drain();
        QCOMPARE(allMarks(), QStringLiteral("/ /1 / /1"));
        QVERIFY(
            stages->stStatus->text().startsWith(QStringLiteral("Replaced furnace with brick: 2 cells in 2 stages")));
        QCOMPARE(form().FGLayer->Cell(31, 6), 25);  // the live stage follows its record
        QVERIFY(corner(30, 5) != QColor(0, 255, 255));
        stages->lvStages->setFocus();
        QTest::keyClick(stages->lvStages, Qt::Key_Z, Qt::ControlModifier);
        drain();
        QCOMPARE(allMarks(), QStringLiteral("/1 /1 /1 /1"));
        QCOMPARE(form().FGLayer->Cell(31, 6), 61);
    }
};

QTEST_MAIN(StageViewsTest)
#include "StageViewsTest.moc"
