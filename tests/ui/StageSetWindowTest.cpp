// Putting the stages in order in the Stages window, through real events:
// selection, keys, the context menu, drag and drop, the clipboard as text
// maps, undo and redo, and the questions before work could be lost. The
// live stage follows its record.

#include "editor/Main.h"
#include "storage/StageFile.h"
#include "storage/TextMap.h"
#include "support/EditorWindowTest.h"
#include "support/StageFileKit.h"
#include "ui/BetweenFrames.h"
#include "ui/StageCells.h"
#include "ui/StageSetActions.h"
#include "ui/StageThumbnails.h"
#include "ui/StagesFm.h"
#include "ui/UpDown.h"

#include <QAction>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>
#include <QtTest>

#include <memory>
#include <sstream>

namespace {

// A stage named by one letter, drawn so that each looks different.
StageRecord Named(char name)
{
    StageRecord record;
    EmptyStage(record);
    record.Caption.Assign(std::string(1, name));
    record.FG[name % 40][5] = 40;
    return record;
}

}  // namespace

class StageSetWindowTest : public TEditorWindowTest {
    Q_OBJECT

private:
    std::unique_ptr<TfmStages> stages;

    // The file's stages by their letters, '.' for an empty one.
    static QString FileNames()
    {
        QString names;
        for (const StageRecord& record : ReadStageRecords("Stage.Dat", 100).Records)
            names += IsEmptyRecord(record) ? QLatin1Char('.') : QLatin1Char(record.Caption.Chars[0]);
        return names;
    }

    void select(const std::vector<int>& numbers)
    {
        stages->lvStages->setCurrentIndex(stages->Cells().index(numbers.front()));
        stages->SelectStagesNumbered(numbers);
    }

    // Runs steps separated by ";": "select 1 2" (stages), "key Ctrl+C",
    // "menu Swap" (the context menu's item), "move N" (the selection to N),
    // "answer Box Button" (for the questions from then on), "put N X"
    // (another program saves stage X at N), "paint" (the live stage).
    void run(const QString& steps, TQuestionAnswers& answers)
    {
        for (const QString& step : steps.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QStringList words = step.simplified().split(QLatin1Char(' '));
            const QString& verb = words[0];
            if (verb == QStringLiteral("select")) {
                std::vector<int> numbers;
                for (qsizetype i = 1; i < words.size(); ++i)
                    numbers.push_back(words[i].toInt());
                select(numbers);
            } else if (verb == QStringLiteral("key")) {
                const QKeySequence sequence(words[1]);
                QTest::keyClick(stages->lvStages, sequence[0].key(), sequence[0].keyboardModifiers());
            } else if (verb == QStringLiteral("menu")) {
                stages->Actions().UpdateActions();
                QAction* item = nullptr;
                for (QAction* each : stages->Actions().Menu()->actions())
                    if (!item && each->text().startsWith(words.mid(1).join(QLatin1Char(' '))))
                        item = each;
                QVERIFY2(item && item->isEnabled(), qPrintable(step));
                item->trigger();
            } else if (verb == QStringLiteral("move")) {
                stages->Actions().MoveSelection(words[1].toInt());
            } else if (verb == QStringLiteral("answer")) {
                answers.Answer(words[1], words.mid(2).join(QLatin1Char(' ')));
            } else if (verb == QStringLiteral("put")) {
                QVERIFY(PutStageRecord("Stage.Dat", words[1].toInt(), Named(words[2].at(0).toLatin1())));
            } else if (verb == QStringLiteral("paint")) {
                form().PushHistory();
                form().FGLayer->SetCell(3, 3, 41);
            }
            drain();
        }
    }

private slots:
    // Stages A B C D; the live stage is B (1), the Stages window open.
    void init()
    {
        enterFolder();
        for (const char name : {'A', 'B', 'C', 'D'})
            QVERIFY(PutStageRecord("Stage.Dat", name - 'A', Named(name)));
        openWindows();
        stages = std::make_unique<TfmStages>(window.get());
        window->SetStagesWindow(stages.get());
        tool->udStageNum->setPosition(1);
        form().LoadStage();
        QTest::keyClick(window.get(), Qt::Key_F4);
        for (int i = 0; i < 10000 && stages->Work().Running(); ++i)
            QCoreApplication::processEvents();
        stages->activateWindow();
        stages->lvStages->setFocus();
    }

    void cleanup()
    {
        stages.reset();
        closeWindows();
        leaveFolder();
    }

    void eachOperationByItsKeyOrMenuItem()
    {
        const struct {
            const char* Steps;
            const char* File;
            int Live;           // the live stage's number after
            const char* Asked;  // the questions' names, in order
        } cases[] = {
            {"select 2; key Ins", "AB.CD", 1, ""},
            {"select 0; key Ins", ".ABCD", 2, ""},
            {"select 2 3; answer ClearQuestion Clear; key Del", "AB..", 1, "ClearQuestion"},
            {"select 2; answer ClearQuestion Cancel; key Del", "ABCD", 1, "ClearQuestion"},
            {"select 0 2; menu Swap", "CBAD", 1, ""},
            {"select 0; answer DeleteQuestion Delete; menu Delete", "BCD.", 0, "DeleteQuestion"},
            {"select 0 1; move 2", "CDAB", 3, ""},
            {"select 1; move 3", "ACDB", 3, ""},
            {"select 1; move 3; key Ctrl+Z", "ABCD", 1, ""},
            {"select 1; move 3; key Ctrl+Z; key Ctrl+Y", "ACDB", 3, ""},
            {"select 1; move 3; key Ctrl+Z; key Ctrl+Shift+Z", "ACDB", 3, ""},
            {"select 0 2; key Ctrl+C; select 3; answer ReplaceStagesQuestion Replace; key Ctrl+V", "ABCAC", 1,
             "ReplaceStagesQuestion"},
            {"select 0; key Ctrl+C; select 3; answer ReplaceStagesQuestion Cancel; key Ctrl+V", "ABCD", 1,
             "ReplaceStagesQuestion"},
            {"select 0; key Ctrl+C; select 5; key Ctrl+V", "ABCD.A", 1, ""},
            // What was copied is pasted, whatever its stage holds since.
            {"select 0; key Ctrl+C; select 0 2; menu Swap; select 3; answer ReplaceStagesQuestion Replace; key Ctrl+V",
             "CBAA", 1, "ReplaceStagesQuestion"},
            // The live stage's record is replaced: loaded again, or asked first while it is unsaved.
            {"select 0; key Ctrl+C; select 1; answer ReplaceStagesQuestion Replace; key Ctrl+V", "AACD", 1,
             "ReplaceStagesQuestion"},
            {"paint; select 1; answer ClearQuestion Clear; answer ReplacesUnsavedQuestion Cancel; key Del", "ABCD", 1,
             "ClearQuestion ReplacesUnsavedQuestion"},
            {"paint; select 1; answer ClearQuestion Clear; answer ReplacesUnsavedQuestion Discard; key Del", "A.CD", 1,
             "ClearQuestion ReplacesUnsavedQuestion"},
            // Undo refuses to overwrite what another program wrote since.
            {"select 1; move 3; put 2 X; answer Notice OK; key Ctrl+Z", "ACXB", 3, "Notice"},
        };
        for (const auto& c : cases) {
            TQuestionAnswers answers;
            run(QString::fromLatin1(c.Steps), answers);
            QString asked;
            for (const QString& question : answers.Asked)
                asked += (asked.isEmpty() ? QString() : QStringLiteral(" ")) + question.section(QLatin1Char(':'), 0, 0);
            QCOMPARE(FileNames(), QString::fromLatin1(c.File));
            QCOMPARE(asked, QString::fromLatin1(c.Asked));
            QCOMPARE(int(form().Document.StageNum()), c.Live);
            cleanup();
            init();
        }
    }

    // The live stage goes with its record: title, number, the cell's marks;
    // thumbnails only change places, none is made again.
    void theLiveStageFollowsAndThumbnailsOnlyMove()
    {
        TQuestionAnswers answers;
        run(QStringLiteral("paint"), answers);
        drain();
        QSignalSpy made(stages.get(), &TfmStages::ThumbnailMade);
        const QImage b = stages->Cells().index(1).data(TStageCellModel::ThumbnailRole).value<QImage>();
        run(QStringLiteral("select 1; move 3"), answers);
        QVERIFY(window->windowTitle().endsWith(QStringLiteral("Stage 03 (B)")));
        QCOMPARE(tool->edStageNum->text(), QStringLiteral("3"));
        QVERIFY(stages->Cells().index(3).data(TStageCellModel::CurrentRole).toBool());
        QVERIFY(stages->Cells().index(3).data(TStageCellModel::UnsavedRole).toBool());
        QVERIFY(form().Document.Unsaved());
        QCOMPARE(stages->Thumbnails().StaleCount(), 0);
        QCOMPARE(made.count(), 0);
        QCOMPARE(stages->Cells().index(3).data(TStageCellModel::ThumbnailRole).value<QImage>(), b);
        QVERIFY(stages->stStatus->text().startsWith(QStringLiteral("Moved 01 to 03")));
        // The next Save writes where the stage now lives, asking nothing.
        QVERIFY(form().Document.Save());
        QVERIFY(answers.Asked.isEmpty());
        QCOMPARE(FileNames(), QStringLiteral("ACDB"));
    }

    // A drop within the window moves (Ctrl: copies); a drop from another
    // editor, or of text maps from a text editor, is pasted.
    void dropsMoveCopyOrPaste()
    {
        auto drop = [this](int target, QMimeData* mime, Qt::KeyboardModifiers modifiers) {
            QWidget* viewport = stages->lvStages->viewport();
            const QPointF at = stages->lvStages->visualRect(stages->Cells().index(target)).center();
            QDragEnterEvent enter(at.toPoint(), Qt::CopyAction | Qt::MoveAction, mime, Qt::LeftButton, modifiers);
            QCoreApplication::sendEvent(viewport, &enter);
            QDragMoveEvent move(at.toPoint(), Qt::CopyAction | Qt::MoveAction, mime, Qt::LeftButton, modifiers);
            QCoreApplication::sendEvent(viewport, &move);
            QVERIFY(move.isAccepted());
            QDropEvent dropped(at, Qt::CopyAction | Qt::MoveAction, mime, Qt::LeftButton, modifiers);
            QCoreApplication::sendEvent(viewport, &dropped);
            drain();
            delete mime;
        };
        TQuestionAnswers answers;
        answers.Answer(QStringLiteral("ReplaceStagesQuestion"), QStringLiteral("Replace"));
        select({0});
        drop(2, stages->Actions().SelectionMimeData(), Qt::NoModifier);
        QCOMPARE(FileNames(), QStringLiteral("BCAD"));
        select({2});
        drop(3, stages->Actions().SelectionMimeData(), Qt::ControlModifier);
        QCOMPARE(FileNames(), QStringLiteral("BCAA"));

        // Text maps as a text editor holds them: one after another, any numbers.
        auto* text = new QMimeData;
        text->setText(QString::fromLatin1(WriteTextMap(Named('X'), 42) + "\r\n" + WriteTextMap(Named('Y'), 7)));
        drop(1, text, Qt::NoModifier);
        QCOMPARE(FileNames(), QStringLiteral("BXYA"));
        QCOMPARE(answers.Asked.size(), 2);  // the copy over D, then the text maps
        QCOMPARE(answers.Asked.last(), QStringLiteral("ReplaceStagesQuestion: This replaces 2 stages that are not "
                                                      "empty: 01 \"C\", 02 \"A\". Replace them?"));
    }

    // Copied stages are text on the clipboard, the text maps one after another.
    void theClipboardHoldsTheTextMaps()
    {
        TQuestionAnswers answers;
        run(QStringLiteral("select 1 3; key Ctrl+C"), answers);
        QCOMPARE(QApplication::clipboard()->text(),
                 QString::fromLatin1(WriteTextMap(Named('B'), 1) + WriteTextMap(Named('D'), 3)));
        QVERIFY(stages->stStatus->text().startsWith(QStringLiteral("Copied 2 stages")));
    }
};

QTEST_MAIN(StageSetWindowTest)
#include "StageSetWindowTest.moc"
