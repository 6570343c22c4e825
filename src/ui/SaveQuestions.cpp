#include "ui/SaveQuestions.h"

#include <QApplication>
#include <QDateTime>
#include <QMessageBox>
#include <QPushButton>

#include <memory>

namespace {

QString Number(int number)
{
    return QStringLiteral("%1").arg(number, 2, 10, QLatin1Char('0'));
}

// A box with the buttons added by the caller; captions are set here rather
// than taken from the platform's standard buttons, which a desktop theme may
// rename.
QMessageBox* MakeBox(QWidget* parent, const char* name, const QString& text)
{
    auto* box =
        new QMessageBox(QMessageBox::Warning, QApplication::applicationName(), text, QMessageBox::NoButton, parent);
    box->setAttribute(Qt::WA_DeleteOnClose, false);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

}  // namespace

QString CaptionText(const TShortString& caption)
{
    return QString::fromLatin1(caption.Str());
}

TUnsavedAnswer AskUnsavedChanges(QWidget* parent, int number, const QString& caption)
{
    const std::unique_ptr<QMessageBox> box(
        MakeBox(parent, "UnsavedQuestion",
                QStringLiteral("Stage %1 (%2) has changes that are not saved.").arg(Number(number), caption)));
    QPushButton* save = box->addButton(QStringLiteral("Save"), QMessageBox::AcceptRole);
    QPushButton* discard = box->addButton(QStringLiteral("Discard"), QMessageBox::DestructiveRole);
    QPushButton* cancel = box->addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    box->setDefaultButton(save);
    box->setEscapeButton(cancel);
    box->exec();
    if (box->clickedButton() == save)
        return TUnsavedAnswer::Save;
    if (box->clickedButton() == discard)
        return TUnsavedAnswer::Discard;
    return TUnsavedAnswer::Cancel;
}

bool AskReplaceStage(QWidget* parent, int number, const QString& fileName, const QString& fileCaption,
                     const QString& liveCaption)
{
    const std::unique_ptr<QMessageBox> box(MakeBox(parent, "ReplaceQuestion",
                                                   QStringLiteral("Stage %1 in %2 is \"%3\". Replace it with \"%4\"?")
                                                       .arg(Number(number), fileName, fileCaption, liveCaption)));
    QPushButton* replace = box->addButton(QStringLiteral("Replace"), QMessageBox::AcceptRole);
    QPushButton* cancel = box->addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    box->setDefaultButton(cancel);
    box->setEscapeButton(cancel);
    box->exec();
    return box->clickedButton() == replace;
}

TRestoreAnswer AskRestoreCopy(QWidget* parent, int number, const QString& fileName, std::int64_t when)
{
    const QString time = QDateTime::fromSecsSinceEpoch(when).toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    const std::unique_ptr<QMessageBox> box(
        MakeBox(parent, "RestoreQuestion",
                QStringLiteral("Stage %1 of %2 has unsaved changes from %3. Restore them?")
                    .arg(Number(number), fileName, time)));
    QPushButton* restore = box->addButton(QStringLiteral("Restore"), QMessageBox::AcceptRole);
    QPushButton* discard = box->addButton(QStringLiteral("Discard"), QMessageBox::DestructiveRole);
    QPushButton* later = box->addButton(QStringLiteral("Later"), QMessageBox::RejectRole);
    box->setDefaultButton(restore);
    box->setEscapeButton(later);
    box->exec();
    if (box->clickedButton() == restore)
        return TRestoreAnswer::Restore;
    if (box->clickedButton() == discard)
        return TRestoreAnswer::Discard;
    return TRestoreAnswer::Later;
}
