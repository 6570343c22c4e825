#pragma once
// The desktop's system colours. A colour value with its high bit set names a
// system colour (button face, window, window text, highlight, ...) by the
// index in its low byte, the other bits not counting, instead of giving red,
// green and blue; whatever draws with such a value resolves it to the colour
// the desktop uses now. The table starts with the classic desktop scheme;
// the windows layer fills it from the desktop's palette at start-up.

#include "platform/Types.h"

constexpr TColor SystemColorFlag = 0x80000000u;
constexpr int SystemColorCount = 31;  // indices 0..30; 25 names no colour

constexpr bool IsSystemColor(TColor color)
{
    return (color & SystemColorFlag) != 0;
}

// The system colours by their desktop index.
constexpr TColor clScrollBar = SystemColorFlag | 0;
constexpr TColor clBackground = SystemColorFlag | 1;
constexpr TColor clActiveCaption = SystemColorFlag | 2;
constexpr TColor clInactiveCaption = SystemColorFlag | 3;
constexpr TColor clMenu = SystemColorFlag | 4;
constexpr TColor clWindow = SystemColorFlag | 5;
constexpr TColor clWindowFrame = SystemColorFlag | 6;
constexpr TColor clMenuText = SystemColorFlag | 7;
constexpr TColor clWindowText = SystemColorFlag | 8;
constexpr TColor clCaptionText = SystemColorFlag | 9;
constexpr TColor clActiveBorder = SystemColorFlag | 10;
constexpr TColor clInactiveBorder = SystemColorFlag | 11;
constexpr TColor clAppWorkSpace = SystemColorFlag | 12;
constexpr TColor clHighlight = SystemColorFlag | 13;
constexpr TColor clHighlightText = SystemColorFlag | 14;
constexpr TColor clBtnFace = SystemColorFlag | 15;
constexpr TColor clBtnShadow = SystemColorFlag | 16;
constexpr TColor clGrayText = SystemColorFlag | 17;
constexpr TColor clBtnText = SystemColorFlag | 18;
constexpr TColor clInactiveCaptionText = SystemColorFlag | 19;
constexpr TColor clBtnHighlight = SystemColorFlag | 20;
constexpr TColor cl3DDkShadow = SystemColorFlag | 21;
constexpr TColor cl3DLight = SystemColorFlag | 22;
constexpr TColor clInfoText = SystemColorFlag | 23;
constexpr TColor clInfoBk = SystemColorFlag | 24;
constexpr TColor clHotLight = SystemColorFlag | 26;
constexpr TColor clGradientActiveCaption = SystemColorFlag | 27;
constexpr TColor clGradientInactiveCaption = SystemColorFlag | 28;
constexpr TColor clMenuHighlight = SystemColorFlag | 29;
constexpr TColor clMenuBar = SystemColorFlag | 30;

// A colour value as red, green and blue: a system colour becomes its current
// colour (black for an index that names none, as the desktop answers), any
// other value is returned as it is.
TColor ColorToRGB(TColor color);

// Sets the current colour of a system colour (one of the values above);
// values that name no system colour are ignored.
void SetSystemColor(TColor systemColor, TColor rgb);
// Puts back the classic scheme the table starts with.
void ResetSystemColors();
