#include "ui/CaptionMemo.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMimeData>

namespace {

// Length as the memo counts it: a line break is CR LF, two characters.
int MemoLength(QString text)
{
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return static_cast<int>(text.size() + text.count(QLatin1Char('\n')));
}

}  // namespace

TCaptionMemo::TCaptionMemo(QWidget* parent) : QPlainTextEdit(parent)
{
    setTabChangesFocus(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
}

QString TCaptionMemo::Text() const
{
    QString text = toPlainText();
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

void TCaptionMemo::SetText(const QString& text)
{
    QString plain = text;
    plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    setPlainText(plain);
}

int TCaptionMemo::Room() const
{
    return MaxLength - MemoLength(toPlainText()) + MemoLength(textCursor().selectedText());
}

void TCaptionMemo::keyPressEvent(QKeyEvent* event)
{
    QString insert;
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        insert = QStringLiteral("\n");
    else if (!(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) && !event->text().isEmpty()
             && event->text().at(0).isPrint())
        insert = event->text();
    if (!insert.isEmpty() && MemoLength(insert) > Room()) {
        QApplication::beep();
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void TCaptionMemo::insertFromMimeData(const QMimeData* source)
{
    if (!source || !source->hasText())
        return;
    QString text = source->text();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    // Pasted text is cut to what fits; a line break goes in whole or not at all.
    int room = Room();
    qsizetype keep = 0;
    while (keep < text.size()) {
        const int cost = text.at(keep) == QLatin1Char('\n') ? 2 : 1;
        if (cost > room)
            break;
        room -= cost;
        ++keep;
    }
    insertPlainText(text.left(keep));
}
