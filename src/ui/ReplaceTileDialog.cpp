#include "ui/ReplaceTileDialog.h"

#include "ui/DialogFoot.h"
#include "ui/TilePicker.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
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

    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("&Replace:"), edFrom);
    fields->addRow(QStringLiteral("&With:"), edTo);
    fields->addRow(QStringLiteral("Layer:"), layers);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(
        new QLabel(QStringLiteral("Replaces a tile in every cell that holds it, %1, as one step.").arg(where), this));
    layout->addLayout(fields);
    const TDialogFoot foot = AddDialogFoot(*this, *layout, QStringLiteral("Replace"), [this] { ReplaceClick(); });
    stProblem = foot.Problem;
    btReplace = foot.Button;
    setMinimumWidth(340);
}

QString TReplaceTileDialog::Label() const
{
    return QStringLiteral("%1 with %2").arg(edFrom->Label(), edTo->Label());
}

void TReplaceTileDialog::ReplaceClick()
{
    TTileReplace replace;
    if (!edFrom->Choice(replace.From) || !edTo->Choice(replace.To)) {
        stProblem->setText((edFrom->Choice(replace.From) ? edTo : edFrom)->Problem());
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
