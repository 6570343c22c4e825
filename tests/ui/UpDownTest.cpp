// The up-down arrows with their buddy edit box, on their own: the range,
// the step and its direction, the lazy reading of typed text, the focus.

#include "ui/UpDown.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

class UpDownTest : public QObject {
    Q_OBJECT

private slots:
    void upDownControl()
    {
        QWidget parent;
        QLineEdit buddy(&parent);
        TUpDown ud(&buddy, &parent);
        ud.setRange(0, 99);
        ud.setIncrement(-1);
        QSignalSpy changes(&ud, &TUpDown::positionChanged);
        QSignalSpy edits(&buddy, &QLineEdit::textChanged);
        QCOMPARE(buddy.text(), QStringLiteral("0"));

        ud.setPosition(120);
        QCOMPARE(ud.position(), 99);
        QCOMPARE(buddy.text(), QStringLiteral("99"));
        ud.setPosition(-4);
        QCOMPARE(ud.position(), 0);
        QCOMPARE(changes.count(), 2);
        ud.setPosition(0);  // unchanged: no signal, the buddy is not rewritten
        QCOMPARE(changes.count(), 2);
        QCOMPARE(edits.count(), 2);
        ud.stepUp();
        QCOMPARE(ud.position(), 0);  // no wrap-around
        ud.stepDown();
        QCOMPARE(ud.position(), 1);
        QCOMPARE(changes.last().at(0).toInt(), 1);

        buddy.setText(QStringLiteral("55"));
        QCOMPARE(ud.position(), 55);
        for (const char* invalid : {"", "abc", "100", "-1", "5x"}) {
            buddy.setText(QString::fromLatin1(invalid));
            QCOMPARE(ud.position(), 55);
        }
        ud.stepDown();  // steps from the last valid value and rewrites the text
        QCOMPARE(buddy.text(), QStringLiteral("56"));

        // The arrows never take the focus.
        QCOMPARE(ud.focusPolicy(), Qt::NoFocus);
        QCOMPARE(ud.upButton()->focusPolicy(), Qt::NoFocus);
        QCOMPARE(ud.downButton()->focusPolicy(), Qt::NoFocus);
    }
};

QTEST_MAIN(UpDownTest)
#include "UpDownTest.moc"
