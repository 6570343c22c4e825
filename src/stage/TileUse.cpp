#include "stage/TileUse.h"

#include "stage/Palette.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace {

constexpr int CodeRange = 1 << 16;  // every code a record's cell may hold
constexpr int LowestCode = std::numeric_limits<std::int16_t>::min();

// Latin-1 letters in lower case: A-Z and À..Þ but the multiplication sign.
char Folded(char ch)
{
    const auto byte = static_cast<unsigned char>(ch);
    if (byte == LineBreakMark)
        return ' ';
    if ((byte >= 'A' && byte <= 'Z') || (byte >= 0xC0 && byte <= 0xDE && byte != 0xD7))
        return static_cast<char>(byte + 0x20);
    return ch;
}

const std::int16_t (&Cells(const StageRecord& record, TStageLayer layer))[FieldColumns][FieldRows]
{
    return layer == TStageLayer::BG ? record.BG : record.FG;
}

}  // namespace

std::optional<TStageLayer> PaintedLayer(int code)
{
    const int button = BrushOfCode(code);
    if (button <= 0)
        return std::nullopt;
    return BrushFirstCode(button) < FirstFGCode ? TStageLayer::BG : TStageLayer::FG;
}

const char* LayerName(TStageLayer layer)
{
    return layer == TStageLayer::BG ? "BG" : "FG";
}

TTileCells FindTileCells(const StageRecord& record, TStageLayer layer, const std::vector<int>& codes)
{
    TTileCells found;
    const auto& cells = Cells(record, layer);
    for (int y = 0; y < FieldRows; ++y)
        for (int x = 0; x < FieldColumns; ++x) {
            if (std::find(codes.begin(), codes.end(), cells[x][y]) == codes.end())
                continue;
            if (found.Count < ListedCells)
                found.First[static_cast<std::size_t>(found.Count)] = TCellPos{x, y};
            ++found.Count;
        }
    return found;
}

TTileStats CountTileUse(const std::vector<StageRecord>& records)
{
    // Per layer and code: the cells, the stages, and the last stage counted.
    std::vector<int> cells(2 * CodeRange, 0);
    std::vector<int> stages(2 * CodeRange, 0);
    std::vector<int> lastStage(2 * CodeRange, -1);
    for (std::size_t n = 0; n < records.size(); ++n)
        for (const TStageLayer layer : {TStageLayer::BG, TStageLayer::FG}) {
            const std::size_t base = layer == TStageLayer::BG ? 0 : CodeRange;
            for (const auto& column : Cells(records[n], layer))
                for (const std::int16_t code : column) {
                    const std::size_t at = base + static_cast<std::size_t>(code - LowestCode);
                    ++cells[at];
                    if (lastStage[at] != static_cast<int>(n)) {
                        lastStage[at] = static_cast<int>(n);
                        ++stages[at];
                    }
                }
        }
    TTileStats stats;
    for (int code = LowestCode; code < LowestCode + CodeRange; ++code) {
        const auto at = static_cast<std::size_t>(code - LowestCode);
        if (code != EmptyCode)
            for (const TStageLayer layer : {TStageLayer::BG, TStageLayer::FG}) {
                const std::size_t index = (layer == TStageLayer::BG ? 0 : CodeRange) + at;
                if (cells[index] > 0)
                    stats.Used.push_back({code, layer, stages[index], cells[index]});
            }
        if (PaintedLayer(code) && cells[at] == 0 && cells[CodeRange + at] == 0)
            stats.Unused.push_back(code);
    }
    return stats;
}

bool CaptionHolds(const TShortString& caption, std::string_view latin1)
{
    const std::string_view text(caption.Chars, std::min<std::size_t>(caption.Length, MaxShortString));
    return std::search(text.begin(), text.end(), latin1.begin(), latin1.end(),
                       [](char a, char b) { return Folded(a) == Folded(b); })
           != text.end();
}
