#include "ui/ErrorReport.h"

#include <QApplication>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>

#include <exception>
#include <utility>

namespace {

// Reports queued and not shown yet.
QStringList& PendingReports()
{
    static QStringList pending;
    return pending;
}

void ShowPendingReports()
{
    // Taken first: a report queued while a box is open gets its own turn.
    const QStringList reports = std::exchange(PendingReports(), {});
    for (const QString& text : reports)
        ShowErrorReport(text);
}

}  // namespace

void ShowErrorReport(const QString& text)
{
    QMessageBox box(QMessageBox::Critical, QApplication::applicationName(), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setObjectName("ErrorReport");
    box.exec();
}

void QueueErrorReport(const QString& text)
{
    QStringList& pending = PendingReports();
    if (pending.contains(text))
        return;
    pending.append(text);
    if (pending.size() == 1)
        QTimer::singleShot(0, QCoreApplication::instance(), &ShowPendingReports);
}

void RunGuarded(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const std::exception& error) {
        ShowErrorReport(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        ShowErrorReport(QStringLiteral("Unknown error"));
    }
}

namespace {

void ShowMessage(QWidget* parent, QMessageBox::Icon icon, const char* name, const QString& title, const QString& text,
                 const QString& detail, QMessageBox::StandardButtons buttons)
{
    QMessageBox box(icon, title, text, buttons, parent);
    box.setObjectName(QString::fromLatin1(name));
    box.setInformativeText(detail);
    box.exec();
}

}  // namespace

void ShowFailureMessage(QWidget* parent, const QString& title, const QString& text, const QString& detail)
{
    ShowMessage(parent, QMessageBox::NoIcon, "FailureMessage", title, text, detail,
                QMessageBox::Ok | QMessageBox::Cancel);
}

void ShowNotice(QWidget* parent, const QString& title, const QString& text, const QString& detail)
{
    ShowMessage(parent, QMessageBox::Information, "Notice", title, text, detail, QMessageBox::Ok);
}
