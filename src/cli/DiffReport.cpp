#include "cli/DiffReport.h"

#include "check/FindingFormat.h"
#include "cli/StageText.h"
#include "cli/ToolArgs.h"
#include "storage/RecordDiff.h"

namespace {

const StageRecord& At(const std::vector<StageRecord>& records, int number)
{
    return records[static_cast<std::size_t>(number)];
}

int CopyOf(const TStageSetDiff& diff, const TStageChange& change)
{
    return change.B < 0 ? -1 : diff.Pairing.CopyOf[static_cast<std::size_t>(change.B)];
}

// Cells of a layer that are not empty.
int FilledCells(const StageRecord& record, bool foreground)
{
    int filled = 0;
    for (int x = 0; x < FieldColumns; ++x)
        for (int y = 0; y < FieldRows; ++y)
            filled += (foreground ? record.FG[x][y] : record.BG[x][y]) != EmptyCode;
    return filled;
}

std::string Header(const TStageSetDiff& diff, const TStageChange& change)
{
    std::string header;
    switch (change.Kind) {
    case TStageChangeKind::Moved: header = "stage " + TwoDigits(change.B) + " was stage " + TwoDigits(change.A); break;
    case TStageChangeKind::Changed: header = "stage " + TwoDigits(change.B); break;
    case TStageChangeKind::Added: header = "stage " + TwoDigits(change.B) + " added"; break;
    case TStageChangeKind::Removed: header = "removed: was stage " + TwoDigits(change.A); break;
    }
    const StageRecord& record = change.B >= 0 ? At(diff.B, change.B) : At(diff.A, change.A);
    header += " " + QuotedText(record.Caption);
    if (const int copy = CopyOf(diff, change); copy >= 0)
        header += " (a copy of stage " + TwoDigits(copy) + ")";
    return header;
}

void AppendSettings(std::string& out, const StageRecord& a, const StageRecord& b, const TRecordDiff& changed)
{
    for (const TRecordField* field : changed.Fields) {
        if (field->Kind == TFieldKind::Text && FieldString(a, *field).Str() == FieldString(b, *field).Str()) {
            out += "  " + field->Name + ": bytes past its length differ\n";
            continue;
        }
        out += "  " + FieldLabel(*field) + ": " + FieldValueText(a, *field) + std::string(Arrow)
               + FieldValueText(b, *field) + "\n";
        if (field->Kind == TFieldKind::Text && TailsDiffer(FieldString(a, *field), FieldString(b, *field)))
            out += "  " + field->Name + ": bytes past its length differ\n";
    }
}

// The cells, a run of a row's neighbours that changed alike on one line.
void AppendCells(std::string& out, const std::vector<TCellChange>& cells)
{
    for (std::size_t i = 0; i < cells.size();) {
        const TCellChange& first = cells[i];
        std::size_t end = i + 1;
        while (end < cells.size() && cells[end].Row == first.Row
               && cells[end].Column == first.Column + static_cast<int>(end - i) && cells[end].OldBG == first.OldBG
               && cells[end].OldFG == first.OldFG && cells[end].NewBG == first.NewBG && cells[end].NewFG == first.NewFG)
            ++end;
        const std::string columns = end - i > 1
                                        ? std::to_string(first.Column) + ".." + std::to_string(cells[end - 1].Column)
                                        : std::to_string(first.Column);
        out += "  " + columns + "," + std::to_string(first.Row) + ": "
               + CellChangeText(first.OldBG, first.OldFG, first.NewBG, first.NewFG) + "\n";
        i = end;
    }
}

std::string Counts(int fg, int bg)
{
    return "FG: " + Counted(fg, "cell") + ", BG: " + Counted(bg, "cell");
}

std::string CountsJson(int fg, int bg)
{
    return "{\"fg\":" + std::to_string(fg) + ",\"bg\":" + std::to_string(bg) + "}";
}

}  // namespace

TStageSetDiff::TStageSetDiff(const std::vector<StageRecord>& a, const std::vector<StageRecord>& b)
    : A(a), B(b), Pairing(PairStages(a, b)), Changes(StageChanges(a, b, Pairing))
{
}

std::string DiffText(const TStageSetDiff& diff)
{
    std::string out;
    if (diff.A.size() != diff.B.size())
        out += "records: " + std::to_string(diff.A.size()) + std::string(Arrow) + std::to_string(diff.B.size()) + "\n";
    for (const TStageChange& change : diff.Changes) {
        out += Header(diff, change);
        if (change.Kind == TStageChangeKind::Added) {
            const StageRecord& added = At(diff.B, change.B);
            out += ": " + Counts(FilledCells(added, true), FilledCells(added, false));
        }
        out += "\n";
        if (change.Kind != TStageChangeKind::Changed)
            continue;
        const StageRecord& a = At(diff.A, change.A);
        const StageRecord& b = At(diff.B, change.B);
        const TRecordDiff changed = DiffRecords(a, b);
        AppendSettings(out, a, b, changed);
        if (!changed.Cells.empty())
            out += "  " + Counts(changed.FGCells, changed.BGCells) + "\n";
        AppendCells(out, changed.Cells);
    }
    return out;
}

std::string DiffJson(const TStageSetDiff& diff, const std::string& nameA, const std::string& nameB)
{
    std::string out = "{\"a\":" + JsonString(nameA) + ",\"b\":" + JsonString(nameB) + ",\"records\":["
                      + std::to_string(diff.A.size()) + "," + std::to_string(diff.B.size()) + "],\"stages\":[";
    for (std::size_t n = 0; n < diff.Changes.size(); ++n) {
        const TStageChange& change = diff.Changes[n];
        const StageRecord& shown = change.B >= 0 ? At(diff.B, change.B) : At(diff.A, change.A);
        out += n == 0 ? "\n" : ",\n";
        out += "{\"status\":\"" + std::string(StageChangeName(change.Kind)) + "\"";
        if (change.B >= 0)
            out += ",\"stage\":" + std::to_string(change.B);
        if (change.A >= 0)
            out += ",\"was\":" + std::to_string(change.A);
        out += ",\"caption\":" + JsonString(shown.Caption.Str());
        if (const int copy = CopyOf(diff, change); copy >= 0)
            out += ",\"copy_of\":" + std::to_string(copy);
        if (change.Kind == TStageChangeKind::Added)
            out += ",\"counts\":" + CountsJson(FilledCells(shown, true), FilledCells(shown, false));
        if (change.Kind == TStageChangeKind::Changed) {
            const StageRecord& a = At(diff.A, change.A);
            const TRecordDiff changed = DiffRecords(a, shown);
            out += ",\"fields\":[";
            for (std::size_t f = 0; f < changed.Fields.size(); ++f) {
                const TRecordField& field = *changed.Fields[f];
                out += std::string(f == 0 ? "" : ",") + "{\"field\":" + JsonString(field.Name)
                       + ",\"old\":" + FieldValueJson(a, field) + ",\"new\":" + FieldValueJson(shown, field) + "}";
            }
            out += "],\"counts\":" + CountsJson(changed.FGCells, changed.BGCells) + ",\"cells\":[";
            for (std::size_t c = 0; c < changed.Cells.size(); ++c) {
                const TCellChange& cell = changed.Cells[c];
                out += std::string(c == 0 ? "" : ",") + "{\"column\":" + std::to_string(cell.Column)
                       + ",\"row\":" + std::to_string(cell.Row) + ",\"bg\":[" + std::to_string(cell.OldBG) + ","
                       + std::to_string(cell.NewBG) + "],\"fg\":[" + std::to_string(cell.OldFG) + ","
                       + std::to_string(cell.NewFG) + "]}";
            }
            out += "]";
        }
        out += "}";
    }
    return out + (diff.Changes.empty() ? "]}\n" : "\n]}\n");
}
