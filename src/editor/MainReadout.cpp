// The cursor readout (F2): what lies under the pointer, as the strip below
// the display shows it. Built in a fixed buffer, since each drawn frame with
// the readout on builds it.
#include "editor/Main.h"

#include "stage/TileNotation.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <string_view>

namespace {

// Text appended into a buffer of ReadoutSize bytes, cut short rather than overrun.
class TReadoutText {
public:
    explicit TReadoutText(char* out) : FAt(out), FEnd(out + ReadoutSize - 1) { *FAt = '\0'; }

    TReadoutText& operator<<(std::string_view text)
    {
        const std::size_t n = std::min(text.size(), static_cast<std::size_t>(FEnd - FAt));
        FAt = std::copy_n(text.data(), n, FAt);
        *FAt = '\0';
        return *this;
    }
    TReadoutText& operator<<(int number)
    {
        char digits[12];
        const auto result = std::to_chars(digits, digits + sizeof digits, number);
        return *this << std::string_view(digits, static_cast<std::size_t>(result.ptr - digits));
    }
    // "24 brick", "-1 empty", or the code alone when nothing names it.
    TReadoutText& Tile(int code)
    {
        *this << code;
        if (const std::string_view name = TileName(code); !name.empty())
            *this << " " << name;
        return *this;
    }

private:
    char* FAt;
    char* FEnd;
};

constexpr std::string_view Separator = " \u00b7 ";

}  // namespace

bool TMainForm::PointerOnField() const
{
    return FPointerOnDisplay && FPointer.X >= 0 && FPointer.Y >= 0 && FPointer.X < DisplayWidth
           && FPointer.Y < DisplayHeight;
}

void TMainForm::FormatReadout(char* out) const
{
    TReadoutText text(out);
    if (!PointerOnField())
        return;
    const int column = FPointer.X / 16, row = FPointer.Y / 16;
    text << column << ", " << row << Separator << "BG ";
    text.Tile(BGLayer->Cell(column + 1, row + 1)) << Separator << "FG ";
    text.Tile(FGLayer->Cell(column + 1, row + 1));
    if (const int shadow = ShadowLayer->Cell(column, row); shadow != EmptyCode)
        text << Separator << "shadow " << shadow;
    if (ToolMode != TToolMode::Select)
        return;
    // The rectangle being dragged, as the release will select it, else the selection.
    int columns = (SelRect.Right - SelRect.Left) / 16, rows = (SelRect.Bottom - SelRect.Top) / 16;
    if (DownPos.X >= 0 && DownPos.Y >= 0) {
        columns = std::abs(MousePos.X / 16 - DownPos.X / 16) + 1;
        rows = std::abs(MousePos.Y / 16 - DownPos.Y / 16) + 1;
    }
    text << Separator << "selection " << columns << " x " << rows;
}

std::string TMainForm::ReadoutText() const
{
    std::array<char, ReadoutSize> text;
    FormatReadout(text.data());
    return text.data();
}
