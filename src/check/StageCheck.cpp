#include "check/StageCheck.h"

#include "check/PictureCheck.h"
#include "stage/FieldAreas.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr const char* UndefinedCaption = "Undefined Stage";

TFinding SettingFinding(TSeverity severity, int stage, const char* field, std::string message)
{
    TFinding finding;
    finding.Severity = severity;
    finding.Stage = stage;
    finding.Field = field;
    finding.Message = std::move(message);
    return finding;
}

TFinding CellFinding(TSeverity severity, int stage, TFindingLayer layer, int column, int row, std::string message)
{
    TFinding finding;
    finding.Severity = severity;
    finding.Stage = stage;
    finding.Layer = layer;
    finding.Column = column;
    finding.Row = row;
    finding.Message = std::move(message);
    return finding;
}

// Why a field cell's code is no tile, or nothing.
const char* BadCode(int code)
{
    if (code == -2)
        return "an unfilled cell, as an incomplete text map import leaves it";
    if (code < EmptyCode)
        return "below the empty code -1";
    if (InCodeRange(code, 16, 23))
        return "a shadow pattern, which the palette never paints";
    if (code > 63)
        return "beyond the 64 tiles";
    return nullptr;
}

bool InTopCorner(int column, int row)
{
    return std::any_of(std::begin(TopCorners), std::end(TopCorners),
                       [&](const TFieldArea& corner) { return corner.Contains(column, row); });
}

const char* LayerName(TFindingLayer layer)
{
    return layer == TFindingLayer::BG ? "BG" : "FG";
}

}  // namespace

std::vector<TFinding> CheckStage(int number, const StageRecord& record, TPictureCheck& pictures)
{
    std::vector<TFinding> findings;
    if (IsEmptyRecord(record)) {
        findings.push_back(
            SettingFinding(TSeverity::Note, number, "record", "the empty record: padding that holds no stage yet"));
        return findings;
    }

    // Errors.
    for (const auto& [field, name] :
         {std::pair{"BG_Bitmap", &record.BG_Bitmap}, std::pair{"SI_Bitmap", &record.SI_Bitmap}}) {
        const std::string text = name->Str();
        if (text.empty())
            continue;
        std::string problem = pictures.Problem(text);
        if (!problem.empty())
            findings.push_back(SettingFinding(TSeverity::Error, number, field, std::move(problem)));
    }
    for (int row = 0; row < FieldRows; ++row)
        for (int column = 0; column < FieldColumns; ++column)
            for (const TFindingLayer layer : {TFindingLayer::BG, TFindingLayer::FG}) {
                const int code = layer == TFindingLayer::BG ? record.BG[column][row] : record.FG[column][row];
                if (const char* why = BadCode(code))
                    findings.push_back(
                        CellFinding(TSeverity::Error, number, layer, column, row,
                                    std::string(LayerName(layer)) + " code " + std::to_string(code) + " is " + why));
            }

    // Warnings.
    for (int row = 0; row < FieldRows; ++row)
        for (int column = 0; column < FieldColumns; ++column)
            for (const TFindingLayer layer : {TFindingLayer::BG, TFindingLayer::FG}) {
                const int code = layer == TFindingLayer::BG ? record.BG[column][row] : record.FG[column][row];
                if (code == EmptyCode)
                    continue;
                const std::string held = std::string(LayerName(layer)) + " code " + std::to_string(code);
                if (FlagSquare.Contains(column, row))
                    findings.push_back(
                        CellFinding(TSeverity::Warning, number, layer, column, row, "the flag's square holds " + held));
                else if (layer == TFindingLayer::FG && InTopCorner(column, row))
                    findings.push_back(CellFinding(TSeverity::Warning, number, layer, column, row,
                                                   "a top corner, which random stages keep clear, holds " + held));
            }
    if (SumEnemyCounts(record.EnemyCount) == 0)
        findings.push_back(
            SettingFinding(TSeverity::Warning, number, "EnemyTotal", "no enemies: the counts of all 16 types are 0"));
    if (record.MaxCount == 0)
        findings.push_back(
            SettingFinding(TSeverity::Warning, number, "MaxCount", "MaxCount is 0: no enemy may be on the field"));

    // Notes.
    if (record.Caption.Str() == UndefinedCaption)
        findings.push_back(SettingFinding(TSeverity::Note, number, "Caption",
                                          std::string("the caption is still \"") + UndefinedCaption + "\""));
    return findings;
}
