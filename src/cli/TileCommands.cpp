#include "cli/TileCommands.h"

#include "check/FindingFormat.h"
#include "cli/StageOrderCommands.h"
#include "cli/StageSave.h"
#include "stage/TileNotation.h"
#include "stage/TileUse.h"
#include "storage/TileReplace.h"

#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace {

struct TStageRange {
    int First = 0;
    int Last = MaxStageFileRecords - 1;
    bool Holds(int number) const { return number >= First && number <= Last; }
};

// --stages A..B (or one number), every stage without it.
TStageRange StagesArg(const TArgs& args)
{
    if (!args.Has("--stages"))
        return {};
    const std::string text = args.Get("--stages", "");
    const std::size_t dots = text.find("..");
    TStageRange range;
    range.First = ParseStageNumber(text.substr(0, dots));
    range.Last = dots == std::string::npos ? range.First : ParseStageNumber(text.substr(dots + 2));
    if (range.Last < range.First)
        throw TUsageError("--stages " + text + " runs backwards; give the lower number first");
    return range;
}

std::optional<TStageLayer> LayerArg(const TArgs& args)
{
    if (!args.Has("--layer"))
        return std::nullopt;
    const std::string layer = args.Get("--layer", "");
    if (layer != "BG" && layer != "FG")
        throw TUsageError("--layer must be BG or FG, not \"" + layer + "\"");
    return layer == "BG" ? TStageLayer::BG : TStageLayer::FG;
}

TTileChoice TileArg(const std::string& text)
{
    TTileChoice choice;
    if (!ParseTileChoice(text, choice))
        throw TUsageError("\"" + text + "\" is no tile: give a code (\"24\"), a brush's name (\"steel\") or \"empty\"");
    return choice;
}

std::vector<StageRecord> ReadRecords(const TArgs& args, const char* command)
{
    return ReadAllRecords(StageFileArg(args), MaxStageFileRecords,
                          std::string(command) + " reads at most " + std::to_string(MaxStageFileRecords))
        .Records;
}

std::string JsonField(const char* name, const std::string& value)
{
    return std::string("\"") + name + "\":" + value;
}

std::string Listing(const std::vector<std::string>& lines, bool json)
{
    if (json)
        return JsonArrayLines(lines);
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

// The lines of find TILE, or of find --caption.
std::vector<std::string> FoundTiles(const std::vector<StageRecord>& records, const TArgs& args, bool json)
{
    const TTileChoice tile = TileArg(args.Positional[0]);
    const TStageRange stages = StagesArg(args);
    const std::optional<TStageLayer> only = LayerArg(args);
    std::vector<std::string> lines;
    for (int n = 0; n < static_cast<int>(records.size()); ++n) {
        if (!stages.Holds(n))
            continue;
        const StageRecord& record = records[static_cast<std::size_t>(n)];
        for (const TStageLayer layer : {TStageLayer::BG, TStageLayer::FG}) {
            if (only && *only != layer)
                continue;
            const TTileCells cells = FindTileCells(record, layer, tile.Codes);
            if (cells.Count == 0)
                continue;
            std::string listed;
            for (int i = 0; i < std::min(cells.Count, ListedCells); ++i) {
                const TCellPos cell = cells.First[static_cast<std::size_t>(i)];
                const std::string at = std::to_string(cell.Column) + "," + std::to_string(cell.Row);
                listed += (i ? (json ? "," : " ") : "") + (json ? "\"" + at + "\"" : at);
            }
            lines.push_back(json ? "{" + JsonField("stage", std::to_string(n)) + ","
                                       + JsonField("caption", JsonString(record.Caption.Str())) + ","
                                       + JsonField("layer", JsonString(LayerName(layer))) + ","
                                       + JsonField("count", std::to_string(cells.Count)) + ","
                                       + JsonField("cells", "[" + listed + "]") + "}"
                                 : StageNumberText(n) + "\t" + ListedText(record.Caption, true) + "\t"
                                       + LayerName(layer) + "\t" + std::to_string(cells.Count) + "\t" + listed);
        }
    }
    return lines;
}

std::vector<std::string> FoundCaptions(const std::vector<StageRecord>& records, const TArgs& args, bool json)
{
    const std::string text = args.Get("--caption", "");
    std::string latin1;
    if (!Latin1FromUtf8(text, latin1))
        throw TUsageError("no caption can hold \"" + text + "\": captions hold Latin-1 characters only");
    const TStageRange stages = StagesArg(args);
    std::vector<std::string> lines;
    for (int n = 0; n < static_cast<int>(records.size()); ++n) {
        const StageRecord& record = records[static_cast<std::size_t>(n)];
        if (stages.Holds(n) && CaptionHolds(record.Caption, latin1))
            lines.push_back(json ? "{" + JsonField("stage", std::to_string(n)) + ","
                                       + JsonField("caption", JsonString(record.Caption.Str())) + "}"
                                 : StageNumberText(n) + "\t" + ListedText(record.Caption, true));
    }
    return lines;
}

}  // namespace

int RunFind(const TArgs& args, std::ostream& out, std::ostream& /*err*/)
{
    const bool caption = args.Has("--caption");
    if (caption == (args.Positional.size() == 1))
        throw TUsageError("give a tile or --caption TEXT");
    if (caption && args.Has("--layer"))
        throw TUsageError("--layer goes with a tile, not with --caption");
    const std::vector<StageRecord> records = ReadRecords(args, "find");
    const bool json = args.Has("--json");
    const std::vector<std::string> lines =
        caption ? FoundCaptions(records, args, json) : FoundTiles(records, args, json);
    WriteAll(out, Listing(lines, json));
    return lines.empty() ? ExitError : 0;
}

int RunStats(const TArgs& args, std::ostream& out, std::ostream& /*err*/)
{
    const TTileStats stats = CountTileUse(ReadRecords(args, "stats"));
    const bool json = args.Has("--json");
    std::vector<std::string> lines;
    for (const TTileUse& use : stats.Used)
        lines.push_back(json ? "{" + JsonField("code", std::to_string(use.Code)) + ","
                                   + JsonField("name", JsonString(TileName(use.Code))) + ","
                                   + JsonField("layer", JsonString(LayerName(use.Layer))) + ","
                                   + JsonField("stages", std::to_string(use.Stages)) + ","
                                   + JsonField("cells", std::to_string(use.Cells)) + "}"
                             : TileText(use.Code) + "\t" + LayerName(use.Layer) + "\t" + Counted(use.Stages, "stage")
                                   + "\t" + Counted(use.Cells, "cell"));
    std::string unused;
    for (const int code : stats.Unused)
        unused += (unused.empty() ? "" : json ? "," : ", ") + (json ? std::to_string(code) : TileText(code));
    if (!json) {
        WriteAll(out, Listing(lines, false) + "unused: " + (unused.empty() ? "none" : unused) + "\n");
        return 0;
    }
    std::string used = JsonArrayLines(lines);
    used.pop_back();  // its line break, so the object closes on the next line
    WriteAll(out, "{\"used\":" + used + ",\n\"unused\":[" + unused + "]}\n");
    return 0;
}

int RunReplace(const TArgs& args, std::ostream& out, std::ostream& err)
{
    TTileReplace replace;
    replace.From = TileArg(args.Positional[0]);
    replace.To = TileArg(args.Positional[1]);
    const std::optional<TStageLayer> layer = LayerArg(args);
    const std::optional<TStageLayer> fromLayer = ReplaceLayerOf(replace.From);
    if (!layer && !fromLayer)
        throw TUsageError("--layer BG or FG is needed: " + args.Positional[0] + " belongs to no one layer");
    replace.Layer = layer ? *layer : *fromLayer;
    const TStageRange stages = StagesArg(args);
    replace.First = stages.First;
    replace.Last = stages.Last;
    if (const std::string problem = TileReplaceProblem(replace); !problem.empty())
        throw TToolError(problem + "; nothing changed");
    // Filled by the edit, which runs under the file's lock.
    auto counts = std::make_shared<std::vector<int>>();
    return RunStageSetEdit(
        "replace", args,
        [=](const std::vector<StageRecord>& records) { return ReplaceTiles(records, replace, counts.get()); }, out, err,
        [counts](int number) { return Counted((*counts)[static_cast<std::size_t>(number)], "cell"); });
}
