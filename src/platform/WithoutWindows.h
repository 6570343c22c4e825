#pragma once
// The platform for a program that shows no window (stagetool).

// Draws off screen whatever display the environment names, so the program
// needs none and never waits for one, and keeps the libraries' own messages
// (Qt's notes on palettes, runtime folders, fonts) off the terminal: the
// program's standard error carries its own messages only. Call first in
// main, before anything is drawn.
void UseWithoutWindows();
