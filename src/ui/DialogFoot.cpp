#include "ui/DialogFoot.h"

#include <QBoxLayout>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>

TDialogFoot AddDialogFoot(QDialog& dialog, QBoxLayout& layout, const QString& caption, std::function<void()> act)
{
    TDialogFoot foot;
    foot.Problem = new QLabel(&dialog);
    foot.Problem->setWordWrap(true);
    foot.Problem->setStyleSheet(QStringLiteral("color: #b00000"));
    foot.Buttons = new QDialogButtonBox(&dialog);
    foot.Button = foot.Buttons->addButton(caption, QDialogButtonBox::AcceptRole);
    foot.Buttons->addButton(QDialogButtonBox::Cancel);
    foot.Button->setDefault(true);
    QObject::connect(foot.Button, &QPushButton::clicked, &dialog, std::move(act));
    QObject::connect(foot.Buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout.addWidget(foot.Problem);
    layout.addWidget(foot.Buttons);
    return foot;
}
