#include "ui/FindDialog.h"

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
    stProblem = new QLabel(this);
    stProblem->setWordWrap(true);
    stProblem->setStyleSheet(QStringLiteral("color: #b00000"));
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

    auto* buttons = new QDialogButtonBox(this);
    btFind = buttons->addButton(QStringLiteral("Find"), QDialogButtonBox::AcceptRole);
    if (on) {
        btStop = buttons->addButton(QStringLiteral("Stop Finding"), QDialogButtonBox::ResetRole);
    }
    buttons->addButton(QDialogButtonBox::Cancel);
    btFind->setDefault(true);
    connect(btFind, &QPushButton::clicked, this, &TFindDialog::FindClick);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* fields = new QGridLayout;
    fields->addWidget(rbTile, 0, 0);
    fields->addWidget(edTile, 0, 1);
    fields->addWidget(rbCaption, 1, 0);
    fields->addWidget(edCaption, 1, 1);
    fields->setColumnStretch(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(stProblem);
    layout->addWidget(buttons);
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
        TTileSpec spec;
        if (!edTile->Spec(spec)) {
            stProblem->setText(edTile->Problem());
            return;
        }
        sought.Codes = spec.Codes;
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
