// A designer's work is never lost or overwritten without a question: closing,
// Load and opening a stage from the Stages window ask first, Save asks before
// replacing another stage, the unsaved marks follow the stage, and a copy
// left by an editor that ended is offered at the next start.

#include "storage/StageFile.h"
#include "support/EditorWindowTest.h"
#include "support/StageFileKit.h"
#include "ui/DisplayWidget.h"
#include "ui/OptionFm.h"
#include "ui/StageCells.h"
#include "ui/StagesFm.h"
#include "ui/UpDown.h"

#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

#include <filesystem>
#include <memory>

namespace {

StageRecord FileRecord(int number)
{
    StageRecord record{};
    ReadStageRecord("Stage.Dat", number, record);
    return record;
}

}  // namespace

class UnsavedTest : public TEditorWindowTest {
    Q_OBJECT

private:
    std::unique_ptr<TfmStages> stages;
    StageRecord edited{};

    // A new folder whose stage file holds 0 and 1.
    void enterStageFolder()
    {
        enterFolder();
        QVERIFY(PutStageRecord("Stage.Dat", 0, stageNamed("Training Ground")));
        QVERIFY(PutStageRecord("Stage.Dat", 1, stageNamed("Desert Fort")));
    }
    // The editor started there.
    void start()
    {
        enterStageFolder();
        openWindows();
        stages = std::make_unique<TfmStages>(window.get());
        window->SetStagesWindow(stages.get());
        QTRY_VERIFY_WITH_TIMEOUT(form().DXDraw->Initialized(), 60000);
    }
    void stop()
    {
        stages.reset();
        closeWindows();
        leaveFolder();
    }

    // A pencil click with the first wall brush, as the designer paints, and
    // the record Save would then write; the marks catch up.
    void paint(int column, int row)
    {
        tool->ToolButton27->click();
        tool->PaletteButtons[14]->click();
        const QPoint at(column * 16 + 8, row * 16 + 8);
        QTest::mousePress(window->Display(), Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseRelease(window->Display(), Qt::LeftButton, Qt::NoModifier, at);
        form().CaptureStage(edited);
        window->RefreshUnsaved();
    }
    StageRecord live()
    {
        StageRecord record;
        form().CaptureStage(record);
        return record;
    }
    int recoveryCopies() const
    {
        int copies = 0;
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(recoveryFolder(), error))
            copies += entry.path().extension() == ".recovery";
        return copies;
    }

private slots:
    void cleanup()
    {
        if (window)
            stop();
    }

    // Closing, Load, and opening stage 01 from the Stages window, each with
    // every answer to the question.
    void closingLoadingAndOpeningAskFirst()
    {
        const struct {
            const char* Answer;  // a button's caption, or "Escape"
            bool FailingSave;    // a folder took the stage file's name, so Save fails
            bool GoesOn;         // the close, load or open happens
            bool Saved;          // the file holds the edit afterwards
        } cases[] = {
            {"Save", false, true, true},     {"Discard", false, true, false}, {"Cancel", false, false, false},
            {"Escape", false, false, false}, {"Save", true, false, false},
        };
        enum TAction { Close, Load, Open };
        for (const TAction action : {Close, Load, Open})
            for (const auto& c : cases) {
                start();
                QTest::keyClick(window.get(), Qt::Key_F4);
                paint(5, 5);
                stages->lvStages->setCurrentIndex(stages->Cells().index(1));
                if (c.FailingSave) {
                    QFile::remove(QStringLiteral("Stage.Dat"));
                    QDir().mkdir(QStringLiteral("Stage.Dat"));
                }
                TQuestionAnswers answers;
                answers.Answer(QStringLiteral("UnsavedQuestion"), QString::fromLatin1(c.Answer));
                answers.Answer(QStringLiteral("FailureMessage"), QStringLiteral("Escape"));
                if (action == Close)
                    window->close();
                else if (action == Load)
                    QTest::mouseClick(tool->btLoad, Qt::LeftButton);
                else
                    QTest::keyClick(stages->lvStages, Qt::Key_Return);
                drain();
                QStringList asked{
                    QStringLiteral("UnsavedQuestion: Stage 00 (Training Ground) has changes that are "
                                   "not saved.")};
                if (c.FailingSave)
                    asked.append(QStringLiteral("FailureMessage: Cannot Save to File \"Stage.Dat\"!"));
                QCOMPARE(answers.Asked, asked);
                if (!c.FailingSave)
                    QCOMPARE(RecordsEqual(FileRecord(0), edited), c.Saved);
                // Cancel changes nothing, not even the number or the marks.
                const int number = c.GoesOn && action == Open ? 1 : 0;
                QCOMPARE(int(form().StageNum), number);
                QCOMPARE(tool->edStageNum->text(), QString::number(number));
                QCOMPARE(stages->Cells().CurrentStage(), number);
                if (action == Close)
                    QCOMPARE(window->isVisible(), !c.GoesOn);
                const bool loaded = c.GoesOn && action != Close;
                QCOMPARE(RecordsEqual(live(), edited), !loaded || (action == Load && c.Saved));
                if (loaded)
                    QVERIFY(RecordsEqual(live(), FileRecord(number)));
                if (loaded && action == Open)  // the keys act on the opened stage at once
                    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(window.get()));
                stop();
            }
    }

    // The number box changed: Save asks; Cancel leaves the file alone.
    void saveAsksBeforeReplacingAnotherStage()
    {
        start();
        paint(5, 5);
        tool->udStageNum->setPosition(1);
        for (const char* answer : {"Cancel", "Replace"}) {
            TQuestionAnswers answers;
            answers.Answer(QStringLiteral("ReplaceQuestion"), QString::fromLatin1(answer));
            QTest::mouseClick(tool->btSave, Qt::LeftButton);
            drain();
            QCOMPARE(answers.Asked, QStringList{QStringLiteral("ReplaceQuestion: Stage 01 in Stage.Dat is \"Desert "
                                                               "Fort\". Replace it with \"Training Ground\"?")});
            QCOMPARE(RecordsEqual(FileRecord(1), edited), QLatin1String(answer) == QLatin1String("Replace"));
        }
        QVERIFY(!form().StageUnsaved());
    }

    // The marks follow the stage and leave every specified text alone.
    void theUnsavedMarksFollowTheStage()
    {
        start();
        QTest::keyClick(window.get(), Qt::Key_F4);
        window->RefreshUnsaved();
        const QString title = window->windowTitle();
        QVERIFY(!tool->UnsavedMark());
        paint(5, 5);
        QVERIFY(tool->UnsavedMark());
        QVERIFY(stages->Cells().index(0).data(TStageCellModel::UnsavedRole).toBool());
        QVERIFY(!stages->Cells().index(1).data(TStageCellModel::UnsavedRole).toBool());
        QVERIFY(stages->Cells().index(0).data(Qt::ToolTipRole).toString().contains(QStringLiteral("unsaved")));
        QCOMPARE(tool->btSave->text(), QStringLiteral("Save"));
        QCOMPARE(tool->btSave->toolTip(), QStringLiteral("Save this stage to STAGE.DAT"));
        QCOMPARE(window->windowTitle(), title);
        QTest::keyClick(window.get(), Qt::Key_Z, Qt::ControlModifier);
        window->RefreshUnsaved();
        QVERIFY(!tool->UnsavedMark());
        QVERIFY(!stages->Cells().index(0).data(TStageCellModel::UnsavedRole).toBool());
        // The option dialog left with OK and no change is no change.
        QTimer::singleShot(0, [] {
            if (auto* dialog = qobject_cast<TfmOption*>(QApplication::activeModalWidget()))
                dialog->BitBtn1->click();
        });
        QTest::mouseClick(tool->btOption, Qt::LeftButton);
        window->RefreshUnsaved();
        QVERIFY(tool->tbUndo->isEnabled());  // a step was recorded all the same
        QVERIFY(!tool->UnsavedMark());
    }

    // While the stage is unsaved a copy is kept; a normal close takes it
    // away. A copy an ended editor left is offered at the next start.
    void aCopyLeftByAnEndedEditorIsOffered()
    {
        start();
        QCOMPARE(recoveryCopies(), 0);
        paint(5, 5);
        form().Recovery->Finish();
        QCOMPARE(recoveryCopies(), 1);
        stages.reset();
        closeWindows();
        QCOMPARE(recoveryCopies(), 0);
        leaveFolder();

        const struct {
            const char* Answer;
            bool Restored;
            int CopiesAfter;  // left ones, or this editor's own
        } cases[] = {{"Restore", true, 1}, {"Discard", false, 0}, {"Later", false, 1}};
        for (const auto& c : cases) {
            enterStageFolder();
            StageRecord recovered = stageNamed("Desert Fort, edited");
            recovered.FG[7][7] = 40;
            {
                TRecovery ended(recoveryFolder(), std::filesystem::current_path() / "Stage.Dat");
                ended.Keep(recovered, 1, 1, nullptr, {});
                ended.Finish();
            }  // ended without closing, as a killed editor does
            TQuestionAnswers answers;
            answers.Answer(QStringLiteral("RestoreQuestion"), QString::fromLatin1(c.Answer));
            openWindows();
            QTRY_COMPARE_WITH_TIMEOUT(answers.Asked.size(), 1, 60000);
            drain();
            QVERIFY2(answers.Asked[0].startsWith(QStringLiteral("RestoreQuestion: Stage 01 of Stage.Dat has unsaved "
                                                                "changes from "))
                         && answers.Asked[0].endsWith(QStringLiteral(". Restore them?")),
                     qPrintable(answers.Asked[0]));
            QCOMPARE(RecordsEqual(live(), recovered), c.Restored);
            QCOMPARE(int(form().StageNum), c.Restored ? 1 : 0);
            QCOMPARE(form().StageUnsaved(), c.Restored);
            QCOMPARE(tool->UnsavedMark(), c.Restored);
            if (c.Restored)
                QVERIFY(window->windowTitle().endsWith(QStringLiteral(" - Stage 01 (Desert Fort, edited)")));
            form().Recovery->Finish();
            QCOMPARE(recoveryCopies(), c.CopiesAfter);
            closeWindows();
            leaveFolder();
        }
    }

    void aCopyThatCannotBeKeptIsReportedOnceAndEditingGoesOn()
    {
        enterStageFolder();
        QFile blocker(stateFolder->filePath(QString::fromLatin1(RecoveryProgramName)));
        QVERIFY(blocker.open(QIODevice::WriteOnly));  // a file where the folder must go
        blocker.close();
        TQuestionAnswers answers;
        answers.Answer(QStringLiteral("ErrorReport"), QStringLiteral("OK"));
        openWindows();
        paint(5, 5);
        drain();
        paint(6, 5);
        drain();
        QCOMPARE(answers.Asked.size(), 1);
        QVERIFY2(answers.Asked[0].contains(QStringLiteral("Cannot keep a recovery copy")),
                 qPrintable(answers.Asked[0]));
        QCOMPARE(form().FGLayer->Cell(7, 6), 40);
        closeWindows();
        leaveFolder();
    }
};

QTEST_MAIN(UnsavedTest)
#include "UnsavedTest.moc"
