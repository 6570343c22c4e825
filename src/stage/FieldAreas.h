#pragma once
// The parts of the field that stages keep clear: the flag's square at the
// bottom centre and the two top corners. Random stages clear them, the stage
// check warns about what they hold, and the art generator draws its stages
// around them. Areas are in field cells (columns 0..39, rows 0..29).

#include "stage/TileCodes.h"

struct TFieldArea {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;

    constexpr bool Contains(int column, int row) const
    {
        return column >= Left && column < Left + Width && row >= Top && row < Top + Height;
    }
};

// Where the flag stands: columns 19..20, rows 28..29.
inline constexpr TFieldArea FlagSquare{19, 28, 2, 2};
// The flag's top-left pixel on the display: one pixel left of its square.
constexpr int FlagPixelX = 303;
constexpr int FlagPixelY = 448;
// The wall a random stage builds on three sides of the flag's square (the
// bottom is the field's edge): columns 18..21, rows 27..29.
inline constexpr TFieldArea FlagWall{FlagSquare.Left - 1, FlagSquare.Top - 1, FlagSquare.Width + 2,
                                     FlagSquare.Height + 1};
// The bottom centre a random stage clears in both layers before building
// that wall: columns 14..25, rows 26..29.
inline constexpr TFieldArea FlagGround{14, 26, 12, 4};

// The top corners, kept free of FG: rows 0..1 at columns 0..2 and 37..39.
// (A random stage clears their BG one row deeper, rows 0..2.)
inline constexpr TFieldArea TopCorners[2] = {{0, 0, 3, 2}, {FieldColumns - 3, 0, 3, 2}};
