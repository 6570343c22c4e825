#pragma once
// Plain geometry shared by every layer. Rectangles run from Left/Top inclusive
// to Right/Bottom exclusive, as the desktop's own rectangles do.

#include <algorithm>
#include <cstdint>

struct TPoint {
    int X = 0;
    int Y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    friend bool operator==(const TRect&, const TRect&) = default;
};

inline TRect Bounds(int left, int top, int width, int height)
{
    return TRect{left, top, left + width, top + height};
}

// Two rectangles overlap when each one's left is less than the other's right and
// each one's top is less than the other's bottom: touching rectangles do not
// overlap and an empty rectangle overlaps nothing.
inline bool OverlapRect(const TRect& a, const TRect& b)
{
    return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

// The part of both rectangles (empty when they do not overlap).
inline TRect IntersectRect(const TRect& a, const TRect& b)
{
    return TRect{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
                 std::min(a.Bottom, b.Bottom)};
}

inline bool ContainsRect(const TRect& outer, const TRect& inner)
{
    return inner.Left >= outer.Left && inner.Top >= outer.Top && inner.Right <= outer.Right
           && inner.Bottom <= outer.Bottom;
}

// Rectangles come from callers: widths are computed in 64 bits so extreme
// coordinates cannot overflow.
inline bool ValidRect(const TRect& r)
{
    return static_cast<std::int64_t>(r.Right) > r.Left && static_cast<std::int64_t>(r.Bottom) > r.Top;
}

// A colour value as the stage stores it: low byte red, then green, then blue.
using TColor = std::uint32_t;

constexpr TColor RGBColor(unsigned red, unsigned green, unsigned blue)
{
    return (red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16);
}
constexpr unsigned RedOf(TColor c)
{
    return c & 0xFF;
}
constexpr unsigned GreenOf(TColor c)
{
    return (c >> 8) & 0xFF;
}
constexpr unsigned BlueOf(TColor c)
{
    return (c >> 16) & 0xFF;
}
