#include "ui/FindDialog.h"

#include "ui/DialogFoot.h"
#include "ui/TilePicker.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TFindDialog::TFindDialog(const TSought& current, bool on, int brush, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FindDialog"));
    setWindowTitle(QStringLiteral("Find"));
    rbTile = new QRadioButton(QStringLiteral("&Tile:"), this);
    edTile = new TTilePicker(this);
    edTile->setObjectName(QStringLiteral("edTile"));
    rbCaption = new QRadioButton(QStringLiteral("&Caption:"), this);
    edCaption = new QLineEdit(this);
    edCaption->setObjectName(QStringLiteral("edCaption"));
    const bool caption = on && current.Codes.empty();
    (caption ? rbCaption : rbTile)->setChecked(true);
    edTile->setCurrentIndex(brush);
    if (on && !caption)
        edTile->setEditText(QString::fromStdString(current.Label).section(QLatin1Char(' '), 0, 0));
    if (caption)
        edCaption->setText(QString::fromLatin1(current.Caption.data(), static_cast<qsizetype>(current.Caption.size())));
    // Typing into a field chooses it.
    connect(edTile, &QComboBox::editTextChanged, rbTile, [this] { rbTile->setChecked(true); });
    connect(edCaption, &QLineEdit::textEdited, rbCaption, [this] { rbCaption->setChecked(true); });

    auto* fields = new QGridLayout;
    fields->addWidget(rbTile, 0, 0);
    fields->addWidget(edTile, 0, 1);
    fields->addWidget(rbCaption, 1, 0);
    fields->addWidget(edCaption, 1, 1);
    fields->setColumnStretch(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    const TDialogFoot foot = AddDialogFoot(*this, *layout, QStringLiteral("Find"), [this] { FindClick(); });
    stProblem = foot.Problem;
    btFind = foot.Button;
    if (on) {
        btStop = foot.Buttons->addButton(QStringLiteral("Stop Finding"), QDialogButtonBox::ResetRole);
        connect(btStop, &QPushButton::clicked, this, [this] { done(StopFinding); });
    }
    setMinimumWidth(320);
    if (caption)
        edCaption->setFocus();
    else
        edTile->setFocus();
}

void TFindDialog::FindClick()
{
    TSought sought;
    if (rbTile->isChecked()) {
        TTileChoice choice;
        if (!edTile->Choice(choice)) {
            stProblem->setText(edTile->Problem());
            return;
        }
        sought.Codes = choice.Codes;
        sought.Label = edTile->Label().toStdString();
    } else {
        const QString text = edCaption->text();
        if (text.isEmpty() || !Latin1FromUtf8(text.toStdString(), sought.Caption)) {
            stProblem->setText(text.isEmpty() ? QStringLiteral("Type the text to find in the captions")
                                              : QStringLiteral("No caption can hold \"%1\": captions hold Latin-1 "
                                                               "characters only")
                                                    .arg(text));
            return;
        }
        sought.Label = "caption \"" + text.toStdString() + "\"";
    }
    FSought = std::move(sought);
    accept();
}
