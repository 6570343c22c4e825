#include "ui/TilePicker.h"

#include "stage/Palette.h"
#include "ui/Art.h"

#include <QIcon>

TTilePicker::TTilePicker(QWidget* parent) : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setIconSize(QSize(16, 16));
    for (int button = 0; button < PaletteButtonCount; ++button) {
        const QString name = button == 0 ? QStringLiteral("empty")
                                         : QString::fromLatin1(BrushNames[static_cast<std::size_t>(button)].data(),
                                                               BrushNames[static_cast<std::size_t>(button)].size());
        addItem(QIcon(ToolButtonImage(button)), name);
        const int first = BrushFirstCode(button);
        const int last = first + BrushCodeCount(button) - 1;
        setItemData(
            button,
            first == last ? QStringLiteral("code %1").arg(first) : QStringLiteral("codes %1..%2").arg(first).arg(last),
            Qt::ToolTipRole);
    }
    setToolTip(QStringLiteral("A brush, or a tile code (\"24\")"));
}

bool TTilePicker::Choice(TTileChoice& choice) const
{
    return ParseTileChoice(currentText().trimmed().toLower().toStdString(), choice);
}

QString TTilePicker::Label() const
{
    TTileChoice choice;
    if (!Choice(choice))
        return currentText();
    return choice.Brush > 0 ? currentText().trimmed().toLower()
                            : QString::fromStdString(TileText(choice.Codes.front()));
}

QString TTilePicker::Problem() const
{
    return QStringLiteral("\"%1\" is no tile: pick a brush, or type a code (\"24\") or \"empty\"")
        .arg(currentText().trimmed());
}
