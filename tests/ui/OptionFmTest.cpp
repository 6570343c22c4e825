// The stage option dialog driven through real events, opened the way the
// Option button opens it, with the modal dialog answered by the test.

#include "support/FakeHost.h"

#include "ui/Fonts.h"
#include "ui/OptionFm.h"
#include "ui/UpDown.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QColorDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <functional>
#include <string>

namespace {

std::string Bytes(const TShortString& s)
{
    return s.Str();
}

TShortString Short(const std::string& text)
{
    TShortString s;
    s.Assign(text);
    return s;
}

// Runs the next modal dialog's answer once the dialog is up; the answer must
// close it. A dialog left open is cancelled, so a failing answer cannot hang
// the test.
void AnswerDialog(std::function<void(TfmOption&)> answer)
{
    QTimer::singleShot(0, [answer] {
        auto* dialog = qobject_cast<TfmOption*>(QApplication::activeModalWidget());
        if (!dialog) {
            AnswerDialog(answer);
            return;
        }
        // Key and focus handling need the dialog to be the active window.
        dialog->activateWindow();
        QApplication::setActiveWindow(dialog);
        answer(*dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
}

// Centre of a grid cell, in the grid widget's coordinates.
QPoint CellCentre(const TfmOption& dialog, int col, int row)
{
    const TRect r = dialog.sgCount->CellRect(col, row);
    return dialog.sgCount->ClientOrigin() + QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
}

void ClickCell(TfmOption& dialog, int col, int row, Qt::KeyboardModifiers modifiers = {})
{
    QTest::mouseClick(dialog.sgCount, Qt::LeftButton, modifiers, CellCentre(dialog, col, row));
}

void DragCells(TfmOption& dialog, TPoint from, TPoint to)
{
    QWidget* grid = dialog.sgCount;
    const QPoint start = CellCentre(dialog, from.X, from.Y);
    const QPoint end = CellCentre(dialog, to.X, to.Y);
    QTest::mousePress(grid, Qt::LeftButton, {}, start);
    QMouseEvent move(QEvent::MouseMove, end, grid->mapToGlobal(end), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(grid, &move);
    QTest::mouseRelease(grid, Qt::LeftButton, {}, end);
}

QString CountText(const TfmOption& dialog, int type)
{
    const TPoint cell = TfmOption::CountCell(type);
    return dialog.sgCount->Cells(cell.X, cell.Y);
}

void Key(TfmOption& dialog, Qt::Key key, Qt::KeyboardModifiers modifiers = {})
{
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &dialog;
    QTest::keyClick(target, key, modifiers);
}

}  // namespace

class TOptionFmTest : public QObject {
    Q_OBJECT

    TEditorFixture* F = nullptr;
    TMainForm& Form() { return F->Form; }

private slots:
    void initTestCase() { InstallFontSubstitutions(); }

    // A stage as loading an empty record leaves it, with type 0 at 5 enemies.
    void init()
    {
        F = new TEditorFixture;
        F->ApplyEmpty();
        Form().EnemyCount[0] = 5;
        Form().EnemyTotal = 5;
        Form().UpdateTitle();
    }
    void cleanup()
    {
        delete F;
        F = nullptr;
    }

    void captionConversions()
    {
        // Every byte from 128 up is a line break; other bytes pass as Latin-1.
        QCOMPARE(CaptionToText(Short("AB\x80"
                                     "CD")),
                 QStringLiteral("AB\r\nCD"));
        QCOMPARE(CaptionToText(Short("\x81X\xFF")), QStringLiteral("\r\nX\r\n"));
        QCOMPARE(CaptionToText(Short("a\x7F")), QString::fromLatin1("a\x7F"));
        // CR LF pairs become one byte; a lone CR or LF stays as it is.
        QCOMPARE(Bytes(TextToCaption(QStringLiteral("AB\r\nCD"))), std::string("AB\x80"
                                                                               "CD"));
        QCOMPARE(Bytes(TextToCaption(QStringLiteral("a\rb\nc\r"))), std::string("a\rb\nc\r"));
        QCOMPARE(Bytes(TextToCaption(QStringLiteral("a\r\r\nb"))), std::string("a\r\x80"
                                                                               "b"));
        QCOMPARE(Bytes(TextToCaption(QString::fromLatin1("caf\xE9"))), std::string("caf\xE9"));
        // 63 characters at most, counted after the pairs are joined.
        QString sixtyThree;
        for (int i = 0; i < 21; ++i)
            sixtyThree += QStringLiteral("ab\r\n");  // 84 characters, 63 bytes stored
        QCOMPARE(TextToCaption(sixtyThree).Length, 63);
        QCOMPARE(Bytes(TextToCaption(QString(70, QLatin1Char('x')))), std::string(63, 'x'));
        QCOMPARE(Bytes(TextToCaption(QString(62, QLatin1Char('x')) + QStringLiteral("\r\nyz"))),
                 std::string(62, 'x') + "\x80");
    }

    void fillsFromLiveStage()
    {
        Form().Caption = Short("One\x80Two");
        Form().MaxCount = 7;
        Form().BG_Color = RGBColor(10, 20, 30);
        Form().SetBGBitmap(Short("Sky.bmp"));
        Form().SI_Bitmap = Short("In.jpg");
        Form().BG_V_Tile = true;
        Form().BG_H_Tile = false;
        Form().EnemyCount[15] = 12;
        bool checked = false;
        AnswerDialog([&](TfmOption& dialog) {
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Option"));
            QCOMPARE(dialog.size(), QSize(357, 388));
            QCOMPARE(dialog.mmCaption->toPlainText(), QStringLiteral("One\nTwo"));
            QCOMPARE(dialog.udMaxCount->position(), 7);
            QCOMPARE(dialog.edMaxCount->text(), QStringLiteral("7"));
            QCOMPARE(dialog.stBG_Color->Color(), RGBColor(10, 20, 30));
            QCOMPARE(dialog.stBG_Color->palette().color(QPalette::Window), QColor(10, 20, 30));
            QCOMPARE(dialog.stBG_Color->text(), QStringLiteral(" BG COLOR "));
            QCOMPARE(dialog.edBG_Bitmap->text(), QStringLiteral("Sky.bmp"));
            QCOMPARE(dialog.edSI_Bitmap->text(), QStringLiteral("In.jpg"));
            QVERIFY(dialog.cbBG_VTile->isChecked());
            QVERIFY(!dialog.cbBG_HTile->isChecked());
            QCOMPARE(CountText(dialog, 0), QStringLiteral("05"));
            for (int type = 1; type < 15; ++type)
                QCOMPARE(CountText(dialog, type), QStringLiteral("00"));
            QCOMPARE(CountText(dialog, 15), QStringLiteral("12"));
            // Type 0 over 1 in column 1, ..., 14 over 15 in column 8.
            QCOMPARE(TfmOption::CountCell(0), (TPoint{1, 1}));
            QCOMPARE(TfmOption::CountCell(1), (TPoint{1, 3}));
            QCOMPARE(TfmOption::CountCell(15), (TPoint{8, 3}));
            for (int row = 0; row < 4; ++row)
                QCOMPARE(dialog.sgCount->Cells(0, row), row % 2 ? QStringLiteral("Count") : QStringLiteral("Type"));
            QCOMPARE(dialog.sgCount->Selection(), (TGridRect{-1, -1, -1, -1}));
            QVERIFY(dialog.UpDown1->isHidden());
            QVERIFY(dialog.Edit1->isHidden());
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(dialog.mmCaption));
            checked = true;
            dialog.BitBtn2->click();
        });
        QVERIFY(!ExecuteOptionDialog(nullptr, Form()));
        QVERIFY(checked);
    }

    void arrowClickOnSelectedCell()
    {
        bool checked = false;
        AnswerDialog([&](TfmOption& dialog) {
            ClickCell(dialog, 1, 1);  // type 0, "05"
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(dialog.sgCount));
            QVERIFY(!dialog.UpDown1->isHidden());
            QCOMPARE(dialog.UpDown1->position(), 5);
            QCOMPARE(dialog.sgCount->Selection(), (TGridRect{1, 1, 1, 1}));
            // Over the cell's right edge: grid left + right - 12, grid top + top + 1.
            QCOMPARE(dialog.UpDown1->geometry(), QRect(8 + 73 - 12, 136 + 33 + 1, 15, 25));
            QCOMPARE(CountText(dialog, 0), QStringLiteral("05"));
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Option"));

            dialog.UpDown1->downButton()->click();  // the lower arrow raises
            QCOMPARE(CountText(dialog, 0), QStringLiteral("6"));
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Option ( EC=06 )"));
            dialog.UpDown1->upButton()->click();
            dialog.UpDown1->upButton()->click();
            QCOMPARE(CountText(dialog, 0), QStringLiteral("4"));
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Option ( EC=04 )"));
            // Clicking the arrows leaves the focus in the grid.
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(dialog.sgCount));

            ClickCell(dialog, 8, 3);  // type 15, lower row
            QCOMPARE(dialog.UpDown1->geometry(), QRect(8 + 332 - 12, 136 + 90 + 1, 15, 25));
            checked = true;
            dialog.BitBtn1->click();
        });
        QVERIFY(ExecuteOptionDialog(nullptr, Form()));
        QVERIFY(checked);
        QCOMPARE(Form().EnemyCount[0], 4);
        QCOMPARE(Form().EnemyTotal, 4);
        QCOMPARE(QString::fromStdString(F->Form.OptionCaption()), QStringLiteral("&EC=04"));
    }

    void selectingCellsCopiesNothing()
    {
        Form().EnemyCount[3] = 3;
        Form().EnemyTotal = 8;
        bool checked = false;
        AnswerDialog([&](TfmOption& dialog) {
            ClickCell(dialog, 1, 1);
            dialog.UpDown1->downButton()->click();  // type 0: 6
            ClickCell(dialog, 2, 1);                // type 2: "00"
            QCOMPARE(CountText(dialog, 0), QStringLiteral("6"));
            QCOMPARE(CountText(dialog, 2), QStringLiteral("00"));
            QCOMPARE(dialog.UpDown1->position(), 0);
            ClickCell(dialog, 3, 3);  // type 5: "00" again, same position
            ClickCell(dialog, 2, 3);  // type 3: "03"
            QCOMPARE(CountText(dialog, 3), QStringLiteral("03"));
            QCOMPARE(dialog.UpDown1->position(), 3);
            QCOMPARE(CountText(dialog, 5), QStringLiteral("00"));

            // Icon rows and the fixed column cannot become current.
            const QRect arrows = dialog.UpDown1->geometry();
            ClickCell(dialog, 4, 0);
            ClickCell(dialog, 0, 1);
            QCOMPARE(dialog.sgCount->Selection(), (TGridRect{2, 3, 2, 3}));
            QCOMPARE(dialog.UpDown1->geometry(), arrows);
            QCOMPARE(dialog.UpDown1->position(), 3);
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Option ( EC=09 )"));
            checked = true;
            dialog.BitBtn1->click();
        });
        QVERIFY(ExecuteOptionDialog(nullptr, Form()));
        QVERIFY(checked);
        QCOMPARE(Form().EnemyCount[0], 6);
        QCOMPARE(Form().EnemyCount[2], 0);
        QCOMPARE(Form().EnemyCount[3], 3);
        QCOMPARE(Form().EnemyTotal, 9);
    }

    void rangeSelectionSetsEveryCount()
    {
        Form().EnemyCount[31] = 777;  // reserved slots stay untouched
        bool checked = false;
        AnswerDialog([&](TfmOption& dialog) {
            // Drag from type 2 (column 2, row 1) to type 7 (column 4, row 3).
            DragCells(dialog, {2, 1}, {4, 3});
            QCOMPARE(dialog.sgCount->Selection(), (TGridRect{2, 1, 4, 3}));
            dialog.UpDown1->downButton()->click();
            for (int type = 2; type <= 7; ++type)
                QCOMPARE(CountText(dialog, type), QStringLiteral("1"));
            QCOMPARE(CountText(dialog, 0), QStringLiteral("05"));
            QCOMPARE(CountText(dialog, 8), QStringLiteral("00"));
            for (int col = 2; col <= 4; ++col) {
                QCOMPARE(dialog.sgCount->Cells(col, 0), QString());
                QCOMPARE(dialog.sgCount->Cells(col, 2), QString());
            }
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Option ( EC=11 )"));

            // Shift extends from the current cell without asking it: a range
            // reaching into an icon row.
            ClickCell(dialog, 6, 3);  // type 11
            ClickCell(dialog, 8, 2, Qt::ShiftModifier);
            QCOMPARE(dialog.sgCount->Selection(), (TGridRect{6, 2, 8, 3}));
            Key(dialog, Qt::Key_End);
            for (int type : {11, 13, 15})
                QCOMPARE(CountText(dialog, type), QStringLiteral("99"));
            QCOMPARE(CountText(dialog, 10), QStringLiteral("00"));
            QCOMPARE(dialog.sgCount->Cells(7, 2), QString());
            checked = true;
            dialog.BitBtn1->click();
        });
        QVERIFY(ExecuteOptionDialog(nullptr, Form()));
        QVERIFY(checked);
        QCOMPARE(Form().EnemyTotal, 5 + 6 + 3 * 99);
        QCOMPARE(Form().EnemyCount[15], 99);
        QCOMPARE(Form().EnemyCount[31], 777);
    }

    void keysMoveTheCount()
    {
        bool checked = false;
        AnswerDialog([&](TfmOption& dialog) {
            // Without the grid focused the keys pass on: the arrows are hidden.
            dialog.mmCaption->setFocus();
            Key(dialog, Qt::Key_End);
            QCOMPARE(dialog.UpDown1->position(), 0);

            ClickCell(dialog, 1, 1);  // 5
            struct Step {
                Qt::Key key;
                Qt::KeyboardModifiers modifiers;
                const char* expected;
            };
            const Step steps[] = {
                {Qt::Key_PageDown, {}, "15"},
                {Qt::Key_PageUp, {}, "5"},
                {Qt::Key_PageUp, {}, "0"},
                {Qt::Key_Down, {}, "1"},
                {Qt::Key_Up, {}, "0"},
                {Qt::Key_Up, {}, "0"},
                {Qt::Key_End, {}, "99"},
                {Qt::Key_PageDown, {}, "99"},
                {Qt::Key_Down, {}, "99"},
                {Qt::Key_Home, {}, "0"},
                {Qt::Key_PageDown, Qt::ShiftModifier, "10"},
                {Qt::Key_Down, Qt::ShiftModifier, "11"},
            };
            for (const Step& step : steps) {
                Key(dialog, step.key, step.modifiers);
                QCOMPARE(CountText(dialog, 0), QString::fromLatin1(step.expected));
                // Consumed: the current cell and the selection stay put.
                QCOMPARE(dialog.sgCount->Selection(), (TGridRect{1, 1, 1, 1}));
            }
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Option ( EC=11 )"));

            // Left and Right move along the row and take the new cell's count.
            Key(dialog, Qt::Key_Right);
            QCOMPARE(dialog.sgCount->Selection(), (TGridRect{2, 1, 2, 1}));
            QCOMPARE(dialog.UpDown1->position(), 0);
            Key(dialog, Qt::Key_Left);
            QCOMPARE(dialog.UpDown1->position(), 11);
            Key(dialog, Qt::Key_Left);  // the fixed column stops it
            QCOMPARE(dialog.sgCount->Selection(), (TGridRect{1, 1, 1, 1}));

            // Leaving the grid hides the arrows; the keys then pass on.
            QTest::keyClick(dialog.sgCount, Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(dialog.edMaxCount));
            QVERIFY(dialog.UpDown1->isHidden());
            Key(dialog, Qt::Key_Home);
            QCOMPARE(CountText(dialog, 0), QStringLiteral("11"));
            checked = true;
            dialog.BitBtn1->click();
        });
        QVERIFY(ExecuteOptionDialog(nullptr, Form()));
        QVERIFY(checked);
        QCOMPARE(Form().EnemyCount[0], 11);
    }

    void twoLineCaption()
    {
        AnswerDialog([&](TfmOption& dialog) {
            dialog.mmCaption->clear();
            QTest::keyClicks(dialog.mmCaption, QStringLiteral("AB"));
            QTest::keyClick(dialog.mmCaption, Qt::Key_Return);  // a new line, not OK
            QVERIFY(dialog.isVisible());
            QTest::keyClicks(dialog.mmCaption, QStringLiteral("CD"));
            dialog.BitBtn1->click();
        });
        QVERIFY(ExecuteOptionDialog(nullptr, Form()));
        QCOMPARE(Bytes(Form().Caption), std::string("AB\x80"
                                                    "CD"));
        QVERIFY(QString::fromStdString(F->Form.WindowCaption())
                    .endsWith(QString::fromUtf8(" - Stage 00 (AB\xC2\x80"
                                                "CD)")));

        QString shown;
        AnswerDialog([&](TfmOption& dialog) {
            shown = dialog.mmCaption->toPlainText();
            QCOMPARE(dialog.mmCaption->document()->blockCount(), 2);
            dialog.BitBtn2->click();
        });
        ExecuteOptionDialog(nullptr, Form());
        QCOMPARE(shown, QStringLiteral("AB\nCD"));
    }

    void bytesAboveLineBreakMark()
    {
        Form().Caption = Short("X\x81Y\xFFZ\x80");
        QString shown;
        AnswerDialog([&](TfmOption& dialog) {
            shown = dialog.mmCaption->toPlainText();
            dialog.BitBtn1->click();
        });
        QVERIFY(ExecuteOptionDialog(nullptr, Form()));
        QCOMPARE(shown, QStringLiteral("X\nY\nZ\n"));
        QCOMPARE(Bytes(Form().Caption), std::string("X\x80Y\x80Z\x80"));
    }

    void captionLimit()
    {
        // Typing stops at 63 characters, each line break counting as two.
        AnswerDialog([&](TfmOption& dialog) {
            dialog.mmCaption->clear();
            QTest::keyClicks(dialog.mmCaption, QString(40, QLatin1Char('a')));
            QTest::keyClick(dialog.mmCaption, Qt::Key_Return);
            QTest::keyClicks(dialog.mmCaption, QString(30, QLatin1Char('b')));
            QTest::keyClick(dialog.mmCaption, Qt::Key_Return);  // no room left
            QCOMPARE(dialog.mmCaption->Text().size(), 63);
            dialog.BitBtn1->click();
        });
        QVERIFY(ExecuteOptionDialog(nullptr, Form()));
        QCOMPARE(Bytes(Form().Caption), std::string(40, 'a') + "\x80" + std::string(21, 'b'));

        // A full caption with line breaks shows longer than the limit and comes
        // back unchanged.
        std::string full;
        for (int i = 0; i < 21; ++i)
            full += "ab\x80";
        Form().Caption = Short(full);
        AnswerDialog([&](TfmOption& dialog) {
            QCOMPARE(dialog.mmCaption->Text().size(), 84);
            dialog.BitBtn1->click();
        });
        QVERIFY(ExecuteOptionDialog(nullptr, Form()));
        QCOMPARE(Bytes(Form().Caption), full);

        // Pasting is cut to what fits, a line break whole or not at all.
        AnswerDialog([&](TfmOption& dialog) {
            dialog.mmCaption->SetText(QString(60, QLatin1Char('c')));
            dialog.mmCaption->moveCursor(QTextCursor::End);
            QApplication::clipboard()->setText(QStringLiteral("d\r\ne"));
            dialog.mmCaption->paste();
            QCOMPARE(dialog.mmCaption->Text(), QString(60, QLatin1Char('c')) + QStringLiteral("d\r\n"));
            dialog.BitBtn2->click();
        });
        ExecuteOptionDialog(nullptr, Form());
    }

    void okRecordsOneUndoStep()
    {
        const StageRecord before = F->Capture();
        const int count = Form().History.Count();
        const int restores = F->Host.RestoreCount;
        AnswerDialog([](TfmOption& dialog) { dialog.BitBtn1->click(); });
        QVERIFY(ExecuteOptionDialog(nullptr, Form()));
        QCOMPARE(Form().History.Count(), count + 1);
        QCOMPARE(Form().History.Position(), count);
        QVERIFY(SameBytes(F->Capture(), before));
        QCOMPARE(F->Host.RestoreCount, restores);  // same picture name: no reload
        QVERIFY(F->Host.UndoEnabled);

        // The step holds the stage from before the dialog.
        AnswerDialog([](TfmOption& dialog) {
            dialog.edSI_Bitmap->setText(QStringLiteral("Other.bmp"));
            dialog.cbBG_HTile->setChecked(false);
            dialog.BitBtn1->click();
        });
        QVERIFY(ExecuteOptionDialog(nullptr, Form()));
        QCOMPARE(Form().History.Count(), count + 2);
        QCOMPARE(Bytes(Form().SI_Bitmap), std::string("Other.bmp"));
        QVERIFY(!Form().BG_H_Tile);
        Form().Undo();
        QVERIFY(SameBytes(F->Capture(), before));
        Form().Undo();
        QVERIFY(SameBytes(F->Capture(), before));
    }

    void cancelChangesNothing()
    {
        const StageRecord before = F->Capture();
        const int count = Form().History.Count();
        const std::string caption = F->Form.WindowCaption();
        const std::string optionCaption = F->Form.OptionCaption();
        const int restores = F->Host.RestoreCount;
        for (const bool byEscape : {false, true}) {
            AnswerDialog([byEscape](TfmOption& dialog) {
                dialog.mmCaption->SetText(QStringLiteral("Changed"));
                dialog.edBG_Bitmap->setText(QStringLiteral("New.bmp"));
                dialog.edMaxCount->setText(QStringLiteral("9"));
                dialog.cbBG_VTile->setChecked(false);
                ClickCell(dialog, 1, 1);
                dialog.UpDown1->downButton()->click();
                if (byEscape)
                    QTest::keyClick(dialog.edBG_Bitmap, Qt::Key_Escape);
                else
                    dialog.BitBtn2->click();
            });
            QVERIFY(!ExecuteOptionDialog(nullptr, Form()));
            QCOMPARE(Form().History.Count(), count);
            QVERIFY(SameBytes(F->Capture(), before));
            QCOMPARE(Form().EnemyTotal, 5);
            QCOMPARE(F->Form.WindowCaption(), caption);
            QCOMPARE(F->Form.OptionCaption(), optionCaption);
            QCOMPARE(F->Host.RestoreCount, restores);
        }
    }

    void enterConfirmsFromAnEditBox()
    {
        AnswerDialog([](TfmOption& dialog) {
            dialog.edSI_Bitmap->setFocus();
            dialog.edSI_Bitmap->setText(QStringLiteral("Enter.bmp"));
            QTest::keyClick(dialog.edSI_Bitmap, Qt::Key_Return);
        });
        QVERIFY(ExecuteOptionDialog(nullptr, Form()));
        QCOMPARE(Bytes(Form().SI_Bitmap), std::string("Enter.bmp"));
    }

    // The boxes show any byte but 0 as ticked; OK keeps a stored byte whose
    // box was left as it showed, and gives 0 or 1 for a box that changed.
    void tilingBytesSurviveAnUnchangedBox()
    {
        const struct {
            std::uint8_t Stored;
            bool Click;
            std::uint8_t After;
        } cases[] = {{2, false, 2}, {255, false, 255}, {0, false, 0}, {1, false, 1},
                     {2, true, 0},  {0, true, 1},      {255, true, 0}};
        for (const auto& c : cases) {
            Form().BG_H_Tile = c.Stored;
            Form().BG_V_Tile = c.Stored;
            bool shown = false;
            AnswerDialog([&](TfmOption& dialog) {
                shown = dialog.cbBG_HTile->isChecked() == (c.Stored != 0)
                        && dialog.cbBG_VTile->isChecked() == (c.Stored != 0);
                if (c.Click)
                    dialog.cbBG_HTile->click();
                dialog.BitBtn1->click();
            });
            QVERIFY(ExecuteOptionDialog(nullptr, Form()));
            QVERIFY(shown);
            QCOMPARE(int(Form().BG_H_Tile), int(c.After));
            QCOMPARE(int(Form().BG_V_Tile), int(c.Stored));
        }
    }

    void letterCaseReloadsPicture()
    {
        Form().SetBGBitmap(Short("back.bmp"));
        const int restores = F->Host.RestoreCount;
        AnswerDialog([](TfmOption& dialog) {
            dialog.edBG_Bitmap->setText(QStringLiteral("BACK.bmp"));
            dialog.BitBtn1->click();
        });
        QVERIFY(ExecuteOptionDialog(nullptr, Form()));
        QCOMPARE(Bytes(Form().BG_Bitmap), std::string("BACK.bmp"));
        QCOMPARE(F->Host.RestoreCount, restores + 1);
    }

    void maxCountUpDown()
    {
        Form().MaxCount = 150;  // beyond the arrows' range, as an imported text may give
        bool checked = false;
        AnswerDialog([&](TfmOption& dialog) {
            TUpDown& ud = *dialog.udMaxCount;
            QCOMPARE(ud.position(), 99);
            QCOMPARE(dialog.edMaxCount->text(), QStringLiteral("99"));
            ud.downButton()->click();  // the lower arrow raises: stays at 99
            QCOMPARE(ud.position(), 99);
            ud.upButton()->click();  // the upper arrow lowers
            QCOMPARE(dialog.edMaxCount->text(), QStringLiteral("98"));

            // Up and Down in the box act as the arrows.
            dialog.edMaxCount->setFocus();
            QTest::keyClick(dialog.edMaxCount, Qt::Key_Up);
            QCOMPARE(dialog.edMaxCount->text(), QStringLiteral("97"));
            QTest::keyClick(dialog.edMaxCount, Qt::Key_Down);
            QCOMPARE(dialog.edMaxCount->text(), QStringLiteral("98"));

            // Typed text counts once read; text that is no number keeps the last
            // valid value, and leaving the box writes that value back.
            dialog.edMaxCount->selectAll();
            QTest::keyClicks(dialog.edMaxCount, QStringLiteral("1"));
            QCOMPARE(ud.position(), 1);
            ud.upButton()->click();
            ud.upButton()->click();
            QCOMPARE(ud.position(), 0);
            QCOMPARE(dialog.edMaxCount->text(), QStringLiteral("0"));
            dialog.edMaxCount->setText(QStringLiteral("x3"));
            QCOMPARE(ud.position(), 0);
            dialog.edMaxCount->setText(QStringLiteral("07"));
            QTest::keyClick(dialog.edMaxCount, Qt::Key_Tab);
            QCOMPARE(dialog.edMaxCount->text(), QStringLiteral("7"));
            dialog.edMaxCount->setText(QString());
            dialog.edMaxCount->setFocus();
            QTest::keyClick(dialog.edMaxCount, Qt::Key_Tab);
            QCOMPARE(dialog.edMaxCount->text(), QStringLiteral("7"));

            // A typed number is taken at OK without leaving the box.
            dialog.edMaxCount->setFocus();
            dialog.edMaxCount->setText(QStringLiteral("42"));
            checked = true;
            dialog.BitBtn1->click();
        });
        QVERIFY(ExecuteOptionDialog(nullptr, Form()));
        QVERIFY(checked);
        QCOMPARE(Form().MaxCount, 42);
    }

    void colourFromDialog()
    {
        Form().BG_Color = 0x01102028;  // a high byte survives when the colour is not picked
        AnswerDialog([](TfmOption& dialog) { dialog.BitBtn1->click(); });
        QVERIFY(ExecuteOptionDialog(nullptr, Form()));
        QCOMPARE(Form().BG_Color, 0x01102028u);

        QColor offered;
        AnswerDialog([&](TfmOption& dialog) {
            QTimer::singleShot(0, [&] {
                auto* colours = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
                QVERIFY(colours);
                offered = colours->currentColor();
                colours->setCurrentColor(QColor(200, 100, 50));
                colours->accept();
            });
            QTest::mouseClick(dialog.stBG_Color, Qt::LeftButton);
            QCOMPARE(dialog.stBG_Color->palette().color(QPalette::Window), QColor(200, 100, 50));
            dialog.BitBtn1->click();
        });
        QVERIFY(ExecuteOptionDialog(nullptr, Form()));
        QCOMPARE(offered, QColor(0x28, 0x20, 0x10));
        QCOMPARE(Form().BG_Color, RGBColor(200, 100, 50));
    }

    void accessKeys()
    {
        bool checked = false;
        AnswerDialog([&](TfmOption& dialog) {
            QTest::keyClick(&dialog, Qt::Key_E, Qt::AltModifier);
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(dialog.sgCount));
            QVERIFY(!dialog.UpDown1->isHidden());
            QTest::keyClick(&dialog, Qt::Key_M, Qt::AltModifier);
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(dialog.edMaxCount));
            QVERIFY(dialog.UpDown1->isHidden());
            QTest::keyClick(&dialog, Qt::Key_B, Qt::AltModifier);
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(dialog.edBG_Bitmap));
            QTest::keyClick(&dialog, Qt::Key_I, Qt::AltModifier);
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(dialog.edSI_Bitmap));
            QTest::keyClick(&dialog, Qt::Key_C, Qt::AltModifier);
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(dialog.mmCaption));
            checked = true;
            dialog.BitBtn2->click();
        });
        ExecuteOptionDialog(nullptr, Form());
        QVERIFY(checked);
    }

    // Tab and Shift+Tab visit the controls that take the focus, top to bottom,
    // and skip the labels, the swatch, the arrows and the grid's own edit.
    void tabOrder()
    {
        const QStringList order{QStringLiteral("mmCaption"),   QStringLiteral("edSI_Bitmap"),
                                QStringLiteral("sgCount"),     QStringLiteral("edMaxCount"),
                                QStringLiteral("edBG_Bitmap"), QStringLiteral("cbBG_VTile"),
                                QStringLiteral("cbBG_HTile"),  QStringLiteral("BitBtn1"),
                                QStringLiteral("BitBtn2"),     QStringLiteral("mmCaption")};
        QStringList forward, backward;
        AnswerDialog([&](TfmOption& dialog) {
            forward << QApplication::focusWidget()->objectName();
            for (qsizetype i = 1; i < order.size(); ++i) {
                Key(dialog, Qt::Key_Tab);
                forward << QApplication::focusWidget()->objectName();
            }
            backward << QApplication::focusWidget()->objectName();
            for (qsizetype i = 1; i < order.size(); ++i) {
                Key(dialog, Qt::Key_Backtab, Qt::ShiftModifier);
                backward << QApplication::focusWidget()->objectName();
            }
            dialog.BitBtn2->click();
        });
        ExecuteOptionDialog(nullptr, Form());
        QCOMPARE(forward, order);
        std::reverse(backward.begin(), backward.end());
        QCOMPARE(backward, order);
    }
};

QTEST_MAIN(TOptionFmTest)
#include "OptionFmTest.moc"
