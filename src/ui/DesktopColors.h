#pragma once
// The desktop's colour scheme handed to the display platform, so that a
// system colour value (button face, window, highlight, ...) draws in the
// colour the desktop shows.

class QPalette;

// Fills the platform's system colour table from the palette's roles.
void InstallDesktopColors(const QPalette& palette);
