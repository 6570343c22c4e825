#include "ui/StageViews.h"

#include "editor/Main.h"
#include "ui/DisplayText.h"
#include "ui/ErrorReport.h"
#include "ui/StageCompare.h"
#include "ui/StagesFm.h"

#include <QAction>
#include <QFile>
#include <QFileDialog>
#include <QMenu>

TStageViews::TStageViews(TfmStages& window, QMenu& menu)
    : QObject(&window), FWindow(window), FCompare(new TStageCompare(this))
{
    auto add = [this, &menu](const QString& text, const QKeySequence& keys, auto handler) {
        QAction* action = menu.addAction(text);
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WidgetShortcut);  // shown only: the window forwards the keys
        connect(action, &QAction::triggered, this, [handler] { RunGuarded(handler); });
        return action;
    };
    menu.addSeparator();
    acFind = add(QStringLiteral("Find\u2026"), QKeySequence(Qt::CTRL | Qt::Key_F), [this] { FForm->Host.OpenFind(); });
    acFindNext =
        add(QStringLiteral("Find Next"), QKeySequence(Qt::Key_F3), [this] { FForm->Document.OpenFound(true); });
    acFindPrevious = add(QStringLiteral("Find Previous"), QKeySequence(Qt::SHIFT | Qt::Key_F3),
                         [this] { FForm->Document.OpenFound(false); });
    acStopFinding = add(QStringLiteral("Stop Finding"), {}, [this] { FForm->Document.StopFinding(); });
    menu.addSeparator();
    acCompareWith = add(QStringLiteral("Compare With\u2026"), {}, [this] { CompareWithClick(); });
    acCompareCommit = add(QStringLiteral("Compare With Last Commit"), {}, [this] { CompareCommitClick(); });
    acStopComparing = add(QStringLiteral("Stop Comparing"), {}, [this] { FCompare->Stop(); });
    connect(FCompare, &TStageCompare::ReadAgainFailed, this, [this](const QString& why) {
        FWindow.ShowOutcome(QStringLiteral("Cannot compare again (%1); the marks are as before").arg(why));
    });

    CompareDialog = new QFileDialog(&window, QStringLiteral("Compare With"));
    CompareDialog->setObjectName(QStringLiteral("CompareDialog"));
    CompareDialog->setOption(QFileDialog::DontUseNativeDialog);
    CompareDialog->setFileMode(QFileDialog::ExistingFile);
    CompareDialog->setNameFilters({QStringLiteral("Stage files (*.dat *.DAT *.Dat)"), QStringLiteral("All files (*)")});
}

void TStageViews::SetMainForm(TMainForm* form)
{
    FForm = form;
    FCompare->SetMainForm(form);
}

void TStageViews::UpdateActions()
{
    const bool finding = FForm && FForm->Document.Search().On();
    const bool comparing = FForm && FForm->Document.Comparison().On();
    acFind->setEnabled(FForm);
    for (QAction* action : {acFindNext, acFindPrevious, acStopFinding})
        action->setEnabled(finding);
    acCompareWith->setEnabled(FForm);
    acCompareCommit->setVisible(FForm && TStageCompare::InWorkingTree(FForm->Document.GameFolder()));
    acStopComparing->setEnabled(comparing);
}

QString TStageViews::StatusText() const
{
    if (!FForm)
        return {};
    QStringList parts;
    if (const TStageComparison& comparison = FForm->Document.Comparison(); comparison.On()) {
        QStringList kinds;
        for (const TStageChangeKind kind :
             {TStageChangeKind::Changed, TStageChangeKind::Moved, TStageChangeKind::Added, TStageChangeKind::Removed})
            if (const int count = comparison.Count(kind))
                kinds.append(QStringLiteral("%1 %2").arg(count).arg(QString::fromLatin1(StageChangeName(kind))));
        const QString source = QString::fromStdString(comparison.Source());
        parts.append(kinds.isEmpty()
                         ? QStringLiteral("Same as %1").arg(source)
                         : QStringLiteral("Compared with %1: %2").arg(source, kinds.join(QStringLiteral(", "))));
    }
    if (const TTileSearch& search = FForm->Document.Search(); search.On()) {
        QString found =
            QStringLiteral("Found %1: %2")
                .arg(QString::fromStdString(search.Sought().Label), Counted(search.Stages(), QStringLiteral("stage")));
        if (!search.Sought().Codes.empty())
            found += QStringLiteral(", ") + Counted(search.Cells(), QStringLiteral("cell"));
        parts.append(found);
    }
    return parts.join(QStringLiteral(" \u00b7 "));
}

void TStageViews::CannotCompare(const QString& why) const
{
    ShowNotice(&FWindow, QStringLiteral("Stages"), QStringLiteral("Cannot compare the stages."),
               Sentence(why) + QStringLiteral(" Nothing was changed."));
}

void TStageViews::CompareWithClick()
{
    CompareDialog->setDirectory(PathText(FForm->Document.GameFolder()));
    if (CompareDialog->exec() != QDialog::Accepted || CompareDialog->selectedFiles().isEmpty())
        return;
    QString why;
    if (!FCompare->CompareWithFile(QFile::encodeName(CompareDialog->selectedFiles().constFirst()).toStdString(), why))
        CannotCompare(why);
}

void TStageViews::CompareCommitClick()
{
    QString why;
    if (!FCompare->CompareWithLastCommit(why))
        CannotCompare(why);
}
