#include "stage/TileNotation.h"

#include "stage/Palette.h"

#include <charconv>
#include <limits>

std::string_view TileName(int code)
{
    if (code == EmptyCode)
        return "empty";
    if (InCodeRange(code, 16, 23))
        return "shadow";
    if (code == BorderCode)
        return "border";
    const int button = BrushOfCode(code);
    return button > 0 ? BrushNames[static_cast<std::size_t>(button)] : std::string_view();
}

std::string TileText(int code)
{
    std::string text = std::to_string(code);
    if (const std::string_view name = TileName(code); !name.empty()) {
        text += ' ';
        text += name;
    }
    return text;
}

bool ParseTileChoice(std::string_view text, TTileChoice& choice)
{
    if (text == "empty") {
        choice = {{EmptyCode}, -1};
        return true;
    }
    for (int button = 1; button < PaletteButtonCount; ++button) {
        if (text != BrushNames[static_cast<std::size_t>(button)])
            continue;
        TTileChoice named{{}, button};
        for (int i = 0; i < BrushCodeCount(button); ++i)
            named.Codes.push_back(BrushFirstCode(button) + i);
        choice = std::move(named);
        return true;
    }
    int code = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), code);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()
        || code < std::numeric_limits<std::int16_t>::min() || code > std::numeric_limits<std::int16_t>::max())
        return false;
    choice = {{code}, -1};
    return true;
}
