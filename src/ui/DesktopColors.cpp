#include "ui/DesktopColors.h"

#include "platform/SystemColors.h"

#include <QPalette>

namespace {

TColor FromQColor(const QColor& color)
{
    return RGBColor(static_cast<unsigned>(color.red()), static_cast<unsigned>(color.green()),
                    static_cast<unsigned>(color.blue()));
}

}  // namespace

// Colours the palette has no role for (the desktop, caption gradients) keep
// their classic values.
void InstallDesktopColors(const QPalette& palette)
{
    const struct {
        TColor System;
        QPalette::ColorGroup Group;
        QPalette::ColorRole Role;
    } roles[] = {
        {clScrollBar, QPalette::Active, QPalette::Button},
        {clActiveCaption, QPalette::Active, QPalette::Highlight},
        {clInactiveCaption, QPalette::Inactive, QPalette::Highlight},
        {clMenu, QPalette::Active, QPalette::Window},
        {clWindow, QPalette::Active, QPalette::Base},
        {clWindowFrame, QPalette::Active, QPalette::Shadow},
        {clMenuText, QPalette::Active, QPalette::WindowText},
        {clWindowText, QPalette::Active, QPalette::Text},
        {clCaptionText, QPalette::Active, QPalette::HighlightedText},
        {clActiveBorder, QPalette::Active, QPalette::Button},
        {clInactiveBorder, QPalette::Inactive, QPalette::Button},
        {clAppWorkSpace, QPalette::Active, QPalette::Dark},
        {clHighlight, QPalette::Active, QPalette::Highlight},
        {clHighlightText, QPalette::Active, QPalette::HighlightedText},
        {clBtnFace, QPalette::Active, QPalette::Button},
        {clBtnShadow, QPalette::Active, QPalette::Dark},
        {clGrayText, QPalette::Disabled, QPalette::Text},
        {clBtnText, QPalette::Active, QPalette::ButtonText},
        {clInactiveCaptionText, QPalette::Inactive, QPalette::HighlightedText},
        {clBtnHighlight, QPalette::Active, QPalette::Light},
        {cl3DDkShadow, QPalette::Active, QPalette::Shadow},
        {cl3DLight, QPalette::Active, QPalette::Midlight},
        {clInfoText, QPalette::Active, QPalette::ToolTipText},
        {clInfoBk, QPalette::Active, QPalette::ToolTipBase},
        {clHotLight, QPalette::Active, QPalette::Link},
        {clMenuHighlight, QPalette::Active, QPalette::Highlight},
        {clMenuBar, QPalette::Active, QPalette::Window},
    };
    for (const auto& r : roles)
        SetSystemColor(r.System, FromQColor(palette.color(r.Group, r.Role)));
}
