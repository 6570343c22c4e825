#include "storage/TileReplace.h"

#include "stage/Palette.h"
#include "stage/TileUse.h"

#include <algorithm>
#include <numeric>

namespace {

// A code's place among its brush's variants; 0 for a code no brush paints.
int VariantIndex(int code)
{
    const int button = BrushOfCode(code);
    return button > 0 ? code - BrushFirstCode(button) : 0;
}

}  // namespace

std::optional<TStageLayer> ReplaceLayerOf(const TTileChoice& from)
{
    std::optional<TStageLayer> layer;
    for (const int code : from.Codes) {
        const std::optional<TStageLayer> painted = PaintedLayer(code);
        if (!painted || (layer && *layer != *painted))
            return std::nullopt;
        layer = painted;
    }
    return layer;
}

std::string TileReplaceProblem(const TTileReplace& replace)
{
    for (const int code : replace.To.Codes) {
        if (code == EmptyCode)
            continue;
        const std::optional<TStageLayer> painted = PaintedLayer(code);
        if (InCodeRange(code, 16, 23))
            return TileText(code) + " is a shadow pattern, which the game draws itself; no layer holds it";
        if (!painted)
            return TileText(code) + " is no tile a brush paints; no layer holds it";
        if (*painted != replace.Layer)
            return TileText(code) + " is " + (*painted == TStageLayer::BG ? "a BG" : "an FG")
                   + " tile; it cannot go into " + LayerName(replace.Layer);
    }
    return {};
}

int ReplacementCode(const TTileReplace& replace, int code)
{
    if (replace.To.Brush <= 0)
        return replace.To.Codes.front();
    return BrushFirstCode(replace.To.Brush) + VariantIndex(code) % BrushCodeCount(replace.To.Brush);
}

TStageSetResult ReplaceTiles(const std::vector<StageRecord>& records, const TTileReplace& replace,
                             std::vector<int>* counts)
{
    TStageSetResult result;
    result.Error = TileReplaceProblem(replace);
    if (!result.Error.empty())
        return result;
    result.Records = records;
    result.Source.resize(records.size());
    std::iota(result.Source.begin(), result.Source.end(), 0);
    if (counts)
        counts->assign(records.size(), 0);
    const int last = std::min(replace.Last, static_cast<int>(records.size()) - 1);
    for (int n = std::max(replace.First, 0); n <= last; ++n) {
        if (!replace.Only.empty() && !std::binary_search(replace.Only.begin(), replace.Only.end(), n))
            continue;
        StageRecord& record = result.Records[static_cast<std::size_t>(n)];
        int replaced = 0;
        for (int y = 0; y < FieldRows; ++y)
            for (int x = 0; x < FieldColumns; ++x) {
                const int code = replace.Layer == TStageLayer::BG ? record.BG[x][y] : record.FG[x][y];
                if (std::find(replace.From.Codes.begin(), replace.From.Codes.end(), code) == replace.From.Codes.end())
                    continue;
                WriteCell(record, replace.Layer, x, y, static_cast<std::int16_t>(ReplacementCode(replace, code)));
                ++replaced;
            }
        // A tile replaced by itself changes no stage, and counts none.
        if (RecordsEqual(record, records[static_cast<std::size_t>(n)]))
            continue;
        result.Source[static_cast<std::size_t>(n)] = -1;
        if (counts)
            (*counts)[static_cast<std::size_t>(n)] = replaced;
    }
    return result;
}
