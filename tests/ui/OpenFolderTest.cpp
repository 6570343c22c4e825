// Another game folder opened as a designer does it (Ctrl+O, or the Stages
// window's button): the question over unsaved work first, then the editor
// starts over there as at start-up. The folder in use is named, and the
// text map dialogs open in it.

#include "storage/StageFile.h"
#include "support/EditorWindowTest.h"
#include "support/StageFileKit.h"
#include "ui/DiskWatch.h"
#include "ui/StageCells.h"
#include "ui/StagesFm.h"
#include "ui/UpDown.h"

#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

#include <filesystem>
#include <functional>
#include <memory>

namespace {

std::filesystem::path PathOf(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

// Answers the next modal file dialog: `look` sees it, then it is accepted
// with `path` or, when that is empty, cancelled.
void AnswerFileDialog(const QString& path, std::function<void(QFileDialog*)> look = {})
{
    QTimer::singleShot(0, [path, look] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            AnswerFileDialog(path, look);
            return;
        }
        if (look)
            look(dialog);
        if (path.isEmpty()) {
            dialog->reject();
            return;
        }
        dialog->selectFile(path);
        static_cast<QDialog*>(dialog)->accept();
    });
}

}  // namespace

class OpenFolderTest : public TEditorWindowTest {
    Q_OBJECT

private:
    std::unique_ptr<TfmStages> stages;
    std::unique_ptr<QTemporaryDir> other;

    // The editor in a folder whose stage file holds 0 and 1, at stage 1
    // with an edit; another folder holds "STAGE.DAT" with stage 0 and a
    // copy an ended editor left for it.
    void start()
    {
        enterFolder();
        QVERIFY(PutStageRecord("Stage.Dat", 0, stageNamed("Alpha")));
        QVERIFY(PutStageRecord("Stage.Dat", 1, stageNamed("Alpha One")));
        other = std::make_unique<QTemporaryDir>();
        QVERIFY(PutStageRecord(PathOf(other->filePath(QStringLiteral("STAGE.DAT"))), 0, stageNamed("Bee")));
        {
            TRecovery ended(recoveryFolder(), PathOf(other->filePath(QStringLiteral("STAGE.DAT"))));
            ended.Keep(stageNamed("Bee, edited"), 0, 0, nullptr, {});
            ended.Finish();
        }
        openWindows();
        stages = std::make_unique<TfmStages>(window.get());
        window->SetStagesWindow(stages.get());
        QTRY_VERIFY_WITH_TIMEOUT(form().DXDraw->Initialized(), 60000);
        tool->udStageNum->setPosition(1);
        QTest::mouseClick(tool->btLoad, Qt::LeftButton);
        form().PushHistory();
        form().FGLayer->SetCell(5, 5, 40);
        drain();
    }
    void stop()
    {
        stages.reset();
        closeWindows();
        leaveFolder();
        other.reset();
    }
    // Copies kept for the stage file `file` by editors not running now.
    int recoveryCopiesOf(const QString& file) const
    {
        return static_cast<int>(TRecovery(recoveryFolder(), PathOf(file)).LeftCopies().size());
    }

private slots:
    void cleanup()
    {
        if (window)
            stop();
    }

    void openFolderStartsOverThereAsAtStartUp()
    {
        const struct {
            const char* Answer;  // to the question over unsaved work
            bool ByButton;       // the Stages window's button, else Ctrl+O
            bool Opened;
        } cases[] = {
            {"Discard", false, true},
            {"Save", true, true},
            {"Cancel", false, false},
        };
        for (const auto& c : cases) {
            start();
            const QString first = QDir::currentPath();
            const QString second = other->path();
            StageRecord edited;
            form().CaptureStage(edited);
            QString shownIn;
            AnswerFileDialog(second, [&](QFileDialog* dialog) { shownIn = dialog->directory().absolutePath(); });
            TQuestionAnswers answers;
            answers.Answer(QStringLiteral("UnsavedQuestion"), QString::fromLatin1(c.Answer));
            answers.Answer(QStringLiteral("RestoreQuestion"), QStringLiteral("Later"));
            if (c.ByButton) {
                stages->btOpenFolder->click();
            } else {
                window->activateWindow();
                QTRY_VERIFY(window->isActiveWindow());
                QTest::keyClick(window.get(), Qt::Key_O, Qt::ControlModifier);
            }
            drain();
            QCOMPARE(shownIn, first);  // the dialog starts in the folder in use
            QCOMPARE(answers.Asked.value(0),
                     QStringLiteral("UnsavedQuestion: Stage 01 (Alpha One) has changes that are not saved."));
            StageRecord saved{};
            ReadStageRecord(PathOf(first) / "Stage.Dat", 1, saved);
            QCOMPARE(RecordsEqual(saved, edited), QLatin1String(c.Answer) == QLatin1String("Save"));
            const QString in = c.Opened ? second : first;
            QCOMPARE(stages->windowTitle(), QStringLiteral("Stages - ") + in);
            QVERIFY(stages->stStatus->toolTip().endsWith(QLatin1Char('\n') + in));
            QCOMPARE(tool->OpenDialog1->directory().absolutePath(), in);
            QCOMPARE(tool->SaveDialog1->directory().absolutePath(), in);
            QVERIFY(window->DiskWatch().Watched().contains(in));
            QVERIFY(!window->DiskWatch().Watched().contains(c.Opened ? first : second));
            if (!c.Opened) {
                QCOMPARE(answers.Asked.size(), 1);
                QVERIFY(window->windowTitle().endsWith(QStringLiteral(" - Stage 01 (Alpha One)")));
                QVERIFY(form().Document.Unsaved());
                QCOMPARE(form().History.Count(), 1);
                stop();
                continue;
            }
            // As at start-up: stage 0 of the new file, no history, and the
            // copy left for that file offered (and kept for later here).
            QCOMPARE(answers.Asked.size(), 2);
            QVERIFY2(answers.Asked[1].startsWith(QStringLiteral("RestoreQuestion: Stage 00 of STAGE.DAT has unsaved")),
                     qPrintable(answers.Asked[1]));
            QVERIFY(window->windowTitle().endsWith(QStringLiteral(" - Stage 00 (Bee)")));
            QCOMPARE(tool->edStageNum->text(), QStringLiteral("0"));
            QCOMPARE(stages->Cells().CurrentStage(), 0);
            QCOMPARE(form().History.Count(), 0);
            QVERIFY(!tool->tbUndo->isEnabled());
            QVERIFY(!form().Document.Unsaved());
            form().Document.Recovery()->Finish();
            // The old folder's copy went with the answer; the left one stays.
            QCOMPARE(recoveryCopiesOf(first + QStringLiteral("/Stage.Dat")), 0);
            QCOMPARE(recoveryCopiesOf(second + QStringLiteral("/STAGE.DAT")), 1);
            stop();
        }
    }

    // The text map dialogs open in the game folder, not in the program's
    // own; Save T... names the map as unpack and pack do.
    void textMapDialogsOpenInTheGameFolder()
    {
        start();
        const QString game = QDir::currentPath();
        QVERIFY(QCoreApplication::applicationDirPath() != game);
        tool->udStageNum->setPosition(7);
        QString shownIn, named;
        AnswerFileDialog({}, [&](QFileDialog* dialog) {
            shownIn = dialog->directory().absolutePath();
            named = dialog->selectedFiles().value(0);
        });
        QTest::mouseClick(tool->btSaveFile, Qt::LeftButton);
        QCOMPARE(shownIn, game);
        QCOMPARE(named, game + QStringLiteral("/07.txt"));
        AnswerFileDialog({}, [&](QFileDialog* dialog) { shownIn = dialog->directory().absolutePath(); });
        QTest::mouseClick(tool->btLoadFile, Qt::LeftButton);
        QCOMPARE(shownIn, game);
    }
};

QTEST_MAIN(OpenFolderTest)
#include "OpenFolderTest.moc"
