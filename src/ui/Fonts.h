#pragma once
// The window fonts. The windows ask for the families the stage designers'
// desktop had ("MS Sans Serif", "Fixedsys"); these are mapped to installed
// families once, before the first window is made.

#include <QFont>

// Idempotent; call once at start-up (and in window tests).
void InstallFontSubstitutions();

// "MS Sans Serif" 8 point: the font of every form unless a control says otherwise.
QFont FormFont();
