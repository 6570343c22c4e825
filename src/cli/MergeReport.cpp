#include "cli/MergeReport.h"

#include "check/FindingFormat.h"
#include "cli/StageText.h"
#include "cli/ToolArgs.h"

namespace {

const char* const SideNames[3] = {"base", "ours", "theirs"};

const std::vector<StageRecord>& Records(const TMergeInputs& inputs, int side)
{
    return side == 0 ? inputs.Base : side == 1 ? inputs.Ours : inputs.Theirs;
}

const StageRecord& Stage(const TMergeInputs& inputs, const TMergeConflict& c, int side)
{
    const int numbers[3] = {c.Base, c.Ours, c.Theirs};
    return Records(inputs, side)[static_cast<std::size_t>(numbers[side])];
}

// What a side did to a stage of the base that one side removed.
std::string StageFate(const TMergeInputs& inputs, const TMergeConflict& c, int side)
{
    const int number = side == 1 ? c.Ours : c.Theirs;
    if (number < 0)
        return "removed it, or moved and changed it";
    if (!RecordsEqual(Stage(inputs, c, side), Stage(inputs, c, 0)))
        return "changed it";
    return number == c.Base ? "kept it" : "moved it to " + TwoDigits(number);
}

std::string StretchText(const TMergeInputs& inputs, const TMergeConflict& c, int side)
{
    std::string text;
    for (int n = c.From[side]; n < c.To[side]; ++n)
        text += (text.empty() ? "" : ", ") + TwoDigits(n) + " "
                + QuotedText(Records(inputs, side)[static_cast<std::size_t>(n)].Caption);
    return text.empty() ? "nothing" : text;
}

std::string Where(const TMergeConflict& c)
{
    return c.Stage < 0 ? "stage -" : "stage " + TwoDigits(c.Stage);
}

std::string ConflictLine(const TMergeConflict& c, const TMergeInputs& inputs)
{
    std::string line = Where(c) + ": ";
    switch (c.Kind) {
    case TMergeConflict::TKind::Cell:
        line += "cell " + std::to_string(c.Column) + "," + std::to_string(c.Row) + ":";
        for (int side = 0; side < 3; ++side) {
            const StageRecord& r = Stage(inputs, c, side);
            line += std::string(side == 0 ? " " : "; ") + SideNames[side] + " "
                    + CellText(r.BG[c.Column][c.Row], r.FG[c.Column][c.Row]);
        }
        break;
    case TMergeConflict::TKind::Field:
        line += FieldLabel(*c.Field) + ":";
        for (int side = 0; side < 3; ++side)
            line += std::string(side == 0 ? " " : "; ") + SideNames[side] + " "
                    + FieldValueText(Stage(inputs, c, side), *c.Field);
        break;
    case TMergeConflict::TKind::Stage:
        line += "base stage " + TwoDigits(c.Base) + " " + QuotedText(Stage(inputs, c, 0).Caption) + ": ours "
                + StageFate(inputs, c, 1) + "; theirs " + StageFate(inputs, c, 2);
        break;
    case TMergeConflict::TKind::Order:
        line += "both changed the order:";
        for (int side = 0; side < 3; ++side)
            line += std::string(side == 0 ? " " : "; ") + SideNames[side] + " " + StretchText(inputs, c, side);
        break;
    }
    return line;
}

std::string NumberJson(int number)
{
    return number < 0 ? "null" : std::to_string(number);
}

std::string ConflictObject(const TMergeConflict& c, const TMergeInputs& inputs)
{
    static const char* const kinds[] = {"cell", "field", "stage", "order"};
    std::string out =
        "{\"kind\":\"" + std::string(kinds[static_cast<int>(c.Kind)]) + "\",\"stage\":" + NumberJson(c.Stage);
    if (c.Kind == TMergeConflict::TKind::Cell)
        out += ",\"column\":" + std::to_string(c.Column) + ",\"row\":" + std::to_string(c.Row);
    if (c.Kind == TMergeConflict::TKind::Field)
        out += ",\"field\":" + JsonString(c.Field->Name);
    for (int side = 0; side < 3; ++side) {
        out += ",\"" + std::string(SideNames[side]) + "\":";
        switch (c.Kind) {
        case TMergeConflict::TKind::Cell: {
            const StageRecord& r = Stage(inputs, c, side);
            out += "{\"bg\":" + std::to_string(r.BG[c.Column][c.Row])
                   + ",\"fg\":" + std::to_string(r.FG[c.Column][c.Row]) + "}";
            break;
        }
        case TMergeConflict::TKind::Field: out += FieldValueJson(Stage(inputs, c, side), *c.Field); break;
        case TMergeConflict::TKind::Stage: out += NumberJson(side == 0 ? c.Base : side == 1 ? c.Ours : c.Theirs); break;
        case TMergeConflict::TKind::Order:
            out += "[";
            for (int n = c.From[side]; n < c.To[side]; ++n)
                out += (n == c.From[side] ? "" : ",") + std::to_string(n);
            out += "]";
            break;
        }
    }
    return out + "}";
}

}  // namespace

std::string ConflictLines(const std::vector<TMergeConflict>& conflicts, const TMergeInputs& inputs,
                          const std::string& file)
{
    std::string out;
    for (const TMergeConflict& c : conflicts)
        out += file + ": " + ConflictLine(c, inputs) + "\n";
    return out;
}

std::string ConflictJson(const std::vector<TMergeConflict>& conflicts, const TMergeInputs& inputs,
                         const std::string& file, TMergeSide kept)
{
    std::string out = "{\"file\":" + JsonString(file) + ",\"kept\":\"" + (kept == TMergeSide::Ours ? "ours" : "theirs")
                      + "\",\"conflicts\":[";
    for (std::size_t n = 0; n < conflicts.size(); ++n)
        out += (n == 0 ? "\n" : ",\n") + ConflictObject(conflicts[n], inputs);
    return out + (conflicts.empty() ? "]}\n" : "\n]}\n");
}
