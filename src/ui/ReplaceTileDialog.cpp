#include "ui/ReplaceTileDialog.h"

#include "ui/TilePicker.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TReplaceTileDialog::TReplaceTileDialog(const QString& where, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ReplaceTileDialog"));
    setWindowTitle(QStringLiteral("Replace Tile"));
    edFrom = new TTilePicker(this);
    edFrom->setObjectName(QStringLiteral("edFrom"));
    edTo = new TTilePicker(this);
    edTo->setObjectName(QStringLiteral("edTo"));
    edTo->setCurrentIndex(1);
    rbBrushLayer = new QRadioButton(QStringLiteral("As the brush paints"), this);
    rbBG = new QRadioButton(QStringLiteral("BG"), this);
    rbFG = new QRadioButton(QStringLiteral("FG"), this);
    rbBrushLayer->setChecked(true);
    auto* layers = new QHBoxLayout;
    for (QRadioButton* layer : {rbBrushLayer, rbBG, rbFG})
        layers->addWidget(layer);
    stProblem = new QLabel(this);
    stProblem->setWordWrap(true);
    stProblem->setStyleSheet(QStringLiteral("color: #b00000"));

    auto* buttons = new QDialogButtonBox(this);
    btReplace = buttons->addButton(QStringLiteral("Replace"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QDialogButtonBox::Cancel);
    btReplace->setDefault(true);
    connect(btReplace, &QPushButton::clicked, this, &TReplaceTileDialog::ReplaceClick);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("&Replace:"), edFrom);
    fields->addRow(QStringLiteral("&With:"), edTo);
    fields->addRow(QStringLiteral("Layer:"), layers);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Every cell holding the tile, %1, as one step.").arg(where), this));
    layout->addLayout(fields);
    layout->addWidget(stProblem);
    layout->addWidget(buttons);
    setMinimumWidth(340);
}

QString TReplaceTileDialog::Label() const
{
    return QStringLiteral("%1 with %2").arg(edFrom->Label(), edTo->Label());
}

void TReplaceTileDialog::ReplaceClick()
{
    TTileReplace replace;
    if (!edFrom->Spec(replace.From) || !edTo->Spec(replace.To)) {
        stProblem->setText((edFrom->Spec(replace.From) ? edTo : edFrom)->Problem());
        return;
    }
    const std::optional<TStageLayer> brushLayer = ReplaceLayerOf(replace.From);
    if (rbBrushLayer->isChecked() && !brushLayer) {
        stProblem->setText(QStringLiteral("%1 belongs to no one layer: pick BG or FG").arg(edFrom->Label()));
        return;
    }
    replace.Layer = rbBG->isChecked() ? TStageLayer::BG : rbFG->isChecked() ? TStageLayer::FG : *brushLayer;
    if (const std::string problem = TileReplaceProblem(replace); !problem.empty()) {
        stProblem->setText(QString::fromStdString(problem));
        return;
    }
    FReplace = std::move(replace);
    accept();
}
