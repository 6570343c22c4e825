#include "ui/Fonts.h"

#include <QStringList>

void InstallFontSubstitutions()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    // Each list is tried in order; the later entries cover machines without the
    // first choice.
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Nimbus Sans"), QStringLiteral("DejaVu Sans")});
    // A bitmap-looking monospace face first, as the original is a bitmap font.
    QFont::insertSubstitutions(
        QStringLiteral("Fixedsys"),
        {QStringLiteral("Terminus"), QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Noto Mono")});
}

QFont FormFont()
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSize(8);
    return font;
}
