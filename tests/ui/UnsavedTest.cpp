// What the windows show of unsaved work: the question boxes that stand
// before a close, an open from the Stages window, a Save that would replace
// another stage and a copy an ended editor left; the marks on the Save
// button and the current stage's cell; a recovery copy that cannot be kept,
// reported once. What each answer does is DocumentTest's.

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

class UnsavedTest : public TEditorWindowTest {
    Q_OBJECT

private:
    std::unique_ptr<TfmStages> stages;

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

    // A pencil click with the first wall brush, as the designer paints; the
    // marks catch up once the click's events are handled.
    void paint(int column, int row)
    {
        tool->ToolButton27->click();
        tool->PaletteButtons[14]->click();
        const QPoint at(column * 16 + 8, row * 16 + 8);
        QTest::mousePress(window->Display(), Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseRelease(window->Display(), Qt::LeftButton, Qt::NoModifier, at);
        drain();
    }

private slots:
    void cleanup()
    {
        if (window)
            stop();
    }

    // The window's close and Enter in the Stages window ask; Cancel keeps
    // the window and everything in it, a failing Save says so in its box,
    // and an opened stage takes the keys at once.
    void closingAndOpeningAskFirst()
    {
        start();
        QTest::keyClick(window.get(), Qt::Key_F4);
        paint(5, 5);
        stages->lvStages->setCurrentIndex(stages->Cells().index(1));
        {
            TQuestionAnswers answers;
            answers.Answer(QStringLiteral("UnsavedQuestion"), QStringLiteral("Cancel"));
            window->close();
            drain();
            QCOMPARE(answers.Asked, QStringList{QStringLiteral("UnsavedQuestion: Stage 00 (Training Ground) has "
                                                               "changes that are not saved.")});
            QVERIFY(window->isVisible());
            QCOMPARE(tool->edStageNum->text(), QStringLiteral("0"));
        }
        {
            QFile::remove(QStringLiteral("Stage.Dat"));
            QDir().mkdir(QStringLiteral("Stage.Dat"));  // Save fails
            TQuestionAnswers answers;
            answers.Answer(QStringLiteral("UnsavedQuestion"), QStringLiteral("Save"));
            answers.Answer(QStringLiteral("FailureMessage"), QStringLiteral("Escape"));
            QTest::keyClick(stages->lvStages, Qt::Key_Return);
            drain();
            QCOMPARE(answers.Asked.size(), 2);
            QCOMPARE(answers.Asked[1], QStringLiteral("FailureMessage: Cannot Save to File \"Stage.Dat\"!"));
            QCOMPARE(stages->Cells().CurrentStage(), 0);
            QDir().rmdir(QStringLiteral("Stage.Dat"));
            QVERIFY(PutStageRecord("Stage.Dat", 1, stageNamed("Desert Fort")));
        }
        TQuestionAnswers answers;
        answers.Answer(QStringLiteral("UnsavedQuestion"), QStringLiteral("Discard"));
        QTest::keyClick(stages->lvStages, Qt::Key_Return);
        drain();
        QCOMPARE(tool->edStageNum->text(), QStringLiteral("1"));
        QCOMPARE(stages->Cells().CurrentStage(), 1);
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(window.get()));
    }

    // The number box changed: Save asks in its box.
    void saveAsksBeforeReplacingAnotherStage()
    {
        start();
        paint(5, 5);
        tool->udStageNum->setPosition(1);
        TQuestionAnswers answers;
        answers.Answer(QStringLiteral("ReplaceQuestion"), QStringLiteral("Cancel"));
        QTest::mouseClick(tool->btSave, Qt::LeftButton);
        drain();
        QCOMPARE(answers.Asked, QStringList{QStringLiteral("ReplaceQuestion: Stage 01 in Stage.Dat is \"Desert "
                                                           "Fort\". Replace it with \"Training Ground\"?")});
    }

    // The marks follow the stage and leave every one of the game's texts alone.
    void theUnsavedMarksFollowTheStage()
    {
        start();
        QTest::keyClick(window.get(), Qt::Key_F4);
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
        drain();
        QVERIFY(!tool->UnsavedMark());
        QVERIFY(!stages->Cells().index(0).data(TStageCellModel::UnsavedRole).toBool());
        // The option dialog left with OK and no change is no change.
        QTimer::singleShot(0, [] {
            if (auto* dialog = qobject_cast<TfmOption*>(QApplication::activeModalWidget()))
                dialog->BitBtn1->click();
        });
        QTest::mouseClick(tool->btOption, Qt::LeftButton);
        drain();
        QVERIFY(tool->tbUndo->isEnabled());  // a step was recorded all the same
        QVERIFY(!tool->UnsavedMark());
    }

    // A copy an ended editor left is offered once the display runs.
    void aCopyLeftByAnEndedEditorIsOffered()
    {
        enterStageFolder();
        StageRecord recovered = stageNamed("Desert Fort, edited");
        recovered.FG[7][7] = 40;
        {
            TRecovery ended(recoveryFolder(), std::filesystem::current_path() / "Stage.Dat");
            ended.Keep(recovered, 1, 1, nullptr, {});
            ended.Finish();
        }  // ended without closing, as a killed editor does
        TQuestionAnswers answers;
        answers.Answer(QStringLiteral("RestoreQuestion"), QStringLiteral("Restore"));
        openWindows();
        QTRY_COMPARE_WITH_TIMEOUT(answers.Asked.size(), 1, 60000);
        drain();
        QVERIFY2(answers.Asked[0].startsWith(QStringLiteral("RestoreQuestion: Stage 01 of Stage.Dat has unsaved "
                                                            "changes from "))
                     && answers.Asked[0].endsWith(QStringLiteral(". Restore them?")),
                 qPrintable(answers.Asked[0]));
        QVERIFY(window->windowTitle().endsWith(QStringLiteral(" - Stage 01 (Desert Fort, edited)")));
        QCOMPARE(tool->edStageNum->text(), QStringLiteral("1"));
        QVERIFY(tool->UnsavedMark());
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
        paint(6, 5);
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
