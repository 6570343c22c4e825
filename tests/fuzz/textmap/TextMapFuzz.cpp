// The text map reader on any bytes, read as the editor reads a file. Beyond
// surviving them: a map read and written is stable, so writing it, reading
// that back and writing again gives the same text, and a written map is
// whole. A string holding "[End]" is the one exception the format has: the
// reader cuts the first "[End]" out wherever it stands.
#include "fuzz/FuzzCheck.h"
#include "storage/TextMap.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace {

bool HoldsEnd(const TShortString& text)
{
    std::string upper = text.Str();
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; });
    return upper.find("[END]") != std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::optional<TTextMap> map = ReadTextMap(NormaliseTextLines(bytes));
    if (!map)
        return 0;
    // As the import takes the header's number: cut to 16 bits, within 0..99.
    const int number = std::clamp<int>(static_cast<std::int16_t>(map->StageNumber), 0, 99);
    const std::string written = WriteTextMap(map->Stage, number);
    const std::optional<TTextMap> again = ReadTextMap(written);
    Require(again.has_value(), "a written map has its header");
    Require(again->StageNumber == number, "a written map keeps its number");
    if (HoldsEnd(map->Stage.Caption) || HoldsEnd(map->Stage.BG_Bitmap) || HoldsEnd(map->Stage.SI_Bitmap))
        return 0;
    Require(again->FirstMissingLine.empty(), "a written map is whole");
    Require(WriteTextMap(again->Stage, number) == written, "write, read, write gives the same text");
    return 0;
}
