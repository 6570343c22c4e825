// The main window and the tool window driven through real events: mouse on
// the display, keys on the main window, clicks on the tool window's buttons,
// with the dialogs and message boxes answered by the test.

#include "editor/Main.h"
#include "engine/DXDraws.h"
#include "storage/StageFile.h"
#include "support/EditorWindowTest.h"
#include "support/StageFileKit.h"
#include "ui/DisplayWidget.h"
#include "ui/MainWindow.h"
#include "ui/OptionFm.h"
#include "ui/ToolBarFm.h"
#include "ui/UpDown.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <sys/resource.h>
#include <sys/stat.h>
#include <csignal>
#include <functional>
#include <memory>
#include <utility>

namespace {

// Answers the next modal window once it is up: the handler gets it.
void AnswerNextModal(std::function<void(QWidget*)> handler)
{
    QTimer::singleShot(0, [handler] {
        if (QWidget* modal = QApplication::activeModalWidget())
            handler(modal);
        else
            AnswerNextModal(handler);
    });
}

// Answers the next message box, recording its title and text.
void AnswerMessageBox(QString* title, QString* text)
{
    AnswerNextModal([title, text](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        QVERIFY(box);
        *title = box->windowTitle();
        *text = box->text();
        box->button(QMessageBox::Ok) ? box->button(QMessageBox::Ok)->click() : box->accept();
    });
}

// Answers the next file dialog with `path`; with `title` and `text`, also
// the message box that follows it, recording its title and text.
void AnswerFileDialog(const QString& path, QString* title = nullptr, QString* text = nullptr)
{
    AnswerNextModal([path, title, text](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        QVERIFY(dialog);
        if (title && text)
            AnswerMessageBox(title, text);
        dialog->selectFile(path);
        static_cast<QDialog*>(dialog)->accept();  // the file dialog's own checks run
    });
}

void SendMouse(QWidget* widget, QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons held, QPoint at,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QMouseEvent event(type, QPointF(at), widget->mapToGlobal(QPointF(at)), button, held, modifiers);
    QApplication::sendEvent(widget, &event);
}

QPoint CellCentre(int column, int row)
{
    return {column * 16 + 8, row * 16 + 8};
}

// Runs the event loop until nothing is left to do now: queued calls and
// zero-time timers, and the modal loops they open, have all run.
void DrainEvents()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

// Watches for the application's error report: each box is answered as it
// opens, with its text and the stage's caption at that moment recorded.
class TErrorReports : public QObject {
public:
    explicit TErrorReports(std::function<std::string()> caption) : FCaption(std::move(caption))
    {
        qApp->installEventFilter(this);
    }
    ~TErrorReports() override { qApp->removeEventFilter(this); }

    QStringList Texts;
    std::vector<std::string> CaptionsWhenShown;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* box = qobject_cast<QMessageBox*>(watched);
        if (box && event->type() == QEvent::Show && box->objectName() == QStringLiteral("ErrorReport")) {
            Texts.append(box->text());
            CaptionsWhenShown.push_back(FCaption());
            QMetaObject::invokeMethod(box, &QMessageBox::accept, Qt::QueuedConnection);
        }
        return false;
    }

private:
    std::function<std::string()> FCaption;
};

// A file under "Map" that only starts like a bitmap.
void WriteDamagedPicture(const QString& name)
{
    QDir().mkpath(QStringLiteral("Map"));
    QFile file(QStringLiteral("Map/") + name);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("BM") + QByteArray(200, 'x'));
}

bool SameRecord(const StageRecord& a, const StageRecord& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace

class MainWindowTest : public TEditorWindowTest {
    Q_OBJECT

private:
    TDisplayWidget* display() { return window->Display(); }

    void paintStroke(std::initializer_list<QPoint> points)
    {
        auto it = points.begin();
        SendMouse(display(), QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, *it);
        for (++it; it != points.end(); ++it)
            SendMouse(display(), QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, *it);
        SendMouse(display(), QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, *(points.end() - 1));
    }

    // The editor started again in the same folder, as a designer restarts it.
    void reopen()
    {
        closeWindows();
        openWindows();
        QTRY_VERIFY_WITH_TIMEOUT(form().DXDraw->Initialized(), 60000);
    }

    std::string caption() { return form().Caption.Str(); }

private slots:
    void init()
    {
        enterFolder();
        openWindows();
    }

    void cleanup()
    {
        closeWindows();
        leaveFolder();
    }

    void startsWithARandomStageAndTheToolWindowInItsInitialState()
    {
        QCOMPARE(window->windowTitle().left(38),
                 QString::fromUtf8("铁履纵横 地图编辑器 - Stage 00 (Random Stage)").left(38));
        QVERIFY(window->windowTitle().endsWith(QStringLiteral("(Random Stage)")));
        QVERIFY(QRegularExpression(QStringLiteral("^&EC=\\d\\d+$")).match(tool->btOption->text()).hasMatch());
        QVERIFY(tool->isVisible());
        QCOMPARE(tool->windowTitle(), QStringLiteral("Tool"));
        QCOMPARE(tool->pos(), QPoint(13, 10));
        QCOMPARE(form().ToolMode, TToolMode::Select);
        QCOMPARE(int(form().CurTile), 0);
        QVERIFY(tool->ToolButton23->isChecked());
        QVERIFY(tool->PaletteButtons[0]->isChecked());
        QVERIFY(tool->tbShowAll->isChecked());
        QVERIFY(!tool->tbShowGird->isChecked());
        QVERIFY(!tool->tbUndo->isEnabled());
        QVERIFY(!tool->tbRedo->isEnabled());
        QCOMPARE(tool->edStageNum->text(), QStringLiteral("0"));
        QCOMPARE(window->size(), QSize(640, 480));
        QCOMPARE(tool->tbUndo->toolTip(), QStringLiteral("Undo last action (Ctrl+Z)"));
        QCOMPARE(tool->tbRedo->toolTip(), QStringLiteral("Redo next action (Ctrl+Shift+Z)"));
        QCOMPARE(tool->btLoadFile->toolTip(), QStringLiteral("Load this stage form text file"));
        QCOMPARE(tool->PaletteButtons[0]->toolTip(), QStringLiteral("Eraser"));
        QCOMPARE(tool->PaletteButtons[14]->toolTip(), QStringLiteral("Steel"));
    }

    void toolWindowIsATopMostColumnOf47By520()
    {
        QCOMPARE(tool->size(), QSize(47, 520));
        const Qt::WindowFlags flags = tool->windowFlags();
        QCOMPARE(flags & Qt::WindowType_Mask, Qt::Tool);
        QVERIFY(flags & Qt::WindowStaysOnTopHint);
        QVERIFY(!(flags & Qt::WindowCloseButtonHint));
        QVERIFY(tool->btSaveFile->geometry().bottom() < 520);
        QCOMPARE(tool->btSaveFile->width(), 47);
    }

    // The first show loads stage 0, whose picture is damaged: the display
    // still starts, the whole stage shows, and the error is reported once,
    // after the stage is in place.
    void aDamagedPictureAtStartIsReportedOnceAfterTheStageShows()
    {
        WriteDamagedPicture(QStringLiteral("cut.bmp"));
        StageRecord record;
        TMainForm::EmptyStage(record);
        record.Caption.Assign("Damaged");
        record.BG_Bitmap.Assign("cut.bmp");
        record.EnemyCount[3] = 4;
        record.BG[2][3] = 1;
        QVERIFY(PutStageRecord("Stage.Dat", 0, record));
        TErrorReports reports([this] { return window ? caption() : std::string(); });
        reopen();
        DrainEvents();
        QCOMPARE(reports.Texts.size(), 1);
        QCOMPARE(reports.CaptionsWhenShown.at(0), std::string("Damaged"));
        QVERIFY(form().DXDraw->Initialized());
        QVERIFY(!form().PictureLoaded);
        QCOMPARE(window->windowTitle(), QString::fromUtf8("铁履纵横 地图编辑器 - Stage 00 (Damaged)"));
        QCOMPARE(tool->btOption->text(), QStringLiteral("&EC=04"));
        StageRecord shown;
        form().CaptureStage(shown);
        QVERIFY(SameRecord(shown, record));
    }

    // Load, the option dialog's OK, undo and redo each meet the damaged
    // picture: each applies its whole stage, then reports once.
    void aDamagedPictureIsReportedOnceAfterEachOperation()
    {
        WriteDamagedPicture(QStringLiteral("cut.bmp"));
        TErrorReports reports([this] { return caption(); });
        StageRecord record;
        TMainForm::EmptyStage(record);
        record.Caption.Assign("Loaded");
        record.BG_Bitmap.Assign("cut.bmp");
        record.BG_H_Tile = 2;
        record.MaxCount = 9;
        record.EnemyCount[0] = 12;
        record.FG[5][5] = 40;
        QVERIFY(PutStageRecord("Stage.Dat", 1, record));
        tool->udStageNum->setPosition(1);

        QTest::mouseClick(tool->btLoad, Qt::LeftButton);
        QCOMPARE(reports.Texts.size(), 0);  // not in the middle of the click
        DrainEvents();
        QCOMPARE(reports.Texts.size(), 1);
        QCOMPARE(reports.CaptionsWhenShown.back(), std::string("Loaded"));
        StageRecord shown;
        form().CaptureStage(shown);
        QVERIFY(SameRecord(shown, record));
        QVERIFY(!form().PictureLoaded);
        QCOMPARE(window->windowTitle(), QString::fromUtf8("铁履纵横 地图编辑器 - Stage 01 (Loaded)"));
        QCOMPARE(tool->btOption->text(), QStringLiteral("&EC=12"));

        // The option dialog names the damaged picture again, in another case.
        const int steps = form().History.Count();
        AnswerNextModal([](QWidget* modal) {
            auto* dialog = qobject_cast<TfmOption*>(modal);
            QVERIFY(dialog);
            dialog->mmCaption->SetText(QStringLiteral("Option"));
            dialog->edBG_Bitmap->setText(QStringLiteral("CUT.bmp"));
            dialog->edSI_Bitmap->setText(QStringLiteral("In.bmp"));
            dialog->cbBG_VTile->click();
            dialog->BitBtn1->click();
        });
        QTest::mouseClick(tool->btOption, Qt::LeftButton);
        DrainEvents();
        QCOMPARE(reports.Texts.size(), 2);
        QCOMPARE(reports.CaptionsWhenShown.back(), std::string("Option"));
        QCOMPARE(QString::fromStdString(form().BG_Bitmap.Str()), QStringLiteral("CUT.bmp"));
        QCOMPARE(QString::fromStdString(form().SI_Bitmap.Str()), QStringLiteral("In.bmp"));
        QCOMPARE(int(form().BG_H_Tile), 2);
        QCOMPARE(int(form().BG_V_Tile), 0);  // ticked in the stored record, cleared in the dialog
        QVERIFY(!form().PictureLoaded);
        QCOMPARE(form().History.Count(), steps + 1);
        QCOMPARE(window->windowTitle(), QString::fromUtf8("铁履纵横 地图编辑器 - Stage 01 (Option)"));
        QVERIFY(tool->tbUndo->isEnabled());
        StageRecord afterOption;
        form().CaptureStage(afterOption);
        QTest::mouseClick(tool->btSave, Qt::LeftButton);
        StageRecord saved;
        QVERIFY(ReadStageRecord("Stage.Dat", 1, saved));
        QVERIFY(SameRecord(saved, afterOption));

        // Undo brings back cut.bmp, redo CUT.bmp: both reload and report.
        window->activateWindow();
        window->setFocus();
        QTest::keyClick(window.get(), Qt::Key_Z, Qt::ControlModifier);
        DrainEvents();
        QCOMPARE(reports.Texts.size(), 3);
        QCOMPARE(reports.CaptionsWhenShown.back(), std::string("Loaded"));
        form().CaptureStage(shown);
        QVERIFY(SameRecord(shown, record));
        QVERIFY(tool->tbRedo->isEnabled());
        QCOMPARE(window->windowTitle(), QString::fromUtf8("铁履纵横 地图编辑器 - Stage 01 (Loaded)"));

        QTest::mouseClick(tool->tbRedo, Qt::LeftButton);
        DrainEvents();
        QCOMPARE(reports.Texts.size(), 4);
        QCOMPARE(reports.CaptionsWhenShown.back(), std::string("Option"));
        form().CaptureStage(shown);
        QVERIFY(SameRecord(shown, afterOption));
        QVERIFY(!tool->tbRedo->isEnabled());
        for (const QString& text : reports.Texts)
            QVERIFY2(text.startsWith(QStringLiteral("Bitmap image is not valid")), qPrintable(text));
    }

    void framesReachTheWindowThroughThePrimarySurface()
    {
        QVERIFY(form().DXDraw->Initialized());
        form().ClearLayers();
        form().PictureLoaded = false;
        form().BG_Color = 0x00102030;  // red 0x30, green 0x20, blue 0x10
        form().FGLayer->SetCell(20, 15, 40);
        form().DXTimerTimer(16);
        // Painting asked for by the window system presents the back buffer again.
        const QImage shown = display()->grab().toImage();
        QCOMPARE(shown.size(), QSize(640, 480));
        QCOMPARE(shown.pixelColor(600, 20), QColor(0x30, 0x20, 0x10));
        QVERIFY(shown.pixelColor(19 * 16 + 8, 14 * 16 + 8) != QColor(0x30, 0x20, 0x10));  // the tile
    }

    void toolAndPaletteButtonsAreExclusiveGroups()
    {
        QTest::mouseClick(tool->ToolButton27, Qt::LeftButton);
        QCOMPARE(form().ToolMode, TToolMode::Pencil);
        QVERIFY(tool->ToolButton27->isChecked());
        QVERIFY(!tool->ToolButton23->isChecked());
        QTest::mouseClick(tool->ToolButton27, Qt::LeftButton);  // already down: stays down
        QVERIFY(tool->ToolButton27->isChecked());
        QCOMPARE(form().ToolMode, TToolMode::Pencil);

        QTest::mouseClick(tool->PaletteButtons[17], Qt::LeftButton);
        QCOMPARE(int(form().CurTile), 17);
        QVERIFY(!tool->PaletteButtons[0]->isChecked());
        int down = 0;
        for (QToolButton* button : tool->PaletteButtons)
            down += button->isChecked();
        QCOMPARE(down, 1);
    }

    void pencilPaintsThroughMouseEventsAsOneUndoStep()
    {
        QTest::mouseClick(tool->ToolButton27, Qt::LeftButton);
        QTest::mouseClick(tool->PaletteButtons[3], Qt::LeftButton);  // FG 8..11
        form().ClearLayers();
        paintStroke({CellCentre(5, 5), CellCentre(6, 5), CellCentre(7, 5)});
        QCOMPARE(form().FGLayer->Cell(6, 6), 8);
        QCOMPARE(form().FGLayer->Cell(7, 6), 9);
        QCOMPARE(form().FGLayer->Cell(8, 6), 10);
        QVERIFY(tool->tbUndo->isEnabled());
        QTest::mouseClick(tool->tbUndo, Qt::LeftButton);
        QCOMPARE(form().FGLayer->Cell(6, 6), -1);
        QVERIFY(tool->tbRedo->isEnabled());
    }

    void aRightReleaseEndsTheFillDrag()
    {
        QTest::mouseClick(tool->ToolButton26, Qt::LeftButton);
        QTest::mouseClick(tool->PaletteButtons[10], Qt::LeftButton);
        form().ClearLayers();
        const int before = form().History.Count();
        SendMouse(display(), QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, CellCentre(0, 0));
        SendMouse(display(), QEvent::MouseButtonPress, Qt::RightButton, Qt::LeftButton | Qt::RightButton,
                  CellCentre(3, 0));
        QCOMPARE(form().DownPos, (TPoint{8, 8}));  // a right press does nothing
        SendMouse(display(), QEvent::MouseButtonRelease, Qt::RightButton, Qt::LeftButton, CellCentre(3, 0));
        for (int c = 1; c <= 4; ++c)
            QCOMPARE(form().FGLayer->Cell(c, 1), 36);
        QCOMPARE(form().History.Count(), before + 1);
        SendMouse(display(), QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, CellCentre(9, 9));
        QCOMPARE(form().History.Count(), before + 1);
        QCOMPARE(form().FGLayer->Cell(10, 10), -1);
    }

    void selectDragSetsTheSelection()
    {
        SendMouse(display(), QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, {40, 40});
        SendMouse(display(), QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, {20, 100});
        SendMouse(display(), QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, {20, 100});
        QCOMPARE(form().SelRect, (TRect{16, 32, 48, 112}));
    }

    void keysReachTheEditorWithTheirModifiers()
    {
        window->activateWindow();
        window->setFocus();
        QTest::keyClick(window.get(), Qt::Key_F7, Qt::ControlModifier);  // Ctrl+F7 is F7
        QVERIFY(!tool->tbShowAll->isChecked());
        QVERIFY(!form().FGLayer->Visible);
        QTest::keyClick(window.get(), Qt::Key_F7);
        QVERIFY(tool->tbShowAll->isChecked());
        QVERIFY(form().FGLayer->Visible);

        QTest::keyClick(window.get(), Qt::Key_F8);
        QVERIFY(tool->tbShowGird->isChecked());
        QVERIFY(form().ShowGrid);

        QTest::keyClick(window.get(), Qt::Key_F5);
        QVERIFY(form().ShowStatus);

        QTest::keyClick(window.get(), Qt::Key_F6);
        QVERIFY(!tool->isVisible());
        QTest::keyClick(window.get(), Qt::Key_F6);
        QVERIFY(tool->isVisible());

        // Select tool: arrows move the selection, Alt mirrors, Ctrl+Z undoes.
        form().SelRect = TRect{0, 0, 32, 16};
        QTest::keyClick(window.get(), Qt::Key_Right);
        QCOMPARE(form().SelRect, (TRect{16, 0, 48, 16}));
        form().BGLayer->SetCell(2, 1, 1);
        form().BGLayer->SetCell(3, 1, 2);
        QTest::keyClick(window.get(), Qt::Key_Left, Qt::AltModifier | Qt::ControlModifier);
        QCOMPARE(form().BGLayer->Cell(2, 1), 2);
        QCOMPARE(form().BGLayer->Cell(3, 1), 1);
        QTest::keyClick(window.get(), Qt::Key_Z, Qt::ControlModifier | Qt::AltModifier);  // not exactly Ctrl
        QCOMPARE(form().BGLayer->Cell(2, 1), 2);
        QTest::keyClick(window.get(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(form().BGLayer->Cell(2, 1), 1);
        QTest::keyClick(window.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(form().BGLayer->Cell(2, 1), 2);
    }

    void stageNumberArrowsAreInvertedAndUpdateTheTitle()
    {
        tool->udStageNum->setPosition(0);
        tool->udStageNum->stepUp();  // the upper arrow lowers the value
        QCOMPARE(tool->udStageNum->position(), 0);
        tool->udStageNum->stepDown();
        QCOMPARE(tool->udStageNum->position(), 1);
        QCOMPARE(int(form().Document.StageNum()), 1);
        QVERIFY(window->windowTitle().contains(QStringLiteral("Stage 01")));

        tool->edStageNum->setFocus();
        tool->edStageNum->selectAll();
        QTest::keyClicks(tool->edStageNum, QStringLiteral("07"));
        QCOMPARE(int(form().Document.StageNum()), 7);
        QVERIFY(window->windowTitle().contains(QStringLiteral("Stage 07")));
        tool->edStageNumExit();
        QCOMPARE(tool->edStageNum->text(), QStringLiteral("7"));
    }

    // Without a stage file, Save (and Ctrl+S) asks to create one; a name
    // taken by a folder cannot be saved to and gets the message.
    void saveWithoutAStageFileAsksToCreateIt()
    {
        const QString question =
            QStringLiteral("CreateQuestion: Stage.Dat does not exist in %1. Create it?").arg(QDir::currentPath());
        const QString failure = QStringLiteral("FailureMessage: Cannot Save to File \"Stage.Dat\"!");
        const struct {
            const char* Answer;
            bool Folder;  // a folder named Stage.Dat is in the way
            qint64 Size;  // of the file afterwards; -1: none
            bool ByKey;   // Ctrl+S instead of the button
        } cases[] = {
            {"No", false, -1, false},       {"Escape", false, -1, true}, {"Yes", false, 4 * 6000, false},
            {"Yes", false, 4 * 6000, true}, {"Yes", true, -1, false},
        };
        for (const auto& c : cases) {
            QDir().rmdir(QStringLiteral("Stage.Dat"));
            QFile::remove(QStringLiteral("Stage.Dat"));
            if (c.Folder)
                QVERIFY(QDir().mkdir(QStringLiteral("Stage.Dat")));
            tool->udStageNum->setPosition(3);
            form().Caption.Assign("Created");
            TQuestionAnswers answers;
            answers.Answer(QStringLiteral("CreateQuestion"), QString::fromLatin1(c.Answer));
            answers.Answer(QStringLiteral("FailureMessage"), QStringLiteral("Escape"));
            if (c.ByKey) {
                window->activateWindow();  // the key acts in every window of the editor's
                QTRY_VERIFY(window->isActiveWindow());
                QTest::keyClick(window.get(), Qt::Key_S, Qt::ControlModifier);
            } else
                QTest::mouseClick(tool->btSave, Qt::LeftButton);
            DrainEvents();
            QCOMPARE(answers.Asked, c.Folder ? QStringList{failure} : QStringList{question});
            const QFileInfo file(QStringLiteral("Stage.Dat"));
            QCOMPARE(file.isFile() ? file.size() : qint64(-1), c.Size);
            if (c.Size > 0) {
                StageRecord record{};
                QVERIFY(ReadStageRecord("Stage.Dat", 3, record));
                QCOMPARE(QString::fromStdString(record.Caption.Str()), QStringLiteral("Created"));
                QVERIFY(ReadStageRecord("Stage.Dat", 2, record));
                QCOMPARE(QString::fromStdString(record.Caption.Str()), QStringLiteral("Undefined Stage"));
                QVERIFY(!form().Document.Unsaved());
            }
        }
    }

    void saveAndLoadThroughTheButtons()
    {
        {
            QFile file(QStringLiteral("Stage.Dat"));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        form().Caption.Assign("Saved");
        form().BGLayer->SetCell(1, 1, 3);
        tool->udStageNum->setPosition(2);
        QTest::mouseClick(tool->btSave, Qt::LeftButton);
        QCOMPARE(QFileInfo(QStringLiteral("Stage.Dat")).size(), qint64(3 * 6000));

        form().Caption.Assign("Changed");
        form().BGLayer->SetCell(1, 1, 0);
        TQuestionAnswers answers;  // the changes are thrown away, as asked
        answers.Answer(QStringLiteral("UnsavedQuestion"), QStringLiteral("Discard"));
        QTest::mouseClick(tool->btLoad, Qt::LeftButton);
        QCOMPARE(answers.Asked,
                 QStringList{QStringLiteral("UnsavedQuestion: Stage 02 (Changed) has changes that are not saved.")});
        QCOMPARE(QString::fromStdString(form().Caption.Str()), QStringLiteral("Saved"));
        QCOMPARE(form().BGLayer->Cell(1, 1), 3);
        QVERIFY(window->windowTitle().endsWith(QStringLiteral("Stage 02 (Saved)")));
    }

    void exportAndImportThroughTheDialogs()
    {
        const QString path = QDir::current().filePath(QStringLiteral("one.txt"));
        form().Caption.Assign("Exported");
        form().FGLayer->SetCell(5, 5, 40);
        AnswerFileDialog(path);
        QTest::mouseClick(tool->btSaveFile, Qt::LeftButton);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        QVERIFY(text.startsWith("[Stage00]\r\nCaption=Exported\r\n"));
        QVERIFY(text.endsWith("[End]\r\n"));

        form().Caption.Assign("Other");
        form().FGLayer->SetCell(5, 5, -1);
        const int before = form().History.Count();
        AnswerFileDialog(path);
        QTest::mouseClick(tool->btLoadFile, Qt::LeftButton);
        QCOMPARE(QString::fromStdString(form().Caption.Str()), QStringLiteral("Exported"));
        QCOMPARE(form().FGLayer->Cell(5, 5), 40);
        QCOMPARE(form().History.Count(), before + 1);
    }

    void importOfATextWithoutHeaderShowsTheMessage()
    {
        const QString path = QDir::current().filePath(QStringLiteral("bad.txt"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("Caption=No header\r\n");
        file.close();
        form().Caption.Assign("Kept");
        QString title, text;
        AnswerFileDialog(path);
        AnswerMessageBox(&title, &text);
        QTest::mouseClick(tool->btLoadFile, Qt::LeftButton);
        QCOMPARE(title, QStringLiteral("loading Stage"));
        QCOMPARE(text, QStringLiteral("Cannot Load Text Map Data!"));
        QCOMPARE(QString::fromStdString(form().Caption.Str()), QStringLiteral("Kept"));
        QVERIFY(tool->tbRedo->isEnabled());
    }

    void aTextMapTooLargeOrNotAFileIsReportedAndTheStageStays()
    {
        const QString huge = QDir::current().filePath(QStringLiteral("huge.txt"));
        QFile file(huge);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Stage5]\r\nCaption=Huge\r\n");
        QVERIFY(file.resize((qint64(16) << 20) + 1));  // one byte over the bound
        file.close();
        const QString fifo = QDir::current().filePath(QStringLiteral("fifo.txt"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);  // never waited on for a writer
        const std::pair<QString, QString> cases[] = {{huge, QStringLiteral("larger than 16 MB")},
                                                     {fifo, QStringLiteral("not a regular file")}};
        for (const auto& [path, reason] : cases) {
            form().Caption.Assign("Kept");
            const int before = form().History.Count();
            QString title, text;
            AnswerFileDialog(path, &title, &text);
            QTest::mouseClick(tool->btLoadFile, Qt::LeftButton);
            QVERIFY2(text.startsWith(QStringLiteral("Cannot read file")) && text.contains(reason), qPrintable(text));
            QCOMPARE(QString::fromStdString(form().Caption.Str()), QStringLiteral("Kept"));
            QCOMPARE(form().History.Count(), before);
        }
    }

    void aTextMapSavedOnAFullDiskLeavesTheOldFile()
    {
        const QString path = QDir::current().filePath(QStringLiteral("kept.txt"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("the designer's older map");
        file.close();
        // The stage stays as it started: an unsaved one would have its
        // recovery copy written meanwhile, on a thread of its own, onto the
        // same full disk, and that report would come at any moment.
        // The disk is as good as full: no file may grow past 1 KB, and the
        // write that tries fails instead of ending the test.
        rlimit before{};
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &before), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit full = before;
        full.rlim_cur = 1024;
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &full), 0);
        tool->SaveDialog1->setOption(QFileDialog::DontConfirmOverwrite);
        QString title, text;
        AnswerFileDialog(path, &title, &text);
        QTest::mouseClick(tool->btSaveFile, Qt::LeftButton);
        ::setrlimit(RLIMIT_FSIZE, &before);
        std::signal(SIGXFSZ, oldHandler);
        tool->SaveDialog1->setOption(QFileDialog::DontConfirmOverwrite, false);
        QVERIFY2(
            text.startsWith(QStringLiteral("Cannot write file")) && text.contains(QStringLiteral("File too large")),
            qPrintable(text));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("the designer's older map"));
        QCOMPARE(QDir::current().entryList(QStringList{QStringLiteral("*kept.txt*")}, QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("kept.txt")});  // no temporary file left
    }

    void aFileThatCannotBeWrittenIsReportedAndTheStageStays()
    {
        const QString path = QDir::current().filePath(QStringLiteral("no-such-folder/out.txt"));
        form().Caption.Assign("Kept");
        QString title, text;
        AnswerFileDialog(path, &title, &text);
        QTest::mouseClick(tool->btSaveFile, Qt::LeftButton);
        QVERIFY2(text.startsWith(QStringLiteral("Cannot write file")), qPrintable(text));
        QVERIFY(!QFile::exists(path));
        QCOMPARE(QString::fromStdString(form().Caption.Str()), QStringLiteral("Kept"));
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
