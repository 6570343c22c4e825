// A designer's work is never lost or overwritten without a question: closing,
// Load and opening a stage from the Stages window ask first, Save asks before
// replacing another stage, the unsaved marks follow the stage, and a copy
// left by an editor that ended is offered at the next start.

#include "editor/Main.h"
#include "editor/Recovery.h"
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

#include <cstring>
#include <filesystem>
#include <memory>

namespace {

StageRecord Stage(const char* caption)
{
    StageRecord record;
    EmptyStage(record);
    record.Caption.Assign(caption);
    record.BG[2][2] = 1;  // animated ground
    record.FG[30][5] = 61;
    return record;
}

bool Same(const StageRecord& a, const StageRecord& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

StageRecord FileRecord(int number)
{
    StageRecord record{};
    ReadStageRecord("Stage.Dat", number, record);
    return record;
}

void Drain()
{
    for (int i = 0; i < 10; ++i)
        QCoreApplication::processEvents();
}

// One answer to the question over unsaved work, and what must follow.
struct TAnswerCase {
    const char* Answer;  // a button's caption, or "Escape"
    bool FailingSave;    // a folder took the stage file's name, so Save fails
    bool GoesOn;         // the close, load or open happens
    bool Saved;          // the file holds the edit afterwards
};

const TAnswerCase AnswerCases[] = {
    {"Save", false, true, true},     {"Discard", false, true, false}, {"Cancel", false, false, false},
    {"Escape", false, false, false}, {"Save", true, false, false},
};

}  // namespace

class UnsavedTest : public TEditorWindowTest {
    Q_OBJECT

private:
    std::unique_ptr<TfmStages> stages;
    StageRecord edited{};

    // The editor started in a new folder whose stage file holds 0 and 1.
    void start()
    {
        enterFolder();
        QVERIFY(PutStageRecord("Stage.Dat", 0, Stage("Training Ground")));
        QVERIFY(PutStageRecord("Stage.Dat", 1, Stage("Desert Fort")));
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
    // Runs `action` with the question answered as the case says; the
    // failure message, if any, is answered too.
    QStringList answered(const TAnswerCase& c, const std::function<void()>& action)
    {
        if (c.FailingSave) {
            QFile::remove(QStringLiteral("Stage.Dat"));
            QDir().mkdir(QStringLiteral("Stage.Dat"));
        }
        TQuestionAnswers answers;
        answers.Answer(QStringLiteral("UnsavedQuestion"), QString::fromLatin1(c.Answer));
        answers.Answer(QStringLiteral("FailureMessage"), QStringLiteral("Escape"));
        action();
        Drain();
        return answers.Asked;
    }
    QStringList expectedQuestions(const TAnswerCase& c, const char* stage)
    {
        QStringList asked{QStringLiteral("UnsavedQuestion: %1 has changes that are not saved.").arg(stage)};
        if (c.FailingSave)
            asked.append(QStringLiteral("FailureMessage: Cannot Save to File \"Stage.Dat\"!"));
        return asked;
    }
    std::filesystem::path recoveryFolder() const
    {
        return std::filesystem::path(stateFolder->path().toStdString()) / RecoveryProgramName;
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
        enum TAction { Close, Load, Open };
        for (const TAction action : {Close, Load, Open})
            for (const TAnswerCase& c : AnswerCases) {
                start();
                QTest::keyClick(window.get(), Qt::Key_F4);
                paint(5, 5);
                stages->lvStages->setCurrentIndex(stages->Cells().index(1));
                const QStringList asked = answered(c, [&] {
                    if (action == Close)
                        window->close();
                    else if (action == Load)
                        QTest::mouseClick(tool->btLoad, Qt::LeftButton);
                    else
                        QTest::keyClick(stages->lvStages, Qt::Key_Return);
                });
                QCOMPARE(asked, expectedQuestions(c, "Stage 00 (Training Ground)"));
                if (!c.FailingSave)
                    QCOMPARE(Same(FileRecord(0), edited), c.Saved);
                // Cancel changes nothing, not even the number or the marks.
                const int number = c.GoesOn && action == Open ? 1 : 0;
                QCOMPARE(int(form().StageNum), number);
                QCOMPARE(tool->edStageNum->text(), QString::number(number));
                QCOMPARE(stages->Cells().CurrentStage(), number);
                if (action == Close)
                    QCOMPARE(window->isVisible(), !c.GoesOn);
                const bool loaded = c.GoesOn && action != Close;
                QCOMPARE(Same(live(), edited), !loaded || (action == Load && c.Saved));
                if (loaded)
                    QVERIFY(Same(live(), FileRecord(number)));
                if (loaded && action == Open)  // the keys act on the opened stage at once
                    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(window.get()));
                stop();
            }
    }

    void saveAsksBeforeReplacingAnotherStage()
    {
        start();
        paint(5, 5);
        tool->udStageNum->setPosition(1);
        for (const char* answer : {"Cancel", "Replace"}) {
            TQuestionAnswers answers;
            answers.Answer(QStringLiteral("ReplaceQuestion"), QString::fromLatin1(answer));
            QTest::mouseClick(tool->btSave, Qt::LeftButton);
            Drain();
            QCOMPARE(answers.Asked, QStringList{QStringLiteral("ReplaceQuestion: Stage 01 in Stage.Dat is \"Desert "
                                                               "Fort\". Replace it with \"Training Ground\"?")});
            QCOMPARE(Same(FileRecord(1), edited), std::strcmp(answer, "Replace") == 0);
        }
        QVERIFY(!form().StageUnsaved());
        // Saved there, the stage comes from there: the next save asks nothing.
        paint(6, 5);
        TQuestionAnswers answers;
        answers.Answer(QStringLiteral("ReplaceQuestion"), QStringLiteral("Cancel"));
        QTest::mouseClick(tool->btSave, Qt::LeftButton);
        QVERIFY(answers.Asked.isEmpty());
        QVERIFY(Same(FileRecord(1), edited));
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
            enterFolder();
            QVERIFY(PutStageRecord("Stage.Dat", 0, Stage("Training Ground")));
            QVERIFY(PutStageRecord("Stage.Dat", 1, Stage("Desert Fort")));
            StageRecord recovered = Stage("Desert Fort, edited");
            recovered.FG[7][7] = 40;
            {
                TRecovery ended(recoveryFolder(), std::filesystem::current_path() / "Stage.Dat");
                ended.Keep(recovered, 1, {});
                ended.Finish();
            }  // ended without closing, as a killed editor does
            TQuestionAnswers answers;
            answers.Answer(QStringLiteral("RestoreQuestion"), QString::fromLatin1(c.Answer));
            openWindows();
            QTRY_COMPARE_WITH_TIMEOUT(answers.Asked.size(), 1, 60000);
            Drain();
            QVERIFY2(answers.Asked[0].startsWith(QStringLiteral("RestoreQuestion: Stage 01 of Stage.Dat has unsaved "
                                                                "changes from ")),
                     qPrintable(answers.Asked[0]));
            QVERIFY(answers.Asked[0].endsWith(QStringLiteral(". Restore them?")));
            QCOMPARE(Same(live(), recovered), c.Restored);
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
        enterFolder();
        QVERIFY(PutStageRecord("Stage.Dat", 0, Stage("Training Ground")));
        QFile blocker(stateFolder->filePath(QString::fromLatin1(RecoveryProgramName)));
        QVERIFY(blocker.open(QIODevice::WriteOnly));  // a file where the folder must go
        blocker.close();
        TQuestionAnswers answers;
        answers.Answer(QStringLiteral("ErrorReport"), QStringLiteral("OK"));
        openWindows();
        paint(5, 5);
        Drain();
        paint(6, 5);
        Drain();
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
